#include "framework/handler_guard.h"

#include <gtest/gtest.h>

#include <ostream>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/file_error_text.h"

namespace tessaline {
namespace {

// ---- Texts of file errors: every cause, "an unnamed file" for the file.

struct CauseCase {
    const char* name;
    FileErrorCause cause;
    const char* text;
};

void PrintTo(const CauseCase& c, std::ostream* os) {
    *os << c.name;
}

class FileErrorTexts : public testing::TestWithParam<CauseCase> {};

TEST_P(FileErrorTexts, ExactTextAndStopBox) {
    const CauseCase& c = GetParam();
    EXPECT_EQ(FileErrorText(c.cause), c.text);

    const GuardBox box = FileExceptionBox(FileException(c.cause));
    EXPECT_EQ(box.text, c.text);
    EXPECT_EQ(box.type, 0x10u);  // MB_OK | MB_ICONSTOP
}

INSTANTIATE_TEST_SUITE_P(
    HandlerGuard, FileErrorTexts,
    testing::Values(
        CauseCase{"Generic", FileErrorCause::Generic,
                  "An error occurred while accessing an unnamed file."},
        CauseCase{"FileNotFound", FileErrorCause::FileNotFound,
                  "An unnamed file could not be found."},
        CauseCase{"BadPath", FileErrorCause::BadPath, "The path to an unnamed file is not valid."},
        CauseCase{"TooManyOpenFiles", FileErrorCause::TooManyOpenFiles,
                  "An unnamed file could not be opened because too many files are open."},
        CauseCase{"AccessDenied", FileErrorCause::AccessDenied,
                  "Permission to use an unnamed file was denied."},
        CauseCase{"InvalidFile", FileErrorCause::InvalidFile,
                  "An unnamed file was used through a handle that is not valid."},
        CauseCase{"DirectoryFull", FileErrorCause::DirectoryFull,
                  "An unnamed file could not be created because its folder is full."},
        CauseCase{"BadSeek", FileErrorCause::BadSeek,
                  "The position in an unnamed file could not be set."},
        CauseCase{"HardIO", FileErrorCause::HardIO,
                  "A hardware I/O error was reported while accessing an unnamed file."},
        CauseCase{"SharingViolation", FileErrorCause::SharingViolation,
                  "An unnamed file is in use by another program."},
        CauseCase{"LockViolation", FileErrorCause::LockViolation,
                  "Part of an unnamed file is locked by another program."},
        CauseCase{"DiskFull", FileErrorCause::DiskFull,
                  "The disk holding an unnamed file is full."},
        CauseCase{"EndOfFile", FileErrorCause::EndOfFile,
                  "The end of an unnamed file was reached before the data expected."}),
    [](const testing::TestParamInfo<CauseCase>& p) { return p.param.name; });

TEST(HandlerGuardBoxes, OutOfMemory) {
    const GuardBox box = OutOfMemoryBox();
    EXPECT_EQ(box.text, "Out of memory.");
    EXPECT_EQ(box.type, 0x1030u);  // MB_OK | MB_ICONEXCLAMATION | MB_SYSTEMMODAL
}

// ---- The guard around one handler.

class RecordingReporter : public GuardReporter {
  public:
    std::vector<GuardBox> boxes;
    void Report(const GuardBox& box) override { boxes.push_back(box); }
};

struct NotStdException {};

struct GuardCase {
    const char* name;
    void (*raise)();
    std::string text;
    std::uint32_t type;
};

void PrintTo(const GuardCase& c, std::ostream* os) {
    *os << c.name;
}

class GuardedHandler : public testing::TestWithParam<GuardCase> {};

TEST_P(GuardedHandler, SkipsRestReportsAndCountsAsHandled) {
    const GuardCase& c = GetParam();
    RecordingReporter reporter;
    std::vector<std::string> steps;

    const Reply reply = RunGuarded(
        [&] {
            steps.push_back("before");
            c.raise();
            steps.push_back("after");
            return Reply::PassOn();
        },
        reporter);

    EXPECT_EQ(steps, std::vector<std::string>{"before"});
    EXPECT_TRUE(reply.handled);
    ASSERT_EQ(reporter.boxes.size(), 1u);
    EXPECT_EQ(reporter.boxes[0].text, c.text);
    EXPECT_EQ(reporter.boxes[0].type, c.type);
}

INSTANTIATE_TEST_SUITE_P(
    HandlerGuard, GuardedHandler,
    testing::Values(GuardCase{"FileRead", [] { throw FileException(FileErrorCause::HardIO); },
                              "A hardware I/O error was reported while accessing an unnamed file.",
                              0x10},
                    GuardCase{"FileLength",
                              [] { throw FileException(FileErrorCause::AccessDenied); },
                              "Permission to use an unnamed file was denied.", 0x10},
                    GuardCase{"Memory", [] { throw std::bad_alloc(); }, "Out of memory.", 0x1030},
                    GuardCase{"OtherStd", [] { throw std::runtime_error("list index"); },
                              "An unexpected error stopped the operation.\nlist index", 0x10},
                    GuardCase{"OtherStdEmpty", [] { throw std::runtime_error(""); },
                              "An unexpected error stopped the operation.", 0x10},
                    GuardCase{"NotStd", [] { throw NotStdException(); },
                              "An unexpected error stopped the operation.", 0x10}),
    [](const testing::TestParamInfo<GuardCase>& p) { return p.param.name; });

// The exception's own text goes on a second line; with nothing to say the box has no blank
// line at its end.
TEST(HandlerGuardBoxes, UnexpectedErrorText) {
    struct Case {
        const char* name;
        const char* what;
        const char* text;
    };
    const Case cases[] = {
        {"No message", nullptr, "An unexpected error stopped the operation."},
        {"Empty message", "", "An unexpected error stopped the operation."},
        {"Only a line break", "\n", "An unexpected error stopped the operation."},
        {"Only white space", " \t\r\n", "An unexpected error stopped the operation."},
        {"Message", "list index", "An unexpected error stopped the operation.\nlist index"},
        {"Message ending in a line break", "list index\r\n",
         "An unexpected error stopped the operation.\nlist index"},
        {"Message of two lines", "bad\nindex",
         "An unexpected error stopped the operation.\nbad\nindex"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const GuardBox box = UnexpectedErrorBox(c.what);
        EXPECT_EQ(box.text, c.text);
        EXPECT_EQ(box.type, 0x10u);  // MB_OK | MB_ICONSTOP
    }
}

TEST(HandlerGuardPassThrough, NoExceptionKeepsReplyAndShowsNothing) {
    RecordingReporter reporter;
    const Reply passed = RunGuarded([] { return Reply::PassOn(); }, reporter);
    const Reply done = RunGuarded([] { return Reply::Done(0x1234); }, reporter);

    EXPECT_FALSE(passed.handled);
    EXPECT_TRUE(done.handled);
    EXPECT_EQ(done.result, 0x1234);
    EXPECT_TRUE(reporter.boxes.empty());
}

}  // namespace
}  // namespace tessaline
