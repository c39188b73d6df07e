#include "framework/win32/application.h"

#include <commctrl.h>

#include "framework/help_key.h"
#include "framework/whole_text.h"
#include "framework/win32/dialog.h"
#include "settings/print_settings.h"

namespace tessaline {
namespace {

// GetModuleFileNameA cuts long paths silently, and has no length query.
std::string ModulePath(HINSTANCE instance) {
    return FetchWholeText([] { return MAX_PATH; },
                          [instance](char* buffer, std::size_t size) {
                              GetModuleFileNameA(instance, buffer, static_cast<DWORD>(size));
                          });
}

}  // namespace

CApplication* CApplication::s_current = nullptr;

CApplication::CApplication() {
    s_current = this;
}

CApplication::~CApplication() {
    if (s_current == this) {
        s_current = nullptr;
    }
}

HWND CApplication::MainWindowHandle() const {
    return m_mainWindow != nullptr ? m_mainWindow->GetSafeHwnd() : nullptr;
}

int CApplication::Run(HINSTANCE instance) {
    // A file on a drive without a medium then just fails to open, without a system prompt.
    const UINT mode = SetErrorMode(0);
    SetErrorMode(mode | SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);

    m_instance = instance;
    m_executablePath = ModulePath(instance);
    m_appName = ApplicationNameFromPath(m_executablePath);

    // Loads the themed standard controls that the manifest asks for.
    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    InitInstance();
    return 0;
}

void CApplication::ShowHelp(HWND requester, unsigned templateId) {
    const std::string helpFile = HelpFilePath(m_executablePath);
    const HWND window = requester != nullptr ? requester : MainWindowHandle();
    if (!WinHelpA(window, helpFile.c_str(), HELP_CONTEXT, HelpContextForTemplate(templateId))) {
        ShowMessage(kHelpFailedText, MB_OK | MB_ICONEXCLAMATION);
    }
}

int CApplication::ShowMessage(const std::string& text, unsigned type) {
    return MessageBoxA(MainWindowHandle(), text.c_str(), m_appName.c_str(), type);
}

}  // namespace tessaline
