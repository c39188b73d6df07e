#pragma once

#include "jobs/raw_job.h"

namespace tessaline {

// What each stage a raw job can end at is called, everywhere it is told: one row per stage.
struct JobStageRow {
    RawJobStage stage;
    const char* name;     // the stage as the command line's --json names it
    const char* boxText;  // the window's "Printer Error" box; null for Completed, whose box
                          // carries the counts instead
    const char* words;    // the command line's few words for it
};

inline constexpr JobStageRow kJobStages[] = {
    {RawJobStage::OpenFailed, "OpenFailed",
     "The selected printer could not be opened. The file was not sent to the printer.",
     "the printer could not be opened"},
    {RawJobStage::StartDocFailed, "StartDocFailed",
     "The printer refused the job when starting the document. The file was not sent to the "
     "printer.",
     "the spooler refused to start the document"},
    {RawJobStage::StartPageFailed, "StartPageFailed",
     "The printer refused the job when starting the page. The file was not sent to the printer.",
     "the spooler refused to start the page"},
    {RawJobStage::WriteFailed, "WriteFailed",
     "The printer failed while the file was being written. The file was not sent completely to "
     "the printer.",
     "the write failed"},
    {RawJobStage::EndPageFailed, "EndPageFailed",
     "The printer failed when ending the page. The file was not sent completely to the printer.",
     "the spooler failed to end the page"},
    {RawJobStage::EndDocFailed, "EndDocFailed",
     "The printer failed when ending the document. The file was not sent completely to the "
     "printer.",
     "the spooler failed to end the document"},
    {RawJobStage::Completed, "Completed", nullptr, "complete"},
};

// The row of a stage; every stage has one.
const JobStageRow& JobStage(RawJobStage stage);

}  // namespace tessaline
