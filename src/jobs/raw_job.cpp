#include "jobs/raw_job.h"

#include <cstring>
#include <vector>

namespace tessaline {
namespace {

// A cut list is grown up to this size; a longer devices section is taken as cut.
constexpr std::uint32_t kDevicesBufferLimit = 16u * 1024u * 1024u;

void Tell(NoticeReceiver* notices, Notice notice) {
    if (notices != nullptr) {
        notices->OnNotice(notice);
    }
}

}  // namespace

PrinterList ListPrinters(PrinterListSource& source) {
    std::vector<char> buffer;
    std::uint32_t size = kDevicesBufferSize;
    std::uint32_t count = 0;
    for (;;) {
        buffer.assign(size, '\0');
        count = source.ReadDevicesSection(buffer.data(), size);
        // size - 2 is also what a list that just fits returns; reading it again is harmless.
        if (count < size - 2 || size > kDevicesBufferLimit / 2) {
            break;
        }
        size *= 2;
    }
    // Still cut at the limit: the name running into the cut is a fragment, not a printer.
    const bool cut = count == size - 2;
    // The walk stops at the count even if the source left no NUL there.
    if (count > size) {
        count = size;
    }

    PrinterList printers;
    const char* cursor = buffer.data();
    const char* const end = buffer.data() + count;
    while (cursor < end && *cursor != '\0') {
        const void* nul = std::memchr(cursor, '\0', static_cast<std::size_t>(end - cursor));
        if (nul == nullptr && cut) {
            break;
        }
        const char* nameEnd = nul != nullptr ? static_cast<const char*>(nul) : end;
        printers.emplace_back(cursor, nameEnd);
        cursor = nameEnd + 1;
    }
    return printers;
}

RawJobResult SubmitRawJob(Spooler& spooler, const PrinterName& printer, const void* bytes,
                          std::uint32_t length, NoticeReceiver* notices) {
    RawJobResult result;
    PrinterHandle handle = 0;
    if (!spooler.OpenPrinter(printer.c_str(), &handle)) {
        result.stage = RawJobStage::OpenFailed;
        return result;
    }
    if (notices != nullptr) {
        notices->OnPrinterOpened();
    }

    DocInfo1 doc{kRawJobDocumentName, nullptr, kDatatypeXpsPass};
    result.jobId = spooler.StartDocPrinter(handle, doc);
    if (result.jobId != 0) {
        Tell(notices, Notice::XpsPassAccepted);
    } else {
        Tell(notices, Notice::XpsPassRefused);
        doc.datatype = kDatatypeRaw;
        result.jobId = spooler.StartDocPrinter(handle, doc);
        if (result.jobId == 0) {
            Tell(notices, Notice::RawRefused);
            spooler.ClosePrinter(handle);
            result.stage = RawJobStage::StartDocFailed;
            return result;
        }
    }
    result.datatype = doc.datatype;

    if (!spooler.StartPagePrinter(handle)) {
        spooler.EndDocPrinter(handle);
        spooler.ClosePrinter(handle);
        result.stage = RawJobStage::StartPageFailed;
        return result;
    }

    std::uint32_t written = 0;
    if (!spooler.WritePrinter(handle, bytes, length, &written)) {
        spooler.EndPagePrinter(handle);
        spooler.EndDocPrinter(handle);
        spooler.ClosePrinter(handle);
        result.stage = RawJobStage::WriteFailed;
        return result;
    }

    if (!spooler.EndPagePrinter(handle)) {
        spooler.EndDocPrinter(handle);
        spooler.ClosePrinter(handle);
        result.stage = RawJobStage::EndPageFailed;
        return result;
    }

    if (!spooler.EndDocPrinter(handle)) {
        spooler.ClosePrinter(handle);
        result.stage = RawJobStage::EndDocFailed;
        return result;
    }

    spooler.ClosePrinter(handle);
    result.stage = RawJobStage::Completed;
    result.written = written;
    return result;
}

}  // namespace tessaline
