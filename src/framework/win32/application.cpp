#include "framework/win32/application.h"

#include <commctrl.h>

#include <vector>

#include "framework/help_key.h"
#include "framework/win32/dialog.h"

namespace tessaline {
namespace {

// GetModuleFileNameA cuts long paths silently: grow the buffer until the whole path fits.
std::string ModulePath(HINSTANCE instance) {
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        const DWORD size = static_cast<DWORD>(buffer.size());
        const DWORD length = GetModuleFileNameA(instance, buffer.data(), size);
        if (length == 0) {
            return {};
        }
        if (length < size) {
            return std::string(buffer.data(), length);
        }
        if (buffer.size() >= 32768) {
            return std::string(buffer.data(), length);
        }
        buffer.resize(buffer.size() * 2);
    }
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
