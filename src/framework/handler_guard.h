#pragma once

#include <cstdint>
#include <exception>
#include <new>
#include <string>

#include "framework/event_table.h"
#include "platform/file.h"

namespace tessaline {

// A box the guard shows; the caption is always the application name.
struct GuardBox {
    std::string text;
    std::uint32_t type;
};

GuardBox FileExceptionBox(const FileException& e);
GuardBox OutOfMemoryBox();
// For anything else a handler lets escape; what() may be null. Its text, without trailing white
// space, becomes a second line when anything of it is left.
GuardBox UnexpectedErrorBox(const char* what);

// Shows the guard's boxes, owned by the main window.
class GuardReporter {
  public:
    virtual ~GuardReporter() = default;
    virtual void Report(const GuardBox& box) = 0;
};

// Runs one handler. An exception skips the rest of it, is reported and leaves the event
// handled; nothing escapes into the window procedure, and nothing is dropped unreported.
template <class Handler>
Reply RunGuarded(Handler&& handler, GuardReporter& reporter) {
    try {
        return handler();
    } catch (const FileException& e) {
        reporter.Report(FileExceptionBox(e));
    } catch (const std::bad_alloc&) {
        reporter.Report(OutOfMemoryBox());
    } catch (const std::exception& e) {
        reporter.Report(UnexpectedErrorBox(e.what()));
    } catch (...) {
        reporter.Report(UnexpectedErrorBox(nullptr));
    }
    return Reply::Done();
}

}  // namespace tessaline
