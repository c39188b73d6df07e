// Commands on the boxes and dialogs that a window opens: message boxes, the file-open dialog,
// and on what reaches a window from outside (dropped files, its system menu).
#include <cstdio>

#include "commands.h"
#include "remote.h"

namespace driver {

namespace {

constexpr int kMessageBoxTextId = 0xFFFF;
constexpr int kFileNameId = 0x47C;

struct ButtonName {
    int id;
    const char* name;
};

constexpr ButtonName kButtons[] = {
    {IDOK, "ok"},       {IDCANCEL, "cancel"},     {IDABORT, "abort"},
    {IDRETRY, "retry"}, {IDIGNORE, "ignore"},     {IDYES, "yes"},
    {IDNO, "no"},       {IDTRYAGAIN, "tryagain"}, {IDCONTINUE, "continue"},
};

struct ButtonSet {
    UINT style;
    const char* name;
    int ids[3];
};

// Buttons in the order the box shows them, which is what MB_DEFBUTTONn counts.
constexpr ButtonSet kButtonSets[] = {
    {MB_OK, "ok", {IDOK}},
    {MB_OKCANCEL, "okcancel", {IDOK, IDCANCEL}},
    {MB_ABORTRETRYIGNORE, "abortretryignore", {IDABORT, IDRETRY, IDIGNORE}},
    {MB_YESNOCANCEL, "yesnocancel", {IDYES, IDNO, IDCANCEL}},
    {MB_YESNO, "yesno", {IDYES, IDNO}},
    {MB_RETRYCANCEL, "retrycancel", {IDRETRY, IDCANCEL}},
    {MB_CANCELTRYCONTINUE, "canceltrycontinue", {IDCANCEL, IDTRYAGAIN, IDCONTINUE}},
};

struct IconName {
    int32_t style;
    const char* name;
};

constexpr IconName kIcons[] = {
    {0, "none"},
    {MB_ICONHAND, "hand"},
    {MB_ICONQUESTION, "question"},
    {MB_ICONEXCLAMATION, "exclamation"},
    {MB_ICONASTERISK, "asterisk"},
};

const char* NameOfButton(int id) {
    for (const ButtonName& b : kButtons) {
        if (b.id == id) {
            return b.name;
        }
    }
    return "?";
}

bool Shown(HWND box, int id) {
    HWND button = GetDlgItem(box, id);
    return button != nullptr && IsWindowVisible(button);
}

HWND FindMessageBox(HWND owner) {
    for (HWND dialog : OwnedDialogs(owner)) {
        if (GetDlgItem(dialog, kMessageBoxTextId) != nullptr) {
            return dialog;
        }
    }
    return nullptr;
}

HWND WaitMessageBox(const std::string& owner_caption, DWORD timeout_ms, HWND* owner_out) {
    ULONGLONG deadline = Now() + timeout_ms;
    HWND owner = WaitTopLevel(owner_caption, timeout_ms);
    for (;;) {
        if (HWND box = FindMessageBox(owner)) {
            if (owner_out != nullptr) {
                *owner_out = owner;
            }
            return box;
        }
        if (Now() >= deadline) {
            throw DriverError("timed out after " + std::to_string(timeout_ms) +
                              " ms waiting for a message box owned by \"" + owner_caption + "\"; " +
                              DescribeWindows());
        }
        Pause();
    }
}

void WaitGone(HWND window, const std::string& what, DWORD timeout_ms) {
    ULONGLONG deadline = Now() + timeout_ms;
    while (IsWindow(window) && IsWindowVisible(window)) {
        if (Now() >= deadline) {
            throw DriverError("timed out after " + std::to_string(timeout_ms) + " ms waiting for " +
                              what + " to close; " + DescribeWindows());
        }
        Pause();
    }
}

const ButtonSet& ButtonsOf(HWND box) {
    for (const ButtonSet& set : kButtonSets) {
        bool match = true;
        for (const ButtonName& b : kButtons) {
            bool in_set = false;
            for (int id : set.ids) {
                in_set = in_set || id == b.id;
            }
            match = match && in_set == Shown(box, b.id);
        }
        if (match) {
            return set;
        }
    }
    std::string shown;
    for (const ButtonName& b : kButtons) {
        if (Shown(box, b.id)) {
            shown += std::string(" ") + b.name;
        }
    }
    throw DriverError("message box shows an unknown set of buttons:" + shown);
}

// The box marks its default button by style; the dialog's default id is only a fallback
// because the box may never set it (Wine leaves it at IDOK for a Yes/No box).
int DefaultButton(HWND box, DWORD timeout_ms) {
    for (const ButtonName& b : kButtons) {
        HWND button = GetDlgItem(box, b.id);
        if (Shown(box, b.id) && (GetWindowLongW(button, GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON) {
            return b.id;
        }
    }
    DWORD_PTR def = 0;
    if (SendMessageTimeoutW(box, DM_GETDEFID, 0, 0, SMTO_ABORTIFHUNG, timeout_ms, &def) &&
        HIWORD(def) == DC_HASDEFID && Shown(box, LOWORD(def))) {
        return LOWORD(def);
    }
    return 0;
}

HWND IconControl(HWND box) {
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (ClassOf(child) == "Static" && IsWindowVisible(child) &&
            (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
            return child;
        }
    }
    return nullptr;
}

int32_t IconStyleOf(HWND box, DWORD timeout_ms) {
    HWND icon = IconControl(box);
    if (icon == nullptr) {
        return 0;
    }
    ProbeRequest request = {};
    request.op = static_cast<uint32_t>(ProbeOp::kIconStyle);
    request.window = reinterpret_cast<uintptr_t>(icon);
    RunProbe(box, request, timeout_ms);
    return request.value;
}

}  // namespace

void CmdWaitMsgBox(const Options& o) {
    HWND box = WaitMessageBox(o.args.at(0), o.timeout_ms, nullptr);
    HWND text = GetDlgItem(box, kMessageBoxTextId);
    const ButtonSet& buttons = ButtonsOf(box);
    int def = DefaultButton(box, o.timeout_ms);
    int position = -1;
    for (int i = 0; i < 3; ++i) {
        if (buttons.ids[i] != 0 && buttons.ids[i] == def) {
            position = i;
        }
    }
    int32_t icon = IconStyleOf(box, o.timeout_ms);
    const char* icon_name = nullptr;
    for (const IconName& i : kIcons) {
        if (i.style == icon) {
            icon_name = i.name;
        }
    }
    if (icon_name == nullptr) {
        throw DriverError("message box shows an icon that is not a stock icon");
    }
    UINT type = buttons.style | static_cast<UINT>(icon) | (position > 0 ? position << 8 : 0);
    if (Shown(box, IDHELP)) {
        type |= MB_HELP;
    }
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%X", type);
    Print("caption: " + Escape(Narrow(CaptionOf(box))));
    Print("text: " + Escape(TextOf(text, o.timeout_ms)));
    Print(std::string("icon: ") + icon_name);
    Print(std::string("buttons: ") + buttons.name);
    Print(std::string("default: ") + (def != 0 ? NameOfButton(def) : "none"));
    Print(std::string("type: ") + hex);
}

void CmdAnswerMsgBox(const Options& o) {
    HWND owner = nullptr;
    HWND box = WaitMessageBox(o.args.at(0), o.timeout_ms, &owner);
    int id = 0;
    for (const ButtonName& b : kButtons) {
        if (o.args.at(1) == b.name) {
            id = b.id;
        }
    }
    if (id == 0) {
        throw DriverError("unknown button name \"" + o.args.at(1) + "\"");
    }
    if (!Shown(box, id)) {
        throw DriverError("the message box has no \"" + o.args.at(1) + "\" button; it shows " +
                          ButtonsOf(box).name);
    }
    // The command a click sends, without the button's mouse handling and its capture.
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, id)));
    WaitGone(box, "the message box", o.timeout_ms);
    SettleAfterPost(owner, o.timeout_ms);
}

void CmdFileOpen(const Options& o) {
    HWND owner = WaitTopLevel(o.args.at(0), o.timeout_ms);
    std::string path = WindowsPath(o.args.at(1));
    ULONGLONG deadline = Now() + o.timeout_ms;
    HWND dialog = nullptr;
    while (dialog == nullptr) {
        for (HWND candidate : OwnedDialogs(owner)) {
            if (GetDlgItem(candidate, kFileNameId) != nullptr) {
                dialog = candidate;
            }
        }
        if (dialog == nullptr && Now() >= deadline) {
            throw DriverError("timed out after " + std::to_string(o.timeout_ms) +
                              " ms waiting for a file dialog owned by \"" + o.args.at(0) + "\"; " +
                              DescribeWindows());
        }
        Pause();
    }
    std::wstring wide = Widen(path);
    DWORD_PTR done = 0;
    SendMessageTimeoutW(GetDlgItem(dialog, kFileNameId), WM_SETTEXT, 0,
                        reinterpret_cast<LPARAM>(wide.c_str()), SMTO_ABORTIFHUNG, o.timeout_ms,
                        &done);
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    deadline = Now() + o.timeout_ms;
    while (IsWindow(dialog) && IsWindowVisible(dialog)) {
        // The dialog answers a bad name with a box of its own instead of closing.
        if (HWND complaint = FindMessageBox(dialog)) {
            throw DriverError("the file dialog refused \"" + path + "\": " +
                              Escape(TextOf(GetDlgItem(complaint, kMessageBoxTextId), 2000)));
        }
        if (Now() >= deadline) {
            throw DriverError("the file dialog did not close after \"" + path + "\"");
        }
        Pause();
    }
    SettleAfterPost(owner, o.timeout_ms);
}

void CmdDropFile(const Options& o) {
    HWND top = WaitTopLevel(o.args.at(0), o.timeout_ms);
    std::vector<std::string> paths;
    for (size_t i = 1; i < o.args.size(); ++i) {
        paths.push_back(WindowsPath(o.args[i]));
    }
    PostDrop(top, paths, o.wide);
    SettleAfterPost(top, o.timeout_ms);
}

void CmdMenuItems(const Options& o) {
    HWND top = WaitTopLevel(o.args.at(0), o.timeout_ms);
    ProbeRequest request = {};
    request.op = static_cast<uint32_t>(ProbeOp::kSystemMenu);
    request.window = reinterpret_cast<uintptr_t>(top);
    RunProbe(top, request, o.timeout_ms);
    std::string lines = request.text;
    if (!lines.empty() && lines.back() == '\n') {
        lines.pop_back();
    }
    Print(lines);
}

}  // namespace driver
