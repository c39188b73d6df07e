// Forms text, stored settings, printer name and spooler faults in; every job checked byte by
// byte against an independent reading of the PCL, and the form numbers against the range.
//
// Input: the forms text up to the first NUL; after it an optional trailer:
//   [0] bit 0: page size stored, bit 1: orientation stored, bits 2-4: spooler fault,
//       bit 5: short write
//   [1..4] page size, [5..8] orientation (little-endian), [9] count a short write reports,
//   [10..] printer name up to the next NUL ("Laser 1" without a trailer).

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "fakes/fake_spooler.h"
#include "fuzz/fuzz_check.h"
#include "jobs/form_test.h"
#include "settings/page_sizes.h"
#include "settings/settings_key.h"

namespace tessaline {
namespace {

using fuzz::Check;

// Longer ranges are checked at both ends only: every form costs two settings reads and a job,
// and a run a thousand forms long took as long as two thousand short ones.
constexpr std::int64_t kMaxFormsRun = 16;
constexpr char kApplication[] = "fuzz";

enum class Fault { None, RefuseXpsPass, RefuseBoth, Open, StartPage, Write, EndPage, EndDoc };

struct Input {
    std::string text;
    bool pageSizeStored = false;
    bool orientationStored = false;
    std::int32_t pageSize = 0;
    std::int32_t orientation = 0;
    Fault fault = Fault::None;
    bool shortWrite = false;
    std::uint32_t shortWriteCount = 0;
    std::string printer = "Laser 1";
};

std::int32_t LittleEndianAt(std::string_view bytes, std::size_t at) {
    std::uint32_t bits = 0;
    for (std::size_t i = 0; i < 4 && at + i < bytes.size(); ++i) {
        bits |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
    }
    std::int32_t value = 0;
    static_assert(sizeof value == sizeof bits);
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

Input Decode(std::string_view data) {
    Input input;
    const std::size_t nul = data.find('\0');
    input.text = std::string(data.substr(0, nul));
    if (nul == std::string_view::npos) {
        return input;
    }
    const std::string_view trailer = data.substr(nul + 1);
    const unsigned flags = trailer.empty() ? 0u : static_cast<unsigned char>(trailer[0]);
    input.pageSizeStored = (flags & 1u) != 0;
    input.orientationStored = (flags & 2u) != 0;
    input.fault = static_cast<Fault>((flags >> 2) & 7u);
    input.shortWrite = (flags & 0x20u) != 0;
    input.pageSize = LittleEndianAt(trailer, 1);
    input.orientation = LittleEndianAt(trailer, 5);
    input.shortWriteCount = trailer.size() > 9 ? static_cast<unsigned char>(trailer[9]) : 0u;
    if (trailer.size() > 10) {
        const std::string_view name = trailer.substr(10);
        input.printer = std::string(name.substr(0, name.find('\0')));
    }
    return input;
}

// The C library's own reading of a number, clamped to 32 bits.
std::int32_t ModelValue(const std::string& text) {
    errno = 0;
    const long long value = std::strtoll(text.c_str(), nullptr, 10);
    if (value > std::numeric_limits<std::int32_t>::max()) {
        return std::numeric_limits<std::int32_t>::max();
    }
    if (value < std::numeric_limits<std::int32_t>::min()) {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(value);
}

FormRange ModelRange(const std::string& text) {
    const std::size_t dash = text.find('-');
    if (dash == std::string::npos) {
        const std::int32_t value = ModelValue(text);
        return {value, value};
    }
    const std::int32_t a = ModelValue(text.substr(0, dash));
    const std::int32_t b = ModelValue(text.substr(dash + 1));
    return {a < b ? a : b, a < b ? b : a};
}

// Reads one signed decimal as the job must write it: no plus, no leading zeros, no "-0".
bool ReadDecimal(std::string_view bytes, std::size_t* at, std::int64_t* value) {
    std::size_t i = *at;
    const bool negative = i < bytes.size() && bytes[i] == '-';
    if (negative) {
        ++i;
    }
    const std::size_t digits = i;
    std::int64_t magnitude = 0;
    while (i < bytes.size() && bytes[i] >= '0' && bytes[i] <= '9' && i - digits < 11) {
        magnitude = magnitude * 10 + (bytes[i] - '0');
        ++i;
    }
    const std::size_t count = i - digits;
    if (count == 0 || (count > 1 && bytes[digits] == '0') || (negative && magnitude == 0)) {
        return false;
    }
    *value = negative ? -magnitude : magnitude;
    *at = i;
    return true;
}

bool ReadLiteral(std::string_view bytes, std::size_t* at, std::string_view literal) {
    if (bytes.substr(*at, literal.size()) != literal) {
        return false;
    }
    *at += literal.size();
    return true;
}

struct ParsedJob {
    std::int64_t pageSizeCode = 0;
    std::int64_t orientation = 0;
    std::int64_t form = 0;
};

// ESC E ESC &l <P> a <O> O ESC &f <N> y3X FF, and nothing more.
bool ParseJob(std::string_view bytes, ParsedJob* job) {
    std::size_t at = 0;
    return ReadLiteral(bytes, &at,
                       "\x1b"
                       "E\x1b&l") &&
           ReadDecimal(bytes, &at, &job->pageSizeCode) && ReadLiteral(bytes, &at, "a") &&
           ReadDecimal(bytes, &at, &job->orientation) && ReadLiteral(bytes, &at, "O\x1b&f") &&
           ReadDecimal(bytes, &at, &job->form) && ReadLiteral(bytes, &at, "y3X\x0c") &&
           at == bytes.size();
}

bool InTable(std::int64_t code) {
    for (const PageSize& entry : kPageSizes) {
        if (entry.pclCode == code) {
            return true;
        }
    }
    return false;
}

// Just the settings path a form test reads, without the recording fake's text logs (which made
// most of this target's time): software, maker, application and section, reached in that order,
// each checked by name, with the two values as the registry would hold them. The settings
// target covers the store against the full fake.
class SettingsOnlyRegistry : public Registry {
  public:
    bool pageSizeStored = false;
    bool orientationStored = false;
    std::uint32_t pageSize = 0;
    std::uint32_t orientation = 0;

    bool misused = false;  // a wrong key, a value written, or a handle used after its close
    int openKeys = 0;

    bool OpenKey(RegistryKey parent, const char* name, RegistryKey* key) override {
        return Reach(parent, name, key, false);
    }
    bool CreateKey(RegistryKey parent, const char* name, RegistryKey* key) override {
        return Reach(parent, name, key, true);
    }
    bool QueryValue(RegistryKey key, const char* name, std::uint32_t* type, void* data,
                    std::uint32_t* size) override {
        if (Level(key) != kSectionLevel) {
            misused = true;
            return false;
        }
        const std::string_view entry(name);
        const bool isPageSize = entry == kPageSizeEntry;
        if (!isPageSize && entry != kPageOrientationEntry) {
            misused = true;
            return false;
        }
        if (!(isPageSize ? pageSizeStored : orientationStored)) {
            return false;
        }
        const std::uint32_t value = isPageSize ? pageSize : orientation;
        if (*size < 4) {
            *size = 4;
            return false;
        }
        unsigned char* bytes = static_cast<unsigned char*>(data);
        for (int i = 0; i < 4; ++i) {
            bytes[i] = static_cast<unsigned char>((value >> (8 * i)) & 0xFF);
        }
        *type = kRegDword;
        *size = 4;
        return true;
    }
    bool SetDwordValue(RegistryKey, const char*, std::uint32_t) override {
        misused = true;
        return false;
    }
    void CloseKey(RegistryKey key) override {
        if (Level(key) <= 0) {
            misused = true;
            return;
        }
        for (RegistryKey& slot : m_open) {
            if (slot == key) {
                slot = 0;
            }
        }
        --openKeys;
    }

  private:
    static constexpr int kSectionLevel = 4;

    // The depth of an open key (0 for the hive), or -1 for a key that is not open.
    int Level(RegistryKey key) const {
        if (key == kCurrentUserKey) {
            return 0;
        }
        for (RegistryKey slot : m_open) {
            if (slot != 0 && slot == key) {
                return static_cast<int>(key & 7u);
            }
        }
        return -1;
    }

    bool Reach(RegistryKey parent, const char* name, RegistryKey* key, bool create) {
        static constexpr std::array<const char*, 4> kPath = {kSoftwareKey, kMakerKey, kApplication,
                                                             kPrintSettingsSection};
        const int level = Level(parent);
        // "software" is only ever opened; every key below it is created when missing.
        if (level < 0 || level >= kSectionLevel ||
            std::string_view(name) != kPath[static_cast<std::size_t>(level)] ||
            create != (level > 0)) {
            misused = true;
            return false;
        }
        for (RegistryKey& slot : m_open) {
            if (slot == 0) {
                slot = (m_next++ << 3) | static_cast<RegistryKey>(level + 1);
                *key = slot;
                ++openKeys;
                return true;
            }
        }
        misused = true;  // more keys open at once than a settings read ever needs
        return false;
    }

    std::array<RegistryKey, 2> m_open{};
    RegistryKey m_next = 1;
};

class RecordingHost : public FormTestHost {
  public:
    explicit RecordingHost(std::string printer) : m_printer(std::move(printer)) {}
    PrinterName SelectedPrinter() override {
        ++printerReads;
        return m_printer;
    }
    void TakeFields() override { ++fieldTakes; }

    std::int64_t printerReads = 0;
    std::int64_t fieldTakes = 0;

  private:
    std::string m_printer;
};

void CheckJobBytes(const Input& input, const std::string& bytes, std::int64_t form) {
    ParsedJob job;
    Check(ParseJob(bytes, &job), "job bytes are ESC E ESC &l<P>a<O>O ESC &f<N>y3X FF exactly");
    Check(InTable(job.pageSizeCode), "page size code comes from the table");
    if (input.pageSizeStored && input.pageSize >= 0 && input.pageSize < 12) {
        Check(job.pageSizeCode == kPageSizes[input.pageSize].pclCode,
              "page size code matches stored index");
    }
    if (!input.pageSizeStored) {
        Check(job.pageSizeCode == 2, "no stored page size sends Letter");
    }
    const std::int64_t orientation = input.orientationStored ? input.orientation : 0;
    Check(job.orientation == orientation, "orientation is the stored value, 0 by default");
    Check(job.form == form, "form number is the one asked for");
}

// Faults that still leave the job's bytes with the spooler.
bool BytesReachSpooler(Fault fault) {
    return fault == Fault::None || fault == Fault::RefuseXpsPass || fault == Fault::EndPage ||
           fault == Fault::EndDoc;
}

void Configure(const Input& input, FakeSpooler* spooler, SettingsOnlyRegistry* registry) {
    registry->pageSizeStored = input.pageSizeStored;
    registry->pageSize = static_cast<std::uint32_t>(input.pageSize);
    registry->orientationStored = input.orientationStored;
    registry->orientation = static_cast<std::uint32_t>(input.orientation);
    switch (input.fault) {
        case Fault::None:
            break;
        case Fault::RefuseBoth:
            spooler->refusedDatatypes.insert(kDatatypeRaw);
            [[fallthrough]];
        case Fault::RefuseXpsPass:
            spooler->refusedDatatypes.insert(kDatatypeXpsPass);
            break;
        case Fault::Open:
            spooler->failOpen = true;
            break;
        case Fault::StartPage:
            spooler->failStartPage = true;
            break;
        case Fault::Write:
            spooler->failWrite = true;
            break;
        case Fault::EndPage:
            spooler->failEndPage = true;
            break;
        case Fault::EndDoc:
            spooler->failEndDoc = true;
            break;
    }
    spooler->shortWrite = input.shortWrite;
    spooler->shortWriteCount = input.shortWriteCount;
}

// One job per number asked for, in that order, to the printer named, each job well formed.
void CheckRun(const Input& input, const FakeSpooler& spooler,
              const std::vector<std::int64_t>& forms) {
    const auto count = static_cast<std::int64_t>(forms.size());
    std::int64_t opens = 0;
    for (const std::string& call : spooler.calls) {
        if (call.rfind("Open(", 0) == 0) {
            Check(call == "Open(" + input.printer + ")", "printer name passed whole");
            ++opens;
        }
    }
    Check(opens == count, "one printer open per form number");
    Check(spooler.handleErrors.empty(), "no spooler handle misuse");
    Check(spooler.AllHandlesClosedOnce(), "every printer handle closed once");
    Check(spooler.AllDocsEndedOnce(), "every started document ended once");
    if (!BytesReachSpooler(input.fault)) {
        return;
    }
    Check(static_cast<std::int64_t>(spooler.jobs.size()) == count, "one job per form number");
    const char* datatype = input.fault == Fault::RefuseXpsPass ? kDatatypeRaw : kDatatypeXpsPass;
    for (std::size_t i = 0; i < spooler.jobs.size(); ++i) {
        const FakeSpoolJob& job = spooler.jobs[i];
        Check(job.printer == input.printer, "job on the printer named");
        Check(job.docName == kRawJobDocumentName && job.outputFile == "null",
              "job named My Document with no output file");
        Check(job.datatype == datatype, "datatype XPS_PASS, RAW only after a refusal");
        Check(job.pagesStarted == 1 && job.pagesEnded == 1 && job.ended, "one page, ended");
        CheckJobBytes(input, job.bytes, forms[i]);
    }
}

bool ExpectComplete(const Input& input, std::size_t length) {
    if (!BytesReachSpooler(input.fault) || input.fault == Fault::EndPage ||
        input.fault == Fault::EndDoc) {
        return false;
    }
    return !input.shortWrite || input.shortWriteCount == length;
}

}  // namespace
}  // namespace tessaline

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessaline;
    const Input input = Decode(std::string_view(reinterpret_cast<const char*>(data), size));

    const FormRange range = ParseFormRange(input.text);
    const FormRange model = ModelRange(input.text);
    Check(range.first == model.first && range.last == model.last,
          "range is the atoi reading of the text split at its first dash");
    Check(range.first <= range.last, "range runs low to high");

    FakeSpooler spooler;
    SettingsOnlyRegistry registry;
    Configure(input, &spooler, &registry);
    ProfileStore profile(registry, kMakerKey, kApplication);
    RecordingHost host(input.printer);
    const FormTestContext context{spooler, profile, host};

    const std::int64_t count =
        static_cast<std::int64_t>(range.last) - static_cast<std::int64_t>(range.first) + 1;
    std::vector<std::int64_t> forms;
    if (count <= kMaxFormsRun) {
        PrintForms(context, input.text);
        for (std::int64_t form = range.first; form <= range.last; ++form) {
            forms.push_back(form);
        }
    } else {
        // Too many jobs to send: check both ends of the range one job at a time.
        for (const std::int32_t form : {range.first, range.last}) {
            const std::string expected =
                FormTestJob(PclPageSizeCode(input.pageSizeStored ? input.pageSize : 1),
                            input.orientationStored ? input.orientation : 0, form);
            CheckJobBytes(input, expected, form);
            const bool complete = SendFormTest(context, form);
            Check(complete == ExpectComplete(input, expected.size()),
                  "complete only when the spooler took every byte");
            forms.push_back(form);
        }
    }
    CheckRun(input, spooler, forms);
    const auto jobsAsked = static_cast<std::int64_t>(forms.size());
    Check(host.printerReads == jobsAsked, "printer selection read once per job");
    Check(host.fieldTakes == jobsAsked, "fields taken once per job");
    Check(registry.openKeys == 0, "every registry key closed");
    Check(!registry.misused,
          "settings read along their path, keys used only while open, nothing stored");
    return 0;
}
