// Commands on a top-level window and the controls in it.
#include <cctype>
#include <cstdio>

#include "commands.h"
#include "remote.h"

namespace driver {

namespace {

struct Target {
    HWND top;
    HWND control;
};

Target Resolve(const Options& o) {
    HWND top = WaitTopLevel(o.args.at(0), o.timeout_ms);
    return {top, ControlOf(top, o.args.at(1))};
}

LRESULT Send(HWND window, UINT msg, WPARAM wp, LPARAM lp, DWORD timeout_ms) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, msg, wp, lp, SMTO_ABORTIFHUNG, timeout_ms, &result)) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "0x%04X", msg);
        throw DriverError("window " + ClassOf(window) + " did not answer message " + hex +
                          " in time");
    }
    return static_cast<LRESULT>(result);
}

void Post(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
    if (!PostMessageW(window, msg, wp, lp)) {
        throw DriverError("PostMessage to " + ClassOf(window) + " failed, error " +
                          std::to_string(GetLastError()));
    }
}

HWND FocusOf(HWND top) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(top, nullptr), &info)) {
        return nullptr;
    }
    return info.hwndFocus;
}

// The focus may sit in a control's own child (the edit of a combo box); name the control.
int FocusedId(HWND top) {
    HWND focus = FocusOf(top);
    if (focus == nullptr || (focus != top && !IsChild(top, focus))) {
        return -1;
    }
    if (focus == top) {
        return 0;
    }
    while (GetParent(focus) != top) {
        focus = GetParent(focus);
    }
    return GetDlgCtrlID(focus);
}

bool IsListBox(HWND control) {
    return ClassOf(control) == "ListBox";
}

std::vector<std::string> Entries(HWND control, DWORD timeout_ms) {
    bool list = IsListBox(control);
    LRESULT count = Send(control, list ? LB_GETCOUNT : CB_GETCOUNT, 0, 0, timeout_ms);
    std::vector<std::string> entries;
    for (LRESULT i = 0; i < count; ++i) {
        LRESULT length = Send(control, list ? LB_GETTEXTLEN : CB_GETLBTEXTLEN,
                              static_cast<WPARAM>(i), 0, timeout_ms);
        if (length < 0) {
            throw DriverError("entry " + std::to_string(i) + " cannot be read");
        }
        // Across processes the entries come back as UTF-16 whichever variant asks.
        std::wstring text(static_cast<size_t>(length) + 1, L'\0');
        Send(control, list ? LB_GETTEXT : CB_GETLBTEXT, static_cast<WPARAM>(i),
             reinterpret_cast<LPARAM>(&text[0]), timeout_ms);
        text.resize(static_cast<size_t>(length));
        entries.push_back(Narrow(text));
    }
    return entries;
}

LRESULT Selection(HWND control, DWORD timeout_ms) {
    return Send(control, IsListBox(control) ? LB_GETCURSEL : CB_GETCURSEL, 0, 0, timeout_ms);
}

struct KeyName {
    const char* name;
    UINT vk;
};

constexpr KeyName kKeys[] = {
    {"enter", VK_RETURN},  {"return", VK_RETURN},  {"esc", VK_ESCAPE}, {"escape", VK_ESCAPE},
    {"tab", VK_TAB},       {"space", VK_SPACE},    {"up", VK_UP},      {"down", VK_DOWN},
    {"left", VK_LEFT},     {"right", VK_RIGHT},    {"home", VK_HOME},  {"end", VK_END},
    {"delete", VK_DELETE}, {"backspace", VK_BACK},
};

UINT ParseKey(const std::string& text) {
    std::string lower;
    for (char c : text) {
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    for (const KeyName& key : kKeys) {
        if (lower == key.name) {
            return key.vk;
        }
    }
    if (lower.size() >= 2 && lower[0] == 'f' &&
        std::isdigit(static_cast<unsigned char>(lower[1]))) {
        long n = ParseNumber(lower.substr(1), "function key");
        if (n >= 1 && n <= 24) {
            return static_cast<UINT>(VK_F1 + n - 1);
        }
    }
    long vk = ParseNumber(text, "key");
    if (vk <= 0 || vk > 0xFE) {
        throw DriverError("virtual key out of range: " + text);
    }
    return static_cast<UINT>(vk);
}

}  // namespace

void CmdWaitWindow(const Options& o) {
    WaitTopLevel(o.args.at(0), o.timeout_ms);
}

void CmdWaitClose(const Options& o) {
    ULONGLONG deadline = Now() + o.timeout_ms;
    while (FindTopLevel(o.args.at(0)) != nullptr) {
        if (Now() >= deadline) {
            throw DriverError("timed out after " + std::to_string(o.timeout_ms) +
                              " ms waiting for window \"" + o.args.at(0) + "\" to close; " +
                              DescribeWindows());
        }
        Pause();
    }
}

void CmdGetText(const Options& o) {
    Target t = Resolve(o);
    Print(TextOf(t.control, o.timeout_ms));
}

void CmdSetText(const Options& o) {
    Target t = Resolve(o);
    std::wstring text = Widen(o.args.at(2));
    if (Send(t.control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), o.timeout_ms) !=
        TRUE) {
        throw DriverError("control " + o.args.at(1) + " (" + ClassOf(t.control) +
                          ") refused WM_SETTEXT");
    }
}

void CmdFocus(const Options& o) {
    Target t = Resolve(o);
    // The dialog's own tab handling moves the focus, so EN_SETFOCUS and default-button updates
    // happen as they would for a user.
    Post(t.top, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(t.control), TRUE);
    int wanted = GetDlgCtrlID(t.control);
    ULONGLONG deadline = Now() + o.timeout_ms;
    while (FocusedId(t.top) != wanted) {
        if (Now() >= deadline) {
            throw DriverError("control " + o.args.at(1) + " did not take the focus; focus is on " +
                              std::to_string(FocusedId(t.top)));
        }
        Pause();
    }
    SettleAfterPost(t.top, o.timeout_ms);
}

void CmdGetFocus(const Options& o) {
    HWND top = WaitTopLevel(o.args.at(0), o.timeout_ms);
    int id = FocusedId(top);
    Print(id < 0 ? "none" : std::to_string(id));
}

void CmdListEntries(const Options& o) {
    Target t = Resolve(o);
    for (const std::string& entry : Entries(t.control, o.timeout_ms)) {
        Print(entry);
    }
}

void CmdGetSelection(const Options& o) {
    Target t = Resolve(o);
    LRESULT index = Selection(t.control, o.timeout_ms);
    std::vector<std::string> entries = Entries(t.control, o.timeout_ms);
    std::string text;
    if (index >= 0 && static_cast<size_t>(index) < entries.size()) {
        text = entries[static_cast<size_t>(index)];
    }
    Print(std::to_string(index < 0 ? -1 : index) + "\t" + text);
}

void CmdSelect(const Options& o) {
    Target t = Resolve(o);
    if (o.has_text == o.has_index) {
        throw DriverError("select needs exactly one of --text and --index");
    }
    std::vector<std::string> entries = Entries(t.control, o.timeout_ms);
    int index = o.index;
    if (o.has_text) {
        // CB_FINDSTRINGEXACT ignores case; the driver's names are exact.
        index = -1;
        for (size_t i = 0; i < entries.size() && index < 0; ++i) {
            if (entries[i] == o.text) {
                index = static_cast<int>(i);
            }
        }
        if (index < 0) {
            std::string listed;
            for (const std::string& entry : entries) {
                listed += "\n  " + entry;
            }
            throw DriverError("no entry \"" + o.text + "\" in control " + o.args.at(1) +
                              "; entries:" + listed);
        }
    }
    // -1 clears the selection, as a program may leave it.
    if (index < -1 || (index >= 0 && static_cast<size_t>(index) >= entries.size())) {
        throw DriverError("index " + std::to_string(index) + " out of range, control has " +
                          std::to_string(entries.size()) + " entries");
    }
    bool list = IsListBox(t.control);
    Send(t.control, list ? LB_SETCURSEL : CB_SETCURSEL, static_cast<WPARAM>(index), 0,
         o.timeout_ms);
    if (Selection(t.control, o.timeout_ms) != index) {
        throw DriverError("control " + o.args.at(1) + " did not take selection " +
                          std::to_string(index));
    }
    // Setting the selection by message tells nobody; a user's choice notifies the parent.
    WPARAM id = static_cast<WPARAM>(GetDlgCtrlID(t.control));
    Post(GetParent(t.control), WM_COMMAND, MAKEWPARAM(id, list ? LBN_SELCHANGE : CBN_SELCHANGE),
         reinterpret_cast<LPARAM>(t.control));
    SettleAfterPost(t.top, o.timeout_ms);
}

void CmdGetCheck(const Options& o) {
    Target t = Resolve(o);
    LRESULT state = Send(t.control, BM_GETCHECK, 0, 0, o.timeout_ms);
    Print(state == BST_CHECKED         ? "checked"
          : state == BST_INDETERMINATE ? "indeterminate"
                                       : "unchecked");
}

void CmdClick(const Options& o) {
    Target t = Resolve(o);
    // Posted, not sent: a handler that opens a modal box would otherwise hold the driver.
    Post(t.control, BM_CLICK, 0, 0);
    SettleAfterPost(t.top, o.timeout_ms);
}

void CmdSysCommand(const Options& o) {
    HWND top = WaitTopLevel(o.args.at(0), o.timeout_ms);
    long command = ParseNumber(o.args.at(1), "system command");
    Post(top, WM_SYSCOMMAND, static_cast<WPARAM>(command), 0);
    SettleAfterPost(top, o.timeout_ms);
}

void CmdKey(const Options& o) {
    HWND top = WaitTopLevel(o.args.at(0), o.timeout_ms);
    UINT vk = ParseKey(o.args.at(1));
    HWND focus = FocusOf(top);
    HWND target = (focus != nullptr && (focus == top || IsChild(top, focus))) ? focus : top;
    LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC)) << 16;
    Post(target, WM_KEYDOWN, vk, 1 | scan);
    // Enter or Esc may already have closed the window: then the key has done its work.
    if (!PostMessageW(target, WM_KEYUP, vk, 1 | scan | (1LL << 30) | (1LL << 31)) &&
        IsWindow(target)) {
        throw DriverError("PostMessage WM_KEYUP to " + ClassOf(target) + " failed, error " +
                          std::to_string(GetLastError()));
    }
    SettleAfterPost(top, o.timeout_ms);
}

void CmdClose(const Options& o) {
    HWND top = WaitTopLevel(o.args.at(0), o.timeout_ms);
    Post(top, WM_CLOSE, 0, 0);
}

void CmdList(const Options&) {
    Print(DescribeWindows());
}

void CmdCodePage(const Options&) {
    Print(std::to_string(GetACP()));
}

}  // namespace driver
