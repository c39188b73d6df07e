#include "cli/cli_report.h"

#include <gtest/gtest.h>

#include <string>

namespace tessaline {
namespace {

TEST(CliReport, JobReportJsonKeepsItsFieldsInOrderWithNulls) {
    JobReport bare;
    bare.printer = "ipp://h/ipp/print";
    bare.stage = "NotStarted";
    EXPECT_EQ(JobReportJson(bare),
              "{\"printer\":\"ipp://h/ipp/print\",\"uri\":\"ipp://h/ipp/print\",\"stage\":"
              "\"NotStarted\",\"size\":null,\"written\":0,\"datatype\":null,\"job\":null,"
              "\"state\":null,\"state_reasons\":null,\"message\":null,\"seconds\":null}");

    JobReport full;
    full.printer = "a";
    full.form = -3;
    full.stage = "Completed";
    full.size = 17;
    full.sha256Given = true;
    full.written = 17;
    full.datatype = "RAW";
    full.jobId = 12;
    full.status = JobStatus{JobState::Aborted, {"x", "y"}, "jammed"};
    full.message = "jammed";
    full.milliseconds = 1050;
    EXPECT_EQ(JobReportJson(full),
              "{\"printer\":\"a\",\"uri\":null,\"form\":-3,\"stage\":\"Completed\",\"size\":17,"
              "\"sha256\":null,\"written\":17,\"datatype\":\"RAW\",\"job\":12,\"state\":"
              "\"Aborted\",\"state_reasons\":[\"x\",\"y\"],\"message\":\"jammed\",\"seconds\":"
              "1.050}");
}

}  // namespace
}  // namespace tessaline
