// bench_clock.exe wait-window CAPTION [SECONDS]
// bench_clock.exe answer OWNER_CAPTION BOX_CAPTION BUTTON_ID
//
// Stamps, in Unix time with microseconds (the clock of `date +%s.%N` and of the capture
// printer's log), the moment a visible top-level window with exactly that caption first shows,
// or the moment a button's command is posted to a message box owned by OWNER_CAPTION. It then
// ends at once: nothing of it keeps running while the program under measurement works.
// Prints the stamp alone on stdout (wait-window prints "polling" first, once it polls, so the
// caller can start the program only then); exit 0, 1 on timeout or a missing window, 2 on usage.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

unsigned long long NowMicros() {
    FILETIME now;
    GetSystemTimePreciseAsFileTime(&now);
    const unsigned long long ticks =
        (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    return (ticks - 116444736000000000ULL) / 10;
}

void PrintStamp(unsigned long long micros) {
    std::printf("%llu.%06llu\n", micros / 1000000, micros % 1000000);
    std::fflush(stdout);
}

// FindWindowA ignores case and takes hidden windows; a caption here must match exactly.
struct Search {
    const char* caption;
    const char* className;
    HWND owner;
    HWND found;
};

BOOL CALLBACK Visit(HWND window, LPARAM param) {
    Search& search = *reinterpret_cast<Search*>(param);
    if (!IsWindowVisible(window)) {
        return TRUE;
    }
    if (search.owner != nullptr && GetWindow(window, GW_OWNER) != search.owner) {
        return TRUE;
    }
    char text[512];
    const int length = GetWindowTextA(window, text, sizeof(text));
    if (length < 0 || std::strcmp(text, search.caption) != 0) {
        return TRUE;
    }
    if (search.className != nullptr) {
        char name[64];
        if (GetClassNameA(window, name, sizeof(name)) == 0 ||
            std::strcmp(name, search.className) != 0) {
            return TRUE;
        }
    }
    search.found = window;
    return FALSE;
}

HWND FindShown(const char* caption, const char* className, HWND owner) {
    Search search{caption, className, owner, nullptr};
    EnumWindows(&Visit, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

int WaitWindow(const char* caption, double seconds) {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000);
    std::printf("polling\n");
    std::fflush(stdout);
    for (;;) {
        if (FindShown(caption, nullptr, nullptr) != nullptr) {
            PrintStamp(NowMicros());
            return 0;
        }
        if (GetTickCount64() >= deadline) {
            std::fprintf(stderr, "bench_clock: no window \"%s\" within %g s\n", caption, seconds);
            return 1;
        }
        // Short enough to resolve a start-up to a few milliseconds, long enough not to load the
        // server that the program being started needs.
        Sleep(5);
    }
}

int Answer(const char* ownerCaption, const char* boxCaption, int buttonId) {
    const HWND owner = FindShown(ownerCaption, nullptr, nullptr);
    const HWND box = owner != nullptr ? FindShown(boxCaption, "#32770", owner) : nullptr;
    const HWND button = box != nullptr ? GetDlgItem(box, buttonId) : nullptr;
    if (button == nullptr) {
        std::fprintf(stderr, "bench_clock: no box \"%s\" with button %d owned by \"%s\"\n",
                     boxCaption, buttonId, ownerCaption);
        return 1;
    }
    // The command a click on the button sends, as the driver posts it.
    const unsigned long long posted = NowMicros();
    if (!PostMessageW(box, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                      reinterpret_cast<LPARAM>(button))) {
        std::fprintf(stderr, "bench_clock: PostMessage failed, error %lu\n", GetLastError());
        return 1;
    }
    PrintStamp(posted);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if ((argc == 3 || argc == 4) && std::strcmp(argv[1], "wait-window") == 0) {
        return WaitWindow(argv[2], argc == 4 ? std::atof(argv[3]) : 30.0);
    }
    if (argc == 5 && std::strcmp(argv[1], "answer") == 0) {
        return Answer(argv[2], argv[3], std::atoi(argv[4]));
    }
    std::fprintf(stderr,
                 "usage: bench_clock wait-window CAPTION [SECONDS]\n"
                 "       bench_clock answer OWNER_CAPTION BOX_CAPTION BUTTON_ID\n");
    return 2;
}
