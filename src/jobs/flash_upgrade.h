#pragma once

#include <cstdint>
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

inline constexpr char kPrinterNotOpenedText[] =
    "The selected printer could not be opened. The file was not sent to the printer.";
inline constexpr char kStartDocFailedText[] =
    "The printer refused the job when starting the document. The file was not sent to the "
    "printer.";
inline constexpr char kStartPageFailedText[] =
    "The printer refused the job when starting the page. The file was not sent to the printer.";
inline constexpr char kWriteFailedText[] =
    "The printer failed while the file was being written. The file was not sent completely to "
    "the printer.";
inline constexpr char kEndPageFailedText[] =
    "The printer failed when ending the page. The file was not sent completely to the printer.";
inline constexpr char kEndDocFailedText[] =
    "The printer failed when ending the document. The file was not sent completely to the "
    "printer.";

// Followed by the file's length, kBytesWrittenText and the count written, both in decimal.
inline constexpr char kSentAllText[] = "Successfully sent entire file to printer.  File size: ";
inline constexpr char kSentPartText[] = "Failed to send all bytes to the printer.  File size: ";
inline constexpr char kBytesWrittenText[] = ", Bytes written: ";

// The whole file goes out in one write, whose length is a 32-bit count.
inline constexpr std::uint64_t kLargestUpgradeFile = 0xFFFFFFFFu;

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
