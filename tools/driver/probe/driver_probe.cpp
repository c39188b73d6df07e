// Loaded into the program under test by the driver: reads what Wine keeps inside the process
// (icon handles, the system menu, fonts) and cannot be read from another one.
#include <windows.h>

#include <cstdio>
#include <string>

#include "../probe_protocol.h"
#include "probe_fonts.h"

namespace {

using driver::ProbeRequest;

struct StockIcon {
    LPCSTR id;
    int32_t style;
};

// Shared icons are cached per process, so in here the handle a message box shows equals the
// one LoadIcon returns for the same stock icon.
void IconStyle(ProbeRequest& req, HWND control) {
    DWORD_PTR icon = 0;
    if (!SendMessageTimeoutW(control, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, 5000, &icon)) {
        req.status = static_cast<int32_t>(GetLastError() ? GetLastError() : ERROR_TIMEOUT);
        return;
    }
    const StockIcon stock[] = {
        {IDI_HAND, MB_ICONHAND},
        {IDI_QUESTION, MB_ICONQUESTION},
        {IDI_EXCLAMATION, MB_ICONEXCLAMATION},
        {IDI_ASTERISK, MB_ICONASTERISK},
    };
    req.value = icon == 0 ? 0 : driver::kProbeUnknownIcon;
    for (const StockIcon& s : stock) {
        if (icon != 0 && reinterpret_cast<HICON>(icon) == LoadIconA(nullptr, s.id)) {
            req.value = s.style;
        }
    }
    req.status = 0;
}

std::string Escape(const std::wstring& wide) {
    char narrow[1024] = {};
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, narrow, sizeof narrow - 1, nullptr, nullptr);
    std::string out;
    for (const char* p = narrow; *p; ++p) {
        if (*p == '\t') {
            out += "\\t";
        } else if (*p == '\\') {
            out += "\\\\";
        } else {
            out += *p;
        }
    }
    return out;
}

void SystemMenu(ProbeRequest& req, HWND window) {
    HMENU menu = GetSystemMenu(window, FALSE);
    if (menu == nullptr) {
        req.status = ERROR_INVALID_MENU_HANDLE;
        return;
    }
    std::string lines;
    int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        wchar_t text[512] = {};
        MENUITEMINFOW info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = 511;
        if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info)) {
            continue;
        }
        if (info.fType & MFT_SEPARATOR) {
            lines += "-\n";
            continue;
        }
        char id[32];
        std::snprintf(id, sizeof id, "0x%04X\t", info.wID);
        lines +=
            id + Escape(text) + ((info.fState & MFS_DISABLED) ? "\tdisabled\n" : "\tenabled\n");
    }
    lstrcpynA(req.text, lines.c_str(), sizeof req.text);
    req.status = 0;
}

}  // namespace

extern "C" __declspec(dllexport) DWORD WINAPI driver_probe_run(void* param) {
    auto& req = *static_cast<ProbeRequest*>(param);
    HWND window = reinterpret_cast<HWND>(static_cast<uintptr_t>(req.window));
    switch (static_cast<driver::ProbeOp>(req.op)) {
        case driver::ProbeOp::kIconStyle:
            IconStyle(req, window);
            break;
        case driver::ProbeOp::kSystemMenu:
            SystemMenu(req, window);
            break;
        case driver::ProbeOp::kFont:
            driver::ProbeFont(req);
            break;
        case driver::ProbeOp::kTextFit:
            driver::ProbeTextFit(req);
            break;
        case driver::ProbeOp::kDpiChanged:
            driver::ProbeDpiChanged(req);
            break;
        default:
            req.status = ERROR_INVALID_FUNCTION;
    }
    return 0;
}

extern "C" __declspec(dllexport) LRESULT CALLBACK
    driver_probe_getmsg(int code, WPARAM wp, LPARAM lp) {
    const MSG* msg = reinterpret_cast<const MSG*>(lp);
    if (code == HC_ACTION && msg->hwnd == nullptr && msg->message == WM_NULL &&
        msg->wParam == driver::kSettleMagic) {
        char name[64];
        std::snprintf(name, sizeof name, "%s%llx", driver::kSettleEventPrefix,
                      static_cast<unsigned long long>(msg->lParam));
        if (HANDLE event = OpenEventA(EVENT_MODIFY_STATE, FALSE, name)) {
            SetEvent(event);
            CloseHandle(event);
        }
    }
    return CallNextHookEx(nullptr, code, wp, lp);
}
