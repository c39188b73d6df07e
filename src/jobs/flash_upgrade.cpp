#include "jobs/flash_upgrade.h"

#include <cstdint>
#include <memory>
#include <string>

namespace tessaline {
namespace {

constexpr std::uint32_t kWarning = kMbOk | kMbIconExclamation;
constexpr std::uint32_t kInformation = kMbOk | kMbIconInformation;
constexpr std::uint32_t kLargestRead = 16u * 1024u * 1024u;

// Shows the datatype notices when Debug Mode was on as the printer opened.
class DebugNotices : public NoticeReceiver {
  public:
    DebugNotices(FlashUpgradeHost& host, MessageBoxes& boxes) : m_host(host), m_boxes(boxes) {}

    void OnPrinterOpened() override {
        if (!m_switchRead) {
            m_switchRead = true;
            m_on = m_host.DebugMode();
        }
    }

    void OnNotice(Notice notice) override {
        if (!m_on) {
            return;
        }
        switch (notice) {
            case Notice::XpsPassAccepted:
                m_boxes.Show(kXpsPassAcceptedText, kPrinterStatusCaption, kWarning);
                break;
            case Notice::XpsPassRefused:
                m_boxes.Show(kXpsPassRefusedText, kPrinterErrorCaption, kWarning);
                break;
            case Notice::RawRefused:
                m_boxes.Show(kRawRefusedText, kPrinterErrorCaption, kWarning);
                m_toldNotSent = true;
                break;
        }
    }

    // A notice has already told the user that nothing was sent.
    bool ToldNotSent() const { return m_toldNotSent; }

  private:
    FlashUpgradeHost& m_host;
    MessageBoxes& m_boxes;
    bool m_switchRead = false;
    bool m_on = false;
    bool m_toldNotSent = false;
};

// Reads until the buffer is full, in pieces: large single reads fail on some network shares.
// A file that ends early is a file error: the tail of the buffer was never read, and sending it
// would put garbage into the printer's module.
void ReadWhole(ReadableFile& file, std::uint8_t* buffer, std::uint32_t length) {
    std::uint32_t done = 0;
    while (done < length) {
        const std::uint32_t rest = length - done;
        const std::uint32_t asked = rest < kLargestRead ? rest : kLargestRead;
        const std::uint32_t got = file.Read(buffer + done, asked);
        if (got == 0) {
            throw FileException(FileErrorCause::EndOfFile, 0);
        }
        // A reader that claims more than it was asked for has not given us more bytes.
        done += got < asked ? got : asked;
    }
}

const char* StageFailureText(RawJobStage stage) {
    switch (stage) {
        case RawJobStage::OpenFailed:
            return kPrinterNotOpenedText;
        case RawJobStage::StartDocFailed:
            return kStartDocFailedText;
        case RawJobStage::StartPageFailed:
            return kStartPageFailedText;
        case RawJobStage::WriteFailed:
            return kWriteFailedText;
        case RawJobStage::EndPageFailed:
            return kEndPageFailedText;
        case RawJobStage::EndDocFailed:
            return kEndDocFailedText;
        case RawJobStage::Completed:
            break;
    }
    return nullptr;
}

// Unsigned on purpose: a length above 2^31 - 1 must not read as a negative size.
std::string CountsText(const char* lead, std::uint32_t length, std::uint32_t written) {
    return std::string(lead) + std::to_string(length) + kBytesWrittenText + std::to_string(written);
}

void ReportResult(MessageBoxes& boxes, const RawJobResult& result, std::uint32_t length,
                  const DebugNotices& notices) {
    if (result.stage == RawJobStage::Completed) {
        if (result.IsComplete(length)) {
            boxes.Show(CountsText(kSentAllText, length, result.written), kPrintingCompleteCaption,
                       kInformation);
        } else {
            boxes.Show(CountsText(kSentPartText, length, result.written), kPrinterErrorCaption,
                       kWarning);
        }
        return;
    }
    if (result.stage == RawJobStage::StartDocFailed && notices.ToldNotSent()) {
        return;
    }
    boxes.Show(StageFailureText(result.stage), kPrinterErrorCaption, kWarning);
}

// Takes the file's length; a file too large for one write gets the "File Error" box and false.
bool RefuseIfTooLarge(ReadableFile& file, MessageBoxes& boxes, std::uint32_t* length = nullptr) {
    const std::uint64_t fileLength = file.Length();
    if (fileLength > kLargestUpgradeFile) {
        boxes.Show(kFileTooLargeText, kFileErrorCaption, kWarning);
        return false;
    }
    if (length != nullptr) {
        *length = static_cast<std::uint32_t>(fileLength);
    }
    return true;
}

}  // namespace

void FlashUpgrade(const FlashUpgradeContext& context) {
    const std::unique_ptr<ReadableFile> file = context.files.OpenForReading(context.path);
    if (!file) {
        context.boxes.Show(kFileNotOpenedText, kFileErrorCaption, kWarning);
        return;
    }

    // Asked before the confirmation so that a file too large is refused before the user is
    // asked to commit.
    if (!RefuseIfTooLarge(*file, context.boxes)) {
        return;
    }

    // Only an explicit Yes sends: a box that failed or was closed some other way is no consent.
    if (context.boxes.Show(kConfirmUpgradeText, kConfirmUpgradeCaption, kConfirmUpgradeType) !=
        kIdYes) {
        return;
    }

    // Asked again: our sharing mode does not keep out a change made from outside Wine while
    // the confirmation was up, and an old length would send a prefix reported as complete.
    std::uint32_t length = 0;
    if (!RefuseIfTooLarge(*file, context.boxes, &length)) {
        return;
    }

    // Not value-initialised: every byte is overwritten by the read before anything is sent.
    const std::unique_ptr<std::uint8_t[]> buffer(new std::uint8_t[length]);
    ReadWhole(*file, buffer.get(), length);

    const PrinterName printer = context.host.SelectedPrinter();
    DebugNotices notices(context.host, context.boxes);
    const RawJobResult result =
        SubmitRawJob(context.spooler, printer, buffer.get(), length, &notices);
    ReportResult(context.boxes, result, length, notices);
}

}  // namespace tessaline
