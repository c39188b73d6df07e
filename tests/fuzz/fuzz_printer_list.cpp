// Any "devices" section bytes, from a well-behaved source or from one that fills the whole buffer
// and reports any count; the list must be the NUL-separated names at the start of what the
// source wrote, never read past its buffer (ASan) and never past the count it reported.
//
// Input: [0] bit 0: which source; bits 1-3: the count the filling source reports; bits 4-5:
//        how many reads it keeps doing so (1 to 3) before reporting what it wrote;
//        [1] well-behaved: 0xF0 and above repeat the section to end near the first buffer's
//        size (low 4 bits: from 8 copies short of it to 7 past it), anything lower takes it once;
//        filling: the byte the rest of the buffer is filled with; [2..] the section bytes.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "fakes/fake_printer_list_source.h"
#include "fuzz/fuzz_check.h"
#include "jobs/printer_list.h"

namespace tessaline {
namespace {

using fuzz::Check;

constexpr std::size_t kMaxReads = 16;

// What a source that ignores the contract reports as its count.
enum class Reported { Written, Cut, Size, PastSize, Largest, OneShort, Zero, Half };

// Copies the section, fills every remaining byte of the buffer, and reports a chosen count.
class FillingSource : public PrinterListSource {
  public:
    FillingSource(std::string_view section, char filler, Reported reported, unsigned lies)
        : m_section(section), m_filler(filler), m_reported(reported), m_lies(lies) {}

    std::uint32_t ReadDevicesSection(char* buffer, std::uint32_t size) override {
        const std::size_t copied = std::min<std::size_t>(m_section.size(), size);
        std::memcpy(buffer, m_section.data(), copied);
        std::fill(buffer + copied, buffer + size, m_filler);
        const auto written = static_cast<std::uint32_t>(copied);
        std::uint32_t count = written;
        const Reported reported = m_reads++ < m_lies ? m_reported : Reported::Written;
        switch (reported) {
            case Reported::Written:
                count = written;
                break;
            case Reported::Cut:
                count = size - 2;
                break;
            case Reported::Size:
                count = size;
                break;
            case Reported::PastSize:
                count = size + 1 + static_cast<unsigned char>(m_filler);
                break;
            case Reported::Largest:
                count = std::numeric_limits<std::uint32_t>::max();
                break;
            case Reported::OneShort:
                count = written == 0 ? 0 : written - 1;
                break;
            case Reported::Zero:
                count = 0;
                break;
            case Reported::Half:
                count = written / 2;
                break;
        }
        m_lastCopied = copied;
        m_lastVisible = std::min<std::size_t>(count, size);
        return count;
    }

    // The bytes up to the count of the last read, the only ones that may be read. Rebuilt
    // rather than copied on every read: a buffer grown to its limit is 15 MB.
    std::string LastVisible() const {
        std::string visible(m_section.substr(0, std::min(m_lastCopied, m_lastVisible)));
        visible.resize(m_lastVisible, m_filler);
        return visible;
    }

  private:
    std::string_view m_section;
    char m_filler;
    Reported m_reported;
    unsigned m_lies;
    unsigned m_reads = 0;
    std::size_t m_lastCopied = 0;
    std::size_t m_lastVisible = 0;
};

// The names in visible: each runs to the next NUL or to the end; an empty one ends the list.
// In a list reported cut, a name that runs to the end is a fragment and left out.
PrinterList ModelNames(std::string_view visible, bool cut) {
    PrinterList names;
    std::size_t at = 0;
    while (at < visible.size() && visible[at] != '\0') {
        const std::size_t nul = visible.find('\0', at);
        if (nul == std::string_view::npos && cut) {
            break;
        }
        const std::size_t end = nul == std::string_view::npos ? visible.size() : nul;
        names.emplace_back(visible.substr(at, end - at));
        at = end + 1;
    }
    return names;
}

void CheckNames(const PrinterList& names, std::string_view input) {
    std::string joined;
    for (const PrinterName& name : names) {
        Check(!name.empty(), "no printer name is empty");
        Check(name.find('\0') == std::string::npos, "no printer name holds a NUL");
        if (!joined.empty()) {
            joined.push_back('\0');
        }
        joined += name;
    }
    Check(input.substr(0, joined.size()) == joined,
          "the names joined by NULs are a prefix of the section");
}

// The first read uses the documented buffer; each further read doubles it and follows a read
// that filled the buffer; the growth stops.
void CheckSizes(const std::vector<std::uint32_t>& sizes, const std::vector<std::uint32_t>& counts) {
    Check(!sizes.empty() && sizes[0] == kDevicesBufferSize, "first read uses 15000 bytes");
    Check(sizes.size() <= kMaxReads, "the buffer stops growing");
    for (std::size_t i = 1; i < sizes.size(); ++i) {
        Check(sizes[i] == 2 * sizes[i - 1], "each read again doubles the buffer");
        Check(counts[i - 1] >= sizes[i - 1] - 2, "read again only after a full buffer");
    }
}

class CountingSource : public PrinterListSource {
  public:
    explicit CountingSource(PrinterListSource& inner) : m_inner(inner) {}
    std::uint32_t ReadDevicesSection(char* buffer, std::uint32_t size) override {
        sizes.push_back(size);
        counts.push_back(m_inner.ReadDevicesSection(buffer, size));
        return counts.back();
    }
    std::vector<std::uint32_t> sizes;
    std::vector<std::uint32_t> counts;

  private:
    PrinterListSource& m_inner;
};

// Copies of the section. A long list of short names costs thousands of strings per run: with
// most inputs repeated up to 256 KiB they took nearly all of this target's time. So most lists
// are read once, and one in sixteen ends within a few copies of the first buffer's size, where a
// list just fits, is cut and is read again; the lying source reaches the later re-reads.
std::size_t Repeats(std::size_t contentSize, unsigned mode) {
    if (contentSize == 0 || mode < 0xF0u) {
        return 1;
    }
    const std::size_t nearBuffer = (kDevicesBufferSize + contentSize - 1) / contentSize;
    const std::size_t times = nearBuffer + (mode & 15u);
    return times > 8 ? times - 8 : 1;
}

void FuzzWellBehaved(std::string_view content, unsigned mode) {
    FakePrinterListSource fake;
    const std::size_t times = Repeats(content.size(), mode);
    for (std::size_t i = 0; i < times; ++i) {
        fake.section.append(content);
    }
    CountingSource source(fake);
    const PrinterList names = ListPrinters(source);
    CheckSizes(source.sizes, source.counts);
    Check(source.sizes.back() > fake.section.size(), "a cut list is read again until it fits");
    const std::string whole = fake.section + std::string(1, '\0');
    CheckNames(names, whole);
    Check(names == ModelNames(whole, false), "every name of the section, in order");
}

// How many reads the filling source reports its chosen count. A source that lied on every read
// grew the buffer to its largest size, some 30 MB of buffers per run, and its mutations kept
// doing so: at one input in eight they took nearly all of this target's time. The largest buffer
// and the cut list it ends with are pinned by the unit tests instead.
unsigned Lies(std::uint8_t mode) {
    return ((mode >> 4) & 3u) % 3u + 1u;
}

void FuzzFilling(std::string_view content, char filler, Reported reported, unsigned lies) {
    FillingSource filling(content, filler, reported, lies);
    CountingSource source(filling);
    const PrinterList names = ListPrinters(source);
    CheckSizes(source.sizes, source.counts);
    const std::string visible = filling.LastVisible();
    CheckNames(names, visible);
    const bool cut = source.counts.back() == source.sizes.back() - 2;
    Check(names == ModelNames(visible, cut),
          "the names before the reported count, whole names only when cut");
}

}  // namespace
}  // namespace tessaline

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessaline;
    if (size < 2) {
        return 0;
    }
    const std::string_view content(reinterpret_cast<const char*>(data) + 2, size - 2);
    if ((data[0] & 1u) == 0) {
        FuzzWellBehaved(content, data[1]);
    } else {
        FuzzFilling(content, static_cast<char>(data[1]), static_cast<Reported>((data[0] >> 1) & 7u),
                    Lies(data[0]));
    }
    return 0;
}
