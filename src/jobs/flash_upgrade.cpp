#include "jobs/flash_upgrade.h"

#include <cstdint>
#include <memory>
#include <string>

#include "jobs/job_stages.h"

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
        const UpgradeMessage message = NoticeMessage(notice);
        m_boxes.Show(message.text, message.caption, message.type);
        if (notice == Notice::RawRefused) {
            m_toldNotSent = true;
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
            throw FileException(FileErrorCause::EndOfFile);
        }
        // A reader that claims more than it was asked for has not given us more bytes.
        done += got < asked ? got : asked;
    }
}

// Unsigned on purpose: a length above 2^31 - 1 must not read as a negative size.
std::string CountsText(const char* lead, std::uint32_t length, std::uint32_t written) {
    return std::string(lead) + std::to_string(length) + kBytesWrittenText + std::to_string(written);
}

void Show(MessageBoxes& boxes, const UpgradeMessage& message) {
    boxes.Show(message.text, message.caption, message.type);
}

}  // namespace

OpenedUpgradeFile OpenUpgradeFile(FileSystem& files, const std::string& path) {
    OpenedUpgradeFile opened;
    opened.file = files.OpenForReading(path);
    if (!opened.file) {
        opened.status = UpgradeFileStatus::NotOpened;
        return opened;
    }
    // Asked before the confirmation so that a file too large is refused before the user is
    // asked to commit.
    opened.status = opened.file->Length() > kLargestUpgradeFile ? UpgradeFileStatus::TooLarge
                                                                : UpgradeFileStatus::Opened;
    return opened;
}

bool ReadUpgradeFile(ReadableFile& file, UpgradeBytes* bytes) {
    // Asked again: our sharing mode does not keep out a change made from outside Wine while
    // the confirmation was up, and an old length would send a prefix reported as complete.
    const std::uint64_t length = file.Length();
    if (length > kLargestUpgradeFile) {
        return false;
    }
    bytes->length = static_cast<std::uint32_t>(length);
    // Not value-initialised: every byte is overwritten by the read before anything is sent.
    bytes->data.reset(new std::uint8_t[bytes->length]);
    ReadWhole(file, bytes->data.get(), bytes->length);
    return true;
}

RawJobResult SubmitUpgrade(Spooler& spooler, const PrinterName& printer, const UpgradeBytes& bytes,
                           NoticeReceiver* notices) {
    return SubmitRawJob(spooler, printer, bytes.data.get(), bytes.length, notices);
}

UpgradeMessage FileStatusMessage(UpgradeFileStatus status) {
    return {status == UpgradeFileStatus::TooLarge ? kFileTooLargeText : kFileNotOpenedText,
            kFileErrorCaption, kWarning};
}

UpgradeMessage NoticeMessage(Notice notice) {
    switch (notice) {
        case Notice::XpsPassAccepted:
            return {kXpsPassAcceptedText, kPrinterStatusCaption, kWarning};
        case Notice::XpsPassRefused:
            return {kXpsPassRefusedText, kPrinterErrorCaption, kWarning};
        case Notice::RawRefused:
            break;
    }
    return {kRawRefusedText, kPrinterErrorCaption, kWarning};
}

std::optional<UpgradeMessage> OutcomeMessage(const RawJobResult& result, std::uint32_t length,
                                             bool rawRefusedTold) {
    if (result.stage == RawJobStage::Completed) {
        if (result.IsComplete(length)) {
            return UpgradeMessage{CountsText(kSentAllText, length, result.written),
                                  kPrintingCompleteCaption, kInformation};
        }
        return UpgradeMessage{CountsText(kSentPartText, length, result.written),
                              kPrinterErrorCaption, kWarning};
    }
    if (result.stage == RawJobStage::StartDocFailed && rawRefusedTold) {
        return std::nullopt;
    }
    return UpgradeMessage{JobStage(result.stage).boxText, kPrinterErrorCaption, kWarning};
}

void FlashUpgrade(const FlashUpgradeContext& context) {
    const OpenedUpgradeFile opened = OpenUpgradeFile(context.files, context.path);
    if (opened.status != UpgradeFileStatus::Opened) {
        Show(context.boxes, FileStatusMessage(opened.status));
        return;
    }

    // Only an explicit Yes sends: a box that failed or was closed some other way is no consent.
    if (context.boxes.Show(kConfirmUpgradeText, kConfirmUpgradeCaption, kConfirmUpgradeType) !=
        kIdYes) {
        return;
    }

    UpgradeBytes bytes;
    if (!ReadUpgradeFile(*opened.file, &bytes)) {
        Show(context.boxes, FileStatusMessage(UpgradeFileStatus::TooLarge));
        return;
    }

    const PrinterName printer = context.host.SelectedPrinter();
    DebugNotices notices(context.host, context.boxes);
    const RawJobResult result = SubmitUpgrade(context.spooler, printer, bytes, &notices);
    if (const auto outcome = OutcomeMessage(result, bytes.length, notices.ToldNotSent())) {
        Show(context.boxes, *outcome);
    }
}

}  // namespace tessaline
