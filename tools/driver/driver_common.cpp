#include "driver_common.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace driver {

std::wstring Widen(const std::string& text) {
    if (text.empty()) {
        return {};
    }
    int size =
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0], size);
    return wide;
}

std::string Narrow(const std::wstring& text) {
    if (text.empty()) {
        return {};
    }
    int size = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                   0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &narrow[0], size,
                        nullptr, nullptr);
    return narrow;
}

long ParseNumber(const std::string& text, const char* what) {
    errno = 0;
    char* end = nullptr;
    long value = std::strtol(text.c_str(), &end, 0);
    if (text.empty() || *end != '\0' || errno != 0) {
        throw DriverError(std::string("not a number for ") + what + ": \"" + text + "\"");
    }
    return value;
}

void Print(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

std::string TextOf(HWND window, DWORD timeout_ms) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, timeout_ms,
                             &length)) {
        throw DriverError("window " + ClassOf(window) + " did not answer WM_GETTEXTLENGTH");
    }
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]),
                             SMTO_ABORTIFHUNG, timeout_ms, &copied)) {
        throw DriverError("window " + ClassOf(window) + " did not answer WM_GETTEXT");
    }
    text.resize(copied < text.size() ? copied : text.size() - 1);
    return Narrow(text);
}

std::string ClassOf(HWND window) {
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::wstring CaptionOf(HWND window) {
    // Top-level captions live in the server, so this never waits on a busy program.
    wchar_t text[1024] = {};
    GetWindowTextW(window, text, 1024);
    return text;
}

namespace {

struct CaptionSearch {
    std::wstring caption;
    HWND found = nullptr;
};

BOOL CALLBACK MatchCaption(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<CaptionSearch*>(param);
    if (IsWindowVisible(window) && CaptionOf(window) == search->caption) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK AddVisible(HWND window, LPARAM param) {
    if (IsWindowVisible(window)) {
        reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
    }
    return TRUE;
}

std::vector<HWND> VisibleTopLevels() {
    std::vector<HWND> windows;
    EnumWindows(AddVisible, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

}  // namespace

HWND FindTopLevel(const std::string& caption) {
    // FindWindowA compares without regard to case; captions here must match exactly.
    CaptionSearch search{Widen(caption)};
    EnumWindows(MatchCaption, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitTopLevel(const std::string& caption, DWORD timeout_ms) {
    ULONGLONG deadline = Now() + timeout_ms;
    for (;;) {
        if (HWND window = FindTopLevel(caption)) {
            return window;
        }
        if (Now() >= deadline) {
            throw DriverError("timed out after " + std::to_string(timeout_ms) +
                              " ms waiting for window \"" + caption + "\"; " + DescribeWindows());
        }
        Pause();
    }
}

HWND ControlOf(HWND top, const std::string& id_text) {
    long id = ParseNumber(id_text, "control id");
    if (HWND control = GetDlgItem(top, static_cast<int>(id))) {
        return control;
    }
    std::string present;
    for (HWND child = GetWindow(top, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        present += " " + std::to_string(GetDlgCtrlID(child)) + ":" + ClassOf(child);
    }
    throw DriverError("no control " + std::to_string(id) + " in window \"" +
                      Narrow(CaptionOf(top)) + "\"; controls:" + present);
}

std::vector<HWND> OwnedDialogs(HWND owner) {
    std::vector<HWND> owned;
    for (HWND window : VisibleTopLevels()) {
        if (GetWindow(window, GW_OWNER) == owner && ClassOf(window) == "#32770") {
            owned.push_back(window);
        }
    }
    return owned;
}

std::string DescribeWindows() {
    std::string text = "visible top-level windows:";
    for (HWND window : VisibleTopLevels()) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        char line[128];
        std::snprintf(line, sizeof line, "] pid %lu hwnd %p owner %p",
                      static_cast<unsigned long>(pid), static_cast<void*>(window),
                      static_cast<void*>(GetWindow(window, GW_OWNER)));
        text += "\n  \"" + Narrow(CaptionOf(window)) + "\" [" + ClassOf(window) + line;
    }
    return text;
}

ULONGLONG Now() {
    return GetTickCount64();
}

void Pause() {
    Sleep(20);
}

}  // namespace driver
