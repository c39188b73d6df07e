#include "jobs/flash_upgrade.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "fakes/fake_file_system.h"
#include "fakes/fake_message_boxes.h"
#include "fakes/fake_spooler.h"

namespace tessaline {
namespace {

using Log = std::vector<std::string>;

const std::string kPath = "C:\\Upgrades\\module.bin";
const std::string kPrinter = "Laser 5";
const std::string kFileBytes("UPG\0\xff\n", 6);
const std::string kXps = "StartDoc(My Document,null,XPS_PASS)";
const std::string kRaw = "StartDoc(My Document,null,RAW)";

// Texts spelled out here rather than taken from the header, so a slip in a constant shows.
const ShownBox kConfirmBox{
    "You have chosen to send the selected file to the Korvane hardware installed on your laser "
    "printer.\nBe sure the file is an Korvane Flash Upgrade File or unpredictable results may "
    "occur.\nThere is no way to undo this operation.  Are you sure you wish to begin the upgrade?",
    "Confirm Upgrade", 0x34};
const ShownBox kNotOpenedBox{"The file entered was not found or could not be opened", "File Error",
                             0x30};
const ShownBox kTooLargeBox{
    "The file is too large to send to the printer. Files must be smaller than 4 GB.", "File Error",
    0x30};
const ShownBox kXpsAcceptedNotice{"Successfully used XPS_PASS mode.", "Printer Status", 0x30};
const ShownBox kXpsRefusedNotice{
    "Failed to open printer using XPS_PASS mode. Trying older RAW mode.", "Printer Error", 0x30};
const ShownBox kRawRefusedNotice{
    "Failed to open printer using older RAW mode. File was not sent to the printer.",
    "Printer Error", 0x30};
const ShownBox kPrinterNotOpenedBox{
    "The selected printer could not be opened. The file was not sent to the printer.",
    "Printer Error", 0x30};
const ShownBox kStartDocBox{
    "The printer refused the job when starting the document. The file was not sent to the "
    "printer.",
    "Printer Error", 0x30};
const ShownBox kStartPageBox{
    "The printer refused the job when starting the page. The file was not sent to the printer.",
    "Printer Error", 0x30};
const ShownBox kWriteBox{
    "The printer failed while the file was being written. The file was not sent completely to "
    "the printer.",
    "Printer Error", 0x30};
const ShownBox kEndPageBox{
    "The printer failed when ending the page. The file was not sent completely to the printer.",
    "Printer Error", 0x30};
const ShownBox kEndDocBox{
    "The printer failed when ending the document. The file was not sent completely to the "
    "printer.",
    "Printer Error", 0x30};

ShownBox SentAll(const std::string& size, const std::string& written) {
    return {"Successfully sent entire file to printer.  File size: " + size +
                ", Bytes written: " + written,
            "Printing Complete", 0x40};
}

ShownBox SentPart(const std::string& size, const std::string& written) {
    return {"Failed to send all bytes to the printer.  File size: " + size +
                ", Bytes written: " + written,
            "Printer Error", 0x30};
}

// Answers the printer and the Debug Mode question. Only where Debug Mode is read is fixed, so
// each read keeps the spooler's calls made before it; the printer is only counted.
class FakeHost : public FlashUpgradeHost {
  public:
    explicit FakeHost(const FakeSpooler& spooler) : m_spooler(spooler) {}
    PrinterName SelectedPrinter() override {
        ++printerAsked;
        return kPrinter;
    }
    bool DebugMode() override {
        debugReadAfter.push_back(m_spooler.calls);
        return debugMode;
    }

    bool debugMode = false;
    int printerAsked = 0;
    std::vector<Log> debugReadAfter;

  private:
    const FakeSpooler& m_spooler;
};

// The file's, the spooler's and the boxes' calls also go into one sequence, in the order that
// the user sees them follow; the spooler keeps its own calls too. The host's answers stay out.
struct Rig {
    FakeSpooler spooler;
    FakeFileSystem files;
    FakeMessageBoxes boxes;
    FakeHost host{spooler};
    Log sequence;

    Rig() {
        spooler.log = &sequence;
        files.log = &sequence;
        boxes.log = &sequence;
        boxes.answers = {kIdYes};
        files.files[kPath].content = kFileBytes;
    }

    void Run(const std::string& path = kPath) {
        FlashUpgrade(FlashUpgradeContext{files, spooler, boxes, host, path});
    }

    // Runs and returns the cause of the FileException that came out, if any.
    std::optional<FileErrorCause> RunCatchingFileError(const std::string& path) {
        try {
            Run(path);
        } catch (const FileException& e) {
            return e.Cause();
        }
        return std::nullopt;
    }

    FakeFileSetup& File() { return files.files[kPath]; }
};

bool IsSpoolerCall(const std::string& call) {
    for (const char* other : {"FileOpen(", "Length", "Read(", "FileClose", "Box("}) {
        if (call.rfind(other, 0) == 0) {
            return false;
        }
    }
    return true;
}

Log SpoolerCalls(const Log& sequence) {
    Log calls;
    std::copy_if(sequence.begin(), sequence.end(), std::back_inserter(calls), IsSpoolerCall);
    return calls;
}

// The printer is asked for once at most, and once whenever the spooler was reached. Debug
// Mode is read once, right after the printer opened and before the first document start, and
// never when it did not open.
void ExpectHostAskedWhereFixed(const Rig& rig) {
    if (rig.spooler.calls.empty()) {
        EXPECT_LE(rig.host.printerAsked, 1);
    } else {
        EXPECT_EQ(rig.host.printerAsked, 1);
    }
    if (rig.spooler.OpenCount() > 0) {
        EXPECT_EQ(rig.host.debugReadAfter, std::vector<Log>{{"Open(" + kPrinter + ")"}});
    } else {
        EXPECT_EQ(rig.host.debugReadAfter, std::vector<Log>{});
    }
}

void ExpectCleanedUp(const Rig& rig) {
    EXPECT_EQ(rig.files.OpenNow(), 0);
    EXPECT_EQ(rig.files.closed, rig.files.opened);
    EXPECT_LE(rig.files.opened, 1);
    EXPECT_TRUE(rig.spooler.AllHandlesClosedOnce());
    EXPECT_TRUE(rig.spooler.AllDocsEndedOnce());
    EXPECT_EQ(rig.spooler.handleErrors, Log{});
}

// ---- The file, the confirmation and the read, up to the job

struct FileCase {
    const char* name;
    std::function<void(Rig&)> setup;
    std::string path;
    Log log;
    std::vector<ShownBox> boxes;
    std::optional<FileErrorCause> error;
    int opened;
};

const Log kJobAllAccepted = {"Open(Laser 5)", kXps, "StartPage"};

Log Join(Log head, const Log& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

const std::vector<FileCase> kFileCases = {
    {"MissingFile",
     nullptr,
     "C:\\Upgrades\\missing.bin",
     {"FileOpen(C:\\Upgrades\\missing.bin)", "Box(File Error)"},
     {kNotOpenedBox},
     std::nullopt,
     0},
    {"HeldByAnotherProgram",
     [](Rig& r) { r.File().heldByOtherProgram = true; },
     kPath,
     {"FileOpen(" + kPath + ")", "Box(File Error)"},
     {kNotOpenedBox},
     std::nullopt,
     0},
    {"EmptyPath", nullptr, "", {"FileOpen()", "Box(File Error)"}, {kNotOpenedBox}, std::nullopt, 0},
    {"UntouchedPromptText",
     nullptr,
     "(Browse or Drag and Drop file)",
     {"FileOpen((Browse or Drag and Drop file))", "Box(File Error)"},
     {kNotOpenedBox},
     std::nullopt,
     0},
    {"AnsweredNo",
     [](Rig& r) { r.boxes.answers = {kIdNo}; },
     kPath,
     {"FileOpen(" + kPath + ")", "Length", "Box(Confirm Upgrade)", "FileClose"},
     {kConfirmBox},
     std::nullopt,
     1},
    {"FourGiBRefusedBeforeConfirmation",
     [](Rig& r) { r.File().length = 0x100000000ull; },
     kPath,
     {"FileOpen(" + kPath + ")", "Length", "Box(File Error)", "FileClose"},
     {kTooLargeBox},
     std::nullopt,
     1},
    {"HugeLengthRefused",
     [](Rig& r) { r.File().length = 0xFFFFFFFFFFFFFFFFull; },
     kPath,
     {"FileOpen(" + kPath + ")", "Length", "Box(File Error)", "FileClose"},
     {kTooLargeBox},
     std::nullopt,
     1},
    // Answered No so the boundary is checked without a 4 GiB buffer.
    {"LargestLengthReachesConfirmation",
     [](Rig& r) {
         r.File().length = 0xFFFFFFFFull;
         r.boxes.answers = {kIdNo};
     },
     kPath,
     {"FileOpen(" + kPath + ")", "Length", "Box(Confirm Upgrade)", "FileClose"},
     {kConfirmBox},
     std::nullopt,
     1},
    {"LengthQueryFails",
     [](Rig& r) { r.File().failLength = true; },
     kPath,
     {"FileOpen(" + kPath + ")", "Length", "FileClose"},
     {},
     FileErrorCause::HardIO,
     1},
    {"FirstReadFails",
     [](Rig& r) {
         r.File().failReadAt = 0;
         r.File().failCause = FileErrorCause::LockViolation;
     },
     kPath,
     {"FileOpen(" + kPath + ")", "Length", "Box(Confirm Upgrade)", "Length", "Read(6)",
      "FileClose"},
     {kConfirmBox},
     FileErrorCause::LockViolation,
     1},
    {"ReadFailsMidway",
     [](Rig& r) {
         r.File().readChunk = 4;
         r.File().failReadAt = 1;
     },
     kPath,
     {"FileOpen(" + kPath + ")", "Length", "Box(Confirm Upgrade)", "Length", "Read(6)", "Read(2)",
      "FileClose"},
     {kConfirmBox},
     FileErrorCause::HardIO,
     1},
    {"FileShrankWhileRead",
     [](Rig& r) {
         r.File().length = 9;
         r.File().readChunk = 4;
     },
     kPath,
     {"FileOpen(" + kPath + ")", "Length", "Box(Confirm Upgrade)", "Length", "Read(9)", "Read(5)",
      "Read(3)", "FileClose"},
     {kConfirmBox},
     FileErrorCause::EndOfFile,
     1},
    {"FileEmptiedWhileOpen",
     [](Rig& r) {
         r.File().content.clear();
         r.File().length = 6;
     },
     kPath,
     {"FileOpen(" + kPath + ")", "Length", "Box(Confirm Upgrade)", "Length", "Read(6)",
      "FileClose"},
     {kConfirmBox},
     FileErrorCause::EndOfFile,
     1},
    {"ShortReadsFillTheBuffer",
     [](Rig& r) { r.File().readChunk = 4; },
     kPath,
     Join({"FileOpen(" + kPath + ")", "Length", "Box(Confirm Upgrade)", "Length", "Read(6)",
           "Read(2)"},
          Join(kJobAllAccepted,
               {"Write(6)", "EndPage", "EndDoc", "Close", "Box(Printing Complete)", "FileClose"})),
     {kConfirmBox, SentAll("6", "6")},
     std::nullopt,
     1},
    {"EmptyFileIsNotRead",
     [](Rig& r) { r.File().content.clear(); },
     kPath,
     Join({"FileOpen(" + kPath + ")", "Length", "Box(Confirm Upgrade)", "Length"},
          Join(kJobAllAccepted,
               {"Write(0)", "EndPage", "EndDoc", "Close", "Box(Printing Complete)", "FileClose"})),
     {kConfirmBox, SentAll("0", "0")},
     std::nullopt,
     1},
    // Under Wine a file changed from outside is not kept out by our sharing mode, so it may
    // change while the user reads the confirmation: what is sent and reported is the file as it
    // is after Yes, never a prefix of it reported as complete.
    {"GrewWhileConfirming",
     [](Rig& r) {
         r.File().content = kFileBytes + "TAIL";
         r.File().lengthAnswers = {6};
     },
     kPath,
     Join({"FileOpen(" + kPath + ")", "Length", "Box(Confirm Upgrade)", "Length", "Read(10)"},
          Join(kJobAllAccepted,
               {"Write(10)", "EndPage", "EndDoc", "Close", "Box(Printing Complete)", "FileClose"})),
     {kConfirmBox, SentAll("10", "10")},
     std::nullopt,
     1},
    {"ShrankWhileConfirming",
     [](Rig& r) {
         r.File().content = "UPG";
         r.File().lengthAnswers = {6};
     },
     kPath,
     Join({"FileOpen(" + kPath + ")", "Length", "Box(Confirm Upgrade)", "Length", "Read(3)"},
          Join(kJobAllAccepted,
               {"Write(3)", "EndPage", "EndDoc", "Close", "Box(Printing Complete)", "FileClose"})),
     {kConfirmBox, SentAll("3", "3")},
     std::nullopt,
     1},
    {"EmptiedWhileConfirming",
     [](Rig& r) {
         r.File().content.clear();
         r.File().lengthAnswers = {6};
     },
     kPath,
     Join({"FileOpen(" + kPath + ")", "Length", "Box(Confirm Upgrade)", "Length"},
          Join(kJobAllAccepted,
               {"Write(0)", "EndPage", "EndDoc", "Close", "Box(Printing Complete)", "FileClose"})),
     {kConfirmBox, SentAll("0", "0")},
     std::nullopt,
     1},
    {"GrewToFourGiBWhileConfirming",
     [](Rig& r) {
         r.File().lengthAnswers = {6, 0x100000000ull};
     },
     kPath,
     {"FileOpen(" + kPath + ")", "Length", "Box(Confirm Upgrade)", "Length", "Box(File Error)",
      "FileClose"},
     {kConfirmBox, kTooLargeBox},
     std::nullopt,
     1},
    {"LengthQueryAfterYesFails",
     [](Rig& r) {
         r.File().failLengthAt = 1;
         r.File().failCause = FileErrorCause::SharingViolation;
     },
     kPath,
     {"FileOpen(" + kPath + ")", "Length", "Box(Confirm Upgrade)", "Length", "FileClose"},
     {kConfirmBox},
     FileErrorCause::SharingViolation,
     1},
};

void PrintTo(const FileCase& c, std::ostream* out) {
    *out << c.name;
}

class FlashUpgradeFileTest : public ::testing::TestWithParam<FileCase> {};

TEST_P(FlashUpgradeFileTest, StopsOrGoesOnInOrder) {
    const FileCase& c = GetParam();
    Rig rig;
    if (c.setup) {
        c.setup(rig);
    }
    EXPECT_EQ(rig.RunCatchingFileError(c.path), c.error);
    EXPECT_EQ(rig.sequence, c.log);
    EXPECT_EQ(rig.spooler.calls, SpoolerCalls(c.log));
    EXPECT_EQ(rig.boxes.shown, c.boxes);
    EXPECT_EQ(rig.files.opened, c.opened);
    ExpectHostAskedWhereFixed(rig);
    ExpectCleanedUp(rig);
    if (!rig.spooler.jobs.empty()) {
        EXPECT_EQ(rig.spooler.jobs[0].bytes, rig.File().content);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, FlashUpgradeFileTest, ::testing::ValuesIn(kFileCases),
                         [](const auto& row) { return std::string(row.param.name); });

// ---- Every spooler stage failing, with Debug Mode off and on

struct StageCase {
    const char* name;
    std::function<void(FakeSpooler&)> setup;
    bool debug;
    Log job;                      // the sequence after the file was read
    std::vector<ShownBox> boxes;  // after the confirmation
};

void RefuseXps(FakeSpooler& s) {
    s.refusedDatatypes = {"XPS_PASS"};
}
void RefuseBoth(FakeSpooler& s) {
    s.refusedDatatypes = {"XPS_PASS", "RAW"};
}

const std::vector<StageCase> kStageCases = {
    {"AllAcceptedDebugOff",
     nullptr,
     false,
     {"Open(Laser 5)", kXps, "StartPage", "Write(6)", "EndPage", "EndDoc", "Close",
      "Box(Printing Complete)", "FileClose"},
     {SentAll("6", "6")}},
    {"AllAcceptedDebugOn",
     nullptr,
     true,
     {"Open(Laser 5)", kXps, "Box(Printer Status)", "StartPage", "Write(6)", "EndPage", "EndDoc",
      "Close", "Box(Printing Complete)", "FileClose"},
     {kXpsAcceptedNotice, SentAll("6", "6")}},
    {"OpenFailsDebugOff",
     [](FakeSpooler& s) { s.unknownPrinters = {"Laser 5"}; },
     false,
     {"Open(Laser 5)", "Box(Printer Error)", "FileClose"},
     {kPrinterNotOpenedBox}},
    {"OpenFailsDebugOn",
     [](FakeSpooler& s) { s.unknownPrinters = {"Laser 5"}; },
     true,
     {"Open(Laser 5)", "Box(Printer Error)", "FileClose"},
     {kPrinterNotOpenedBox}},
    {"BothDatatypesRefusedDebugOff",
     RefuseBoth,
     false,
     {"Open(Laser 5)", kXps, kRaw, "Close", "Box(Printer Error)", "FileClose"},
     {kStartDocBox}},
    {"BothDatatypesRefusedDebugOn",
     RefuseBoth,
     true,
     {"Open(Laser 5)", kXps, "Box(Printer Error)", kRaw, "Box(Printer Error)", "Close",
      "FileClose"},
     {kXpsRefusedNotice, kRawRefusedNotice}},
    {"RawFallbackDebugOff",
     RefuseXps,
     false,
     {"Open(Laser 5)", kXps, kRaw, "StartPage", "Write(6)", "EndPage", "EndDoc", "Close",
      "Box(Printing Complete)", "FileClose"},
     {SentAll("6", "6")}},
    {"RawFallbackDebugOn",
     RefuseXps,
     true,
     {"Open(Laser 5)", kXps, "Box(Printer Error)", kRaw, "StartPage", "Write(6)", "EndPage",
      "EndDoc", "Close", "Box(Printing Complete)", "FileClose"},
     {kXpsRefusedNotice, SentAll("6", "6")}},
    {"RawFallbackThenStartPageFailsDebugOn",
     [](FakeSpooler& s) {
         RefuseXps(s);
         s.failStartPage = true;
     },
     true,
     {"Open(Laser 5)", kXps, "Box(Printer Error)", kRaw, "StartPage", "EndDoc", "Close",
      "Box(Printer Error)", "FileClose"},
     {kXpsRefusedNotice, kStartPageBox}},
    {"StartPageFailsDebugOff",
     [](FakeSpooler& s) { s.failStartPage = true; },
     false,
     {"Open(Laser 5)", kXps, "StartPage", "EndDoc", "Close", "Box(Printer Error)", "FileClose"},
     {kStartPageBox}},
    {"StartPageFailsDebugOn",
     [](FakeSpooler& s) { s.failStartPage = true; },
     true,
     {"Open(Laser 5)", kXps, "Box(Printer Status)", "StartPage", "EndDoc", "Close",
      "Box(Printer Error)", "FileClose"},
     {kXpsAcceptedNotice, kStartPageBox}},
    {"WriteFailsDebugOff",
     [](FakeSpooler& s) { s.failWrite = true; },
     false,
     {"Open(Laser 5)", kXps, "StartPage", "Write(6)", "EndPage", "EndDoc", "Close",
      "Box(Printer Error)", "FileClose"},
     {kWriteBox}},
    {"WriteFailsDebugOn",
     [](FakeSpooler& s) { s.failWrite = true; },
     true,
     {"Open(Laser 5)", kXps, "Box(Printer Status)", "StartPage", "Write(6)", "EndPage", "EndDoc",
      "Close", "Box(Printer Error)", "FileClose"},
     {kXpsAcceptedNotice, kWriteBox}},
    {"EndPageFailsDebugOff",
     [](FakeSpooler& s) { s.failEndPage = true; },
     false,
     {"Open(Laser 5)", kXps, "StartPage", "Write(6)", "EndPage", "EndDoc", "Close",
      "Box(Printer Error)", "FileClose"},
     {kEndPageBox}},
    {"EndPageFailsDebugOn",
     [](FakeSpooler& s) { s.failEndPage = true; },
     true,
     {"Open(Laser 5)", kXps, "Box(Printer Status)", "StartPage", "Write(6)", "EndPage", "EndDoc",
      "Close", "Box(Printer Error)", "FileClose"},
     {kXpsAcceptedNotice, kEndPageBox}},
    {"EndDocFailsDebugOff",
     [](FakeSpooler& s) { s.failEndDoc = true; },
     false,
     {"Open(Laser 5)", kXps, "StartPage", "Write(6)", "EndPage", "EndDoc", "Close",
      "Box(Printer Error)", "FileClose"},
     {kEndDocBox}},
    {"EndDocFailsDebugOn",
     [](FakeSpooler& s) { s.failEndDoc = true; },
     true,
     {"Open(Laser 5)", kXps, "Box(Printer Status)", "StartPage", "Write(6)", "EndPage", "EndDoc",
      "Close", "Box(Printer Error)", "FileClose"},
     {kXpsAcceptedNotice, kEndDocBox}},
    {"ShortWriteDebugOff",
     [](FakeSpooler& s) {
         s.shortWrite = true;
         s.shortWriteCount = 4;
     },
     false,
     {"Open(Laser 5)", kXps, "StartPage", "Write(6)", "EndPage", "EndDoc", "Close",
      "Box(Printer Error)", "FileClose"},
     {SentPart("6", "4")}},
    {"ShortWriteDebugOn",
     [](FakeSpooler& s) {
         s.shortWrite = true;
         s.shortWriteCount = 0;
     },
     true,
     {"Open(Laser 5)", kXps, "Box(Printer Status)", "StartPage", "Write(6)", "EndPage", "EndDoc",
      "Close", "Box(Printer Error)", "FileClose"},
     {kXpsAcceptedNotice, SentPart("6", "0")}},
    // A count past the signed 32-bit range is written as the unsigned number it is.
    {"WrittenCountAboveSignedRange",
     [](FakeSpooler& s) {
         s.shortWrite = true;
         s.shortWriteCount = 0x80000000u;
     },
     false,
     {"Open(Laser 5)", kXps, "StartPage", "Write(6)", "EndPage", "EndDoc", "Close",
      "Box(Printer Error)", "FileClose"},
     {SentPart("6", "2147483648")}},
};

void PrintTo(const StageCase& c, std::ostream* out) {
    *out << c.name;
}

class FlashUpgradeStageTest : public ::testing::TestWithParam<StageCase> {};

TEST_P(FlashUpgradeStageTest, ReportsTheOutcome) {
    const StageCase& c = GetParam();
    Rig rig;
    rig.host.debugMode = c.debug;
    if (c.setup) {
        c.setup(rig.spooler);
    }
    rig.Run();

    const Log before = {"FileOpen(" + kPath + ")", "Length", "Box(Confirm Upgrade)", "Length",
                        "Read(6)"};
    EXPECT_EQ(rig.sequence, Join(before, c.job));
    EXPECT_EQ(rig.spooler.calls, SpoolerCalls(c.job));
    ExpectHostAskedWhereFixed(rig);
    ASSERT_FALSE(rig.boxes.shown.empty());
    EXPECT_EQ(rig.boxes.shown[0], kConfirmBox);
    EXPECT_EQ(std::vector<ShownBox>(rig.boxes.shown.begin() + 1, rig.boxes.shown.end()), c.boxes);
    ExpectCleanedUp(rig);
    EXPECT_EQ(rig.files.closed, 1);
    for (const FakeSpoolJob& job : rig.spooler.jobs) {
        EXPECT_EQ(job.printer, kPrinter);
        if (job.pagesStarted > 0 && !rig.spooler.failWrite) {
            EXPECT_EQ(job.bytes, kFileBytes);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, FlashUpgradeStageTest, ::testing::ValuesIn(kStageCases),
                         [](const auto& row) { return std::string(row.param.name); });

// ---- Answers to the confirmation

struct AnswerCase {
    const char* name;
    int answer;
    bool sends;
};

// Firmware nobody agreed to must never be sent: only Yes goes on, and whatever else the box
// returns (a failed box gives 0) ends the upgrade with no further box.
const std::vector<AnswerCase> kAnswerCases = {
    {"Yes", kIdYes, true},   {"No", kIdNo, false}, {"Cancel", kIdCancel, false},
    {"BoxFailed", 0, false}, {"Ok", kIdOk, false}, {"Abort", 3, false},
    {"Retry", 4, false},     {"Ignore", 5, false}, {"Negative", -1, false},
};

void PrintTo(const AnswerCase& c, std::ostream* out) {
    *out << c.name;
}

class FlashUpgradeAnswerTest : public ::testing::TestWithParam<AnswerCase> {};

TEST_P(FlashUpgradeAnswerTest, OnlyYesGoesOn) {
    const AnswerCase& c = GetParam();
    Rig rig;
    rig.boxes.answers = {c.answer};
    rig.Run();
    EXPECT_EQ(rig.spooler.OpenCount(), c.sends ? 1 : 0);
    EXPECT_EQ(rig.spooler.jobs.size(), c.sends ? 1u : 0u);
    if (c.sends) {
        EXPECT_EQ(rig.boxes.shown, (std::vector<ShownBox>{kConfirmBox, SentAll("6", "6")}));
    } else {
        EXPECT_EQ(rig.boxes.shown, std::vector<ShownBox>{kConfirmBox});
    }
    EXPECT_EQ(rig.files.readsAsked.size(), c.sends ? 1u : 0u);
    // Once before asking, and again only after Yes.
    EXPECT_EQ(rig.files.lengthQueries, c.sends ? 2 : 1);
    ExpectCleanedUp(rig);
    ExpectHostAskedWhereFixed(rig);
}

INSTANTIATE_TEST_SUITE_P(Cases, FlashUpgradeAnswerTest, ::testing::ValuesIn(kAnswerCases),
                         [](const auto& row) { return std::string(row.param.name); });

// ---- The bytes handed to the spooler

TEST(FlashUpgradeBytes, EveryByteValueSentUnchangedInOneWrite) {
    Rig rig;
    std::string all;
    for (int i = 0; i < 256; ++i) {
        all.push_back(static_cast<char>(i));
    }
    rig.File().content = all + all;
    rig.File().readChunk = 100;
    rig.Run();

    EXPECT_EQ(rig.files.readsAsked, (std::vector<std::uint32_t>{512, 412, 312, 212, 112, 12}));
    ASSERT_EQ(rig.spooler.jobs.size(), 1u);
    EXPECT_EQ(rig.spooler.jobs[0].bytes, all + all);
    EXPECT_EQ(rig.spooler.jobs[0].datatype, "XPS_PASS");
    EXPECT_EQ(std::count(rig.spooler.calls.begin(), rig.spooler.calls.end(), "Write(512)"), 1);
    EXPECT_EQ(rig.boxes.shown.back(), SentAll("512", "512"));
}

// Large single reads fail on some network shares, so no read asks for more than 16 MiB; the
// file is still read whole before the printer is opened.
struct PieceCase {
    const char* name;
    std::uint32_t length;
    std::uint32_t readChunk;
    std::vector<std::uint32_t> reads;
    int overclaimReadAt = -1;  // this read claims more bytes than it was asked for
};

constexpr std::uint32_t kMiB = 1024u * 1024u;

const std::vector<PieceCase> kPieceCases = {
    {"JustUnderOnePiece", 16 * kMiB - 1, 0, {16 * kMiB - 1}},
    {"ExactlyOnePiece", 16 * kMiB, 0, {16 * kMiB}},
    {"OneByteOver", 16 * kMiB + 1, 0, {16 * kMiB, 1}},
    {"TwoPiecesAndATail", 32 * kMiB + 3, 0, {16 * kMiB, 16 * kMiB, 3}},
    {"ShortReadsAskForTheRest", 20 * kMiB, 10 * kMiB, {16 * kMiB, 10 * kMiB}},
    // The claim is taken as the count asked: the next piece starts where this one ended.
    {"MiddlePieceClaimsMore", 40 * kMiB, 0, {16 * kMiB, 16 * kMiB, 8 * kMiB}, 1},
};

void PrintTo(const PieceCase& c, std::ostream* out) {
    *out << c.name;
}

class FlashUpgradePieceTest : public ::testing::TestWithParam<PieceCase> {};

TEST_P(FlashUpgradePieceTest, ReadsAtMostSixteenMiBAtATime) {
    const PieceCase& c = GetParam();
    Rig rig;
    std::string content(c.length, '\0');
    for (std::uint32_t i = 0; i < c.length; i += 4093) {
        content[i] = static_cast<char>(i / 4093);
    }
    content.back() = '\x5a';
    rig.File().content = content;
    rig.File().readChunk = c.readChunk;
    rig.File().overclaimReadAt = c.overclaimReadAt;
    rig.File().overclaimBy = 4097;
    rig.Run();

    EXPECT_EQ(rig.files.readsAsked, c.reads);
    ASSERT_EQ(rig.spooler.jobs.size(), 1u);
    EXPECT_TRUE(rig.spooler.jobs[0].bytes == content);
    const std::string size = std::to_string(c.length);
    EXPECT_EQ(rig.boxes.shown.back(), SentAll(size, size));
    // Every read comes before the printer is opened.
    const Log& calls = rig.sequence;
    const auto open = std::find(calls.begin(), calls.end(), "Open(" + kPrinter + ")");
    EXPECT_EQ(std::count_if(open, calls.end(),
                            [](const std::string& call) { return call.rfind("Read(", 0) == 0; }),
              0);
    ExpectCleanedUp(rig);
}

INSTANTIATE_TEST_SUITE_P(Cases, FlashUpgradePieceTest, ::testing::ValuesIn(kPieceCases),
                         [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace tessaline
