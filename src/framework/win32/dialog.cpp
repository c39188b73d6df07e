#include "framework/win32/dialog.h"

#include "framework/handler_guard.h"
#include "framework/help_key.h"

namespace tessaline {
namespace {

static_assert(kWmCommand == WM_COMMAND && kBnClicked == BN_CLICKED && kEnSetFocus == EN_SETFOCUS,
              "portable message numbers must match Windows");
static_assert(kEndOk == IDOK && kEndCancel == IDCANCEL, "end codes must match Windows");

class MainWindowReporter final : public GuardReporter {
  public:
    MainWindowReporter(HWND mainWindow, const std::string& appName)
        : m_mainWindow(mainWindow), m_appName(appName) {}
    void Report(const GuardBox& box) override {
        MessageBoxA(m_mainWindow, box.text.c_str(), m_appName.c_str(), box.type);
    }

  private:
    HWND m_mainWindow;
    const std::string& m_appName;
};

// Messages whose result a dialog procedure returns itself instead of through DWLP_MSGRESULT.
bool ReturnsResultDirectly(UINT message) {
    switch (message) {
        case WM_INITDIALOG:
        case WM_QUERYDRAGICON:
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
        case WM_COMPAREITEM:
        case WM_VKEYTOITEM:
        case WM_CHARTOITEM:
            return true;
        default:
            return false;
    }
}

bool KeyIsDown(int key) {
    return (GetKeyState(key) & 0x8000) != 0;
}

}  // namespace

CDialog* DialogFromWindow(HWND window) {
    if (window == nullptr || GetWindowLongPtrA(window, DWLP_DLGPROC) !=
                                 reinterpret_cast<LONG_PTR>(&CDialog::DialogProc)) {
        return nullptr;
    }
    return reinterpret_cast<CDialog*>(GetWindowLongPtrA(window, DWLP_USER));
}

INT_PTR CDialog::DoModal(HWND owner) {
    m_owner = owner;
    return DialogBoxParamA(m_context.instance, MAKEINTRESOURCEA(m_templateId), owner,
                           &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
}

BOOL CDialog::OnInitDialog() {
    InitFromTemplate();
    return TRUE;
}

bool CDialog::InitFromTemplate() {
    const HINSTANCE instance = m_context.instance;
    const HRSRC found = FindResourceA(instance, MAKEINTRESOURCEA(m_templateId),
                                      MAKEINTRESOURCEA(kInitDataResourceType));
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    if (found != nullptr) {
        const HGLOBAL loaded = LoadResource(instance, found);
        data = static_cast<const std::uint8_t*>(loaded != nullptr ? LockResource(loaded) : nullptr);
        size = SizeofResource(instance, found);
        if (data == nullptr) {
            EndDialog(kEndInitFailed);
            return false;
        }
    }
    return InitControls(data, size);
}

Reply CDialog::Default(const Message& m) {
    m_passToDefault = true;
    const LRESULT result = DefDlgProcA(m_hWnd, m.message, m.wParam, m.lParam);
    m_passToDefault = false;
    return Reply::Done(result);
}

void CDialog::EndDialog(int result) {
    ::EndDialog(m_hWnd, result);
}

int CDialog::MessageBox(const std::string& text, const std::string& caption, UINT type) {
    const std::string& shown = caption.empty() ? m_context.appName : caption;
    return ::MessageBoxA(m_hWnd, text.c_str(), shown.c_str(), type);
}

void CDialog::ShowProgramMessage(const std::string& text, UINT type) const {
    ::MessageBoxA(MainWindowHandle(), text.c_str(), m_context.appName.c_str(), type);
}

void CDialog::SetDlgItemText(int id, const std::string& text) {
    ::SetDlgItemTextA(m_hWnd, id, text.c_str());
}

void CDialog::OnHelpKey() {
    // Shift, Ctrl or Alt with F1 is not the help key.
    if (KeyIsDown(VK_SHIFT) || KeyIsDown(VK_CONTROL) || KeyIsDown(VK_MENU)) {
        return;
    }
    // The dialog holding the focus names the context; a nested modal dialog takes precedence.
    CDialog* focused = DialogFromWindow(GetAncestor(GetFocus(), GA_ROOT));
    const CDialog* target = focused != nullptr ? focused : this;
    if (!WinHelpA(target->m_hWnd, m_context.helpFile.c_str(), HELP_CONTEXT,
                  HelpContextForTemplate(target->m_templateId))) {
        ShowProgramMessage(kHelpFailedText, MB_OK | MB_ICONEXCLAMATION);
    }
}

Reply CDialog::Route(const Message& m) {
    switch (m.message) {
        case WM_INITDIALOG:
            return Reply::Done(OnInitDialog());
        case WM_HELP:
            OnHelpKey();
            return Reply::Done();
        default:
            break;
    }
    const Reply reply = OnEvent(m);
    if (reply.handled || m.message != WM_COMMAND || IsExchanging()) {
        return reply;
    }
    const UINT code = HIWORD(m.wParam);
    if (code != BN_CLICKED) {
        return reply;
    }
    switch (LOWORD(m.wParam)) {
        case IDOK:
            OnOK();
            return Reply::Done();
        case IDCANCEL:
            OnCancel();
            return Reply::Done();
        case kHelpCommandId:
            OnHelpKey();
            return Reply::Done();
        default:
            return reply;
    }
}

INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CDialog* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<CDialog*>(lParam);
        SetWindowLongPtrA(window, DWLP_USER, lParam);
        self->m_hWnd = window;
    } else {
        self = reinterpret_cast<CDialog*>(GetWindowLongPtrA(window, DWLP_USER));
    }
    if (self == nullptr) {
        return FALSE;
    }
    if (self->m_passToDefault) {
        self->m_passToDefault = false;
        return FALSE;
    }

    MainWindowReporter reporter(self->MainWindowHandle(), self->m_context.appName);
    const Message m{message, wParam, lParam};
    const Reply reply = RunGuarded([self, &m] { return self->Route(m); }, reporter);

    if (message == WM_NCDESTROY) {
        self->m_hWnd = nullptr;
    }
    if (!reply.handled) {
        return FALSE;
    }
    if (ReturnsResultDirectly(message)) {
        return reply.result;
    }
    SetWindowLongPtrA(window, DWLP_MSGRESULT, reply.result);
    return TRUE;
}

}  // namespace tessaline
