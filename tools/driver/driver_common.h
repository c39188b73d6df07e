#pragma once

#include <windows.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "text_escape.h"

namespace driver {

// Any failure of a command; main prints the message and exits with kExitFailure.
class DriverError : public std::runtime_error {
  public:
    explicit DriverError(const std::string& message) : std::runtime_error(message) {}
};

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

// What one invocation was given, after the options were taken out.
struct Options {
    std::vector<std::string> args;
    DWORD timeout_ms = 10000;
    bool has_text = false;
    std::string text;
    bool has_index = false;
    int index = 0;
    bool wide = false;
};

std::wstring Widen(const std::string& text);
std::string Narrow(const std::wstring& text);
// Accepts decimal and 0x-prefixed hexadecimal; throws DriverError naming `what` otherwise.
long ParseNumber(const std::string& text, const char* what);

void Print(const std::string& line);

// The text of any window, also of another process's controls (WM_GETTEXT, UTF-16).
std::string TextOf(HWND window, DWORD timeout_ms);
std::string ClassOf(HWND window);
std::wstring CaptionOf(HWND window);

// The first visible top-level window whose caption is exactly `caption`, or null.
HWND FindTopLevel(const std::string& caption);
// Waits for FindTopLevel; throws naming the caption and listing the windows that do exist.
HWND WaitTopLevel(const std::string& caption, DWORD timeout_ms);
HWND ControlOf(HWND top, const std::string& id_text);
// Visible dialog-class windows owned by `owner`, newest first as the window list gives them.
std::vector<HWND> OwnedDialogs(HWND owner);
std::string DescribeWindows();

ULONGLONG Now();
void Pause();

}  // namespace driver
