// Any "devices" section bytes, from a well-behaved source or from one that fills the whole buffer
// and reports any count; the list must be the NUL-separated names at the start of what the
// source wrote, never read past its buffer (ASan) and never past the count it reported.
//
// Input: [0] bit 0: which source; bits 1-3: the count the filling source reports; bits 4-6:
//        how many reads it keeps doing so (1 to 3, or every read when all three are set) before
//        reporting what it wrote;
//        [1] repeats of the section (well-behaved) or the byte the rest of the buffer is filled
//        with (filling); [2..] the section bytes.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "fakes/fake_printer_list_source.h"
#include "fuzz/fuzz_check.h"
#include "jobs/raw_job.h"

namespace tessaline {
namespace {

using fuzz::Check;

constexpr std::size_t kMaxSection = 1u << 18;
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
        const Reported reported =
            m_lies == 0 || m_reads++ < m_lies ? m_reported : Reported::Written;
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
        // Only the bytes up to the count may be read.
        const std::size_t visible = std::min<std::size_t>(count, size);
        lastBuffer.assign(buffer, visible);
        return count;
    }

    std::string lastBuffer;

  private:
    std::string_view m_section;
    char m_filler;
    Reported m_reported;
    unsigned m_lies;
    unsigned m_reads = 0;
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

void FuzzWellBehaved(std::string_view content, unsigned repeats) {
    FakePrinterListSource fake;
    // Repeating a short section reaches the cut and the re-read without huge inputs.
    const std::size_t times =
        content.empty() ? 1 : std::min<std::size_t>(1 + repeats * 97, kMaxSection / content.size());
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

// How many reads the filling source reports its chosen count; 0 for every read. Lying on every
// read grows the buffer to its largest size, slow enough to keep rare.
unsigned Lies(std::uint8_t mode) {
    const unsigned bits = (mode >> 4) & 7u;
    return bits == 7u ? 0u : bits % 3u + 1u;
}

void FuzzFilling(std::string_view content, char filler, Reported reported, unsigned lies) {
    FillingSource filling(content, filler, reported, lies);
    CountingSource source(filling);
    const PrinterList names = ListPrinters(source);
    CheckSizes(source.sizes, source.counts);
    CheckNames(names, filling.lastBuffer);
    const bool cut = source.counts.back() == source.sizes.back() - 2;
    Check(names == ModelNames(filling.lastBuffer, cut),
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
