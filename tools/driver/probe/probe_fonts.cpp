#include "probe_fonts.h"

#include "../text_escape.h"

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace driver {

namespace {

HWND WindowOf(const ProbeRequest& req) {
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(req.window));
}

// The window's DPI where the system can say (GetDpiForWindow), else the screen's LOGPIXELSY.
UINT DpiOf(HWND window) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    auto fn = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
    if (fn != nullptr) {
        return fn(window);
    }
    HDC dc = GetDC(window);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(window, dc);
    return static_cast<UINT>(dpi);
}

std::string Narrow(const wchar_t* wide) {
    char narrow[2048] = {};
    WideCharToMultiByte(CP_ACP, 0, wide, -1, narrow, sizeof narrow - 1, nullptr, nullptr);
    return driver::Escape(narrow);
}

// A device context of the control with its own font selected, released on every path.
class ControlDc {
  public:
    explicit ControlDc(HWND control) : m_control(control), m_dc(GetDC(control)) {
        HFONT font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
        m_old = SelectObject(m_dc, font != nullptr ? font : GetStockObject(SYSTEM_FONT));
    }
    ~ControlDc() {
        SelectObject(m_dc, m_old);
        ReleaseDC(m_control, m_dc);
    }
    ControlDc(const ControlDc&) = delete;
    ControlDc& operator=(const ControlDc&) = delete;
    HDC get() const { return m_dc; }

  private:
    HWND m_control;
    HDC m_dc;
    HGDIOBJ m_old;
};

// Class names compare without case; versioned common-control classes carry a "N.N!" prefix.
bool SameClass(const wchar_t* cls, const wchar_t* name) {
    const wchar_t* bang = wcsrchr(cls, L'!');
    return _wcsicmp(bang != nullptr ? bang + 1 : cls, name) == 0;
}

struct Fit {
    const char* kind = nullptr;  // not a text control this check measures
    LONG needW = 0, needH = 0, roomW = 0, roomH = 0, line = 1;
};

// Measures like the control draws: static labels wrap words and expand tabs; read-only edits
// lay out their lines in the edit's formatting rectangle; buttons draw one line beside their box.
Fit Measure(HWND control, const std::wstring& text) {
    Fit fit;
    wchar_t cls[64] = {};
    GetClassNameW(control, cls, 63);
    const LONG style = GetWindowLongW(control, GWL_STYLE);
    RECT client;
    GetClientRect(control, &client);
    fit.roomW = client.right;
    fit.roomH = client.bottom;
    UINT flags = DT_CALCRECT | DT_EXPANDTABS;
    if (SameClass(cls, L"Static")) {
        const LONG type = style & SS_TYPEMASK;
        if (type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT) {
            return fit;
        }
        fit.kind = "label";
        flags |= DT_WORDBREAK | ((style & SS_NOPREFIX) ? DT_NOPREFIX : 0);
    } else if (SameClass(cls, L"Edit")) {
        if (!(style & ES_READONLY)) {
            return fit;  // a field the user types in scrolls by design
        }
        fit.kind = "edit";
        RECT format = {};
        SendMessageW(control, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
        fit.roomW = format.right - format.left;
        fit.roomH = format.bottom - format.top;
        flags |= DT_NOPREFIX;
    } else if (SameClass(cls, L"Button")) {
        const LONG type = style & BS_TYPEMASK;
        if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) {
            fit.kind = "button";
            fit.roomW -= 2 * GetSystemMetrics(SM_CXEDGE);
        } else if (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX) {
            fit.kind = "check";
            fit.roomW -= GetSystemMetrics(SM_CXMENUCHECK) + 2;
        } else {
            return fit;
        }
        flags |= DT_SINGLELINE;
    } else {
        return fit;
    }
    ControlDc dc(control);
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc.get(), &metrics);
    fit.line = metrics.tmHeight > 0 ? metrics.tmHeight : 1;
    RECT need = {0, 0, fit.roomW, 0};
    DrawTextW(dc.get(), text.c_str(), -1, &need, flags);
    fit.needW = need.right - need.left;
    fit.needH = need.bottom - need.top;
    return fit;
}

struct Report {
    std::string lines;
};

BOOL CALLBACK AddControl(HWND control, LPARAM param) {
    auto& report = *reinterpret_cast<Report*>(param);
    if (!IsWindowVisible(control)) {
        return TRUE;
    }
    wchar_t text[2048] = {};
    GetWindowTextW(control, text, 2047);
    if (text[0] == L'\0') {
        return TRUE;
    }
    const Fit fit = Measure(control, text);
    if (fit.kind == nullptr) {
        return TRUE;
    }
    // Lines count in whole lines of the control's font: a half-shown line is a cut one.
    const long needLines = (fit.needH + fit.line - 1) / fit.line;
    const long roomLines = fit.roomH / fit.line;
    const bool fits = needLines <= roomLines && fit.needW <= fit.roomW;
    char line[256];
    std::snprintf(line, sizeof line, "%d\t%s\t%ld/%ld lines\t%ldx%ld in %ldx%ld\t%s\t",
                  GetDlgCtrlID(control), fit.kind, needLines, roomLines, fit.needW, fit.needH,
                  fit.roomW, fit.roomH, fits ? "fits" : "cut");
    report.lines += line + Narrow(text) + "\n";
    return TRUE;
}

void Put(ProbeRequest& req, const std::string& text) {
    lstrcpynA(req.text, text.c_str(), sizeof req.text);
    req.status = text.size() < sizeof req.text ? 0 : ERROR_INSUFFICIENT_BUFFER;
}

}  // namespace

void ProbeFont(ProbeRequest& req) {
    HWND control = WindowOf(req);
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    LOGFONTW logical = {};
    if (font == nullptr || GetObjectW(font, sizeof logical, &logical) == 0) {
        req.status = ERROR_INVALID_HANDLE;
        return;
    }
    ControlDc dc(control);
    wchar_t face[LF_FACESIZE] = {};
    GetTextFaceW(dc.get(), LF_FACESIZE, face);
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc.get(), &metrics);
    char text[512];
    std::snprintf(text, sizeof text,
                  "height: %ld\nweight: %ld\ncharset: %d\npitch and family: 0x%02X\n"
                  "requested face: %s\nface: %s\ncell height: %ld\naverage width: %ld\n"
                  "window dpi: %u\n",
                  static_cast<long>(logical.lfHeight), static_cast<long>(logical.lfWeight),
                  logical.lfCharSet, logical.lfPitchAndFamily, Narrow(logical.lfFaceName).c_str(),
                  Narrow(face).c_str(), static_cast<long>(metrics.tmHeight),
                  static_cast<long>(metrics.tmAveCharWidth), DpiOf(GetAncestor(control, GA_ROOT)));
    Put(req, text);
}

void ProbeTextFit(ProbeRequest& req) {
    Report report;
    EnumChildWindows(WindowOf(req), AddControl, reinterpret_cast<LPARAM>(&report));
    Put(req, report.lines);
}

void ProbeDpiChanged(ProbeRequest& req) {
    HWND window = WindowOf(req);
    RECT suggested;
    if (!GetWindowRect(window, &suggested)) {
        req.status = static_cast<int32_t>(GetLastError());
        return;
    }
    const WORD dpi = static_cast<WORD>(req.value);
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                             reinterpret_cast<LPARAM>(&suggested), SMTO_ABORTIFHUNG, 5000,
                             &result)) {
        req.status = ERROR_TIMEOUT;
        return;
    }
    req.status = 0;
}

}  // namespace driver
