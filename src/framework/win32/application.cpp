#include "framework/win32/application.h"

#include <commctrl.h>

#include "framework/help_key.h"
#include "framework/whole_text.h"
#include "framework/win32/dialog.h"

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

int CApplication::Run(HINSTANCE instance) {
    // A file on a drive without a medium then just fails to open, without a system prompt.
    const UINT mode = SetErrorMode(0);
    SetErrorMode(mode | SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);

    m_executablePath = ModulePath(instance);
    m_appName = ApplicationNameFromPath(m_executablePath);

    m_context = ProgramContext{instance, m_appName, HelpFilePath(m_executablePath)};

    // Loads the themed standard controls that the manifest asks for.
    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    InitInstance();
    return 0;
}

}  // namespace tessaline
