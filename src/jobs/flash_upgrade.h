#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "jobs/raw_job.h"
#include "platform/file.h"
#include "platform/message_box.h"
#include "platform/spooler.h"

namespace tessaline {

inline constexpr char kFileErrorCaption[] = "File Error";
inline constexpr char kFileNotOpenedText[] =
    "The file entered was not found or could not be opened";
inline constexpr char kFileTooLargeText[] =
    "The file is too large to send to the printer. Files must be smaller than 4 GB.";

inline constexpr char kConfirmUpgradeCaption[] = "Confirm Upgrade";
inline constexpr char kConfirmUpgradeText[] =
    "You have chosen to send the selected file to the Korvane hardware installed on your laser "
    "printer.\nBe sure the file is an Korvane Flash Upgrade File or unpredictable results may "
    "occur.\nThere is no way to undo this operation.  Are you sure you wish to begin the upgrade?";
inline constexpr std::uint32_t kConfirmUpgradeType = kMbYesNo | kMbIconExclamation | kMbDefButton1;

inline constexpr char kPrinterStatusCaption[] = "Printer Status";
inline constexpr char kPrinterErrorCaption[] = "Printer Error";
inline constexpr char kPrintingCompleteCaption[] = "Printing Complete";

inline constexpr char kXpsPassAcceptedText[] = "Successfully used XPS_PASS mode.";
inline constexpr char kXpsPassRefusedText[] =
    "Failed to open printer using XPS_PASS mode. Trying older RAW mode.";
inline constexpr char kRawRefusedText[] =
    "Failed to open printer using older RAW mode. File was not sent to the printer.";

// The box for a job that ended before it was complete says its stage: see jobs/job_stages.h.

// Followed by the file's length, kBytesWrittenText and the count written, both in decimal.
inline constexpr char kSentAllText[] = "Successfully sent entire file to printer.  File size: ";
inline constexpr char kSentPartText[] = "Failed to send all bytes to the printer.  File size: ";
inline constexpr char kBytesWrittenText[] = ", Bytes written: ";

// The whole file goes out in one write, whose length is a 32-bit count.
inline constexpr std::uint64_t kLargestUpgradeFile = 0xFFFFFFFFu;

// A message with the text, caption and box type the window gives it.
struct UpgradeMessage {
    std::string text;
    const char* caption;
    std::uint32_t type;
};

enum class UpgradeFileStatus {
    Opened,
    NotOpened,  // missing, held by another program, or any other refusal to open
    TooLarge,   // 4 GiB or more: one write cannot carry it
};

struct OpenedUpgradeFile {
    UpgradeFileStatus status = UpgradeFileStatus::NotOpened;
    std::unique_ptr<ReadableFile> file;  // set with Opened, and with TooLarge until released
};

// The upgrade's first step, taken by the window and the command line alike, before the
// confirmation: opens the file with no sharing and takes its length once to refuse a file too
// large. A failing length query throws FileException.
OpenedUpgradeFile OpenUpgradeFile(FileSystem& files, const std::string& path);

// The whole file in memory.
struct UpgradeBytes {
    std::unique_ptr<std::uint8_t[]> data;
    std::uint32_t length = 0;
};

// The step after the confirmation: takes the length again and reads the file whole. False
// when the file has grown to 4 GiB meanwhile. Throws FileException when the length query or a
// read fails or the file ends early, and std::bad_alloc when the buffer cannot be had.
bool ReadUpgradeFile(ReadableFile& file, UpgradeBytes* bytes);

// One raw job carrying the whole file, "XPS_PASS" first.
RawJobResult SubmitUpgrade(Spooler& spooler, const PrinterName& printer, const UpgradeBytes& bytes,
                           NoticeReceiver* notices);

// The "File Error" message for NotOpened or TooLarge.
UpgradeMessage FileStatusMessage(UpgradeFileStatus status);
// The message the window shows for a datatype notice in Debug Mode.
UpgradeMessage NoticeMessage(Notice notice);
// The window's outcome message for a job of length bytes. None when rawRefusedTold and the job
// ended at the document start: the "RAW" notice has already said that nothing was sent.
std::optional<UpgradeMessage> OutcomeMessage(const RawJobResult& result, std::uint32_t length,
                                             bool rawRefusedTold);

// What the window running the upgrade supplies.
class FlashUpgradeHost {
  public:
    virtual ~FlashUpgradeHost() = default;
    // The current text of the printer selection (empty with none); asked once, after the
    // file has been read.
    virtual PrinterName SelectedPrinter() = 0;
    // Whether the datatype notices are shown (the window's Debug Mode check box); asked once,
    // after the printer opened and before the first document start.
    virtual bool DebugMode() = 0;
};

struct FlashUpgradeContext {
    FileSystem& files;
    Spooler& spooler;
    MessageBoxes& boxes;
    FlashUpgradeHost& host;
    std::string path;  // used exactly as given
};

// Sends the file, whole and uninterpreted, as one raw job after the user confirms, and reports
// only through message boxes. A failing length query or read throws FileException (also when
// the file ends before its length), a buffer that cannot be had throws std::bad_alloc; both are
// left to the handler guard. The file is closed and the buffer released on every path.
void FlashUpgrade(const FlashUpgradeContext& context);

}  // namespace tessaline
