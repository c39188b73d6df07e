#pragma once

#include <windows.h>

#include <string>

namespace tessaline {

class CDialog;

// The one application object. Constructed statically; Run is entered from WinMain.
class CApplication {
  public:
    CApplication();
    virtual ~CApplication();
    CApplication(const CApplication&) = delete;
    CApplication& operator=(const CApplication&) = delete;

    // The instance constructed last (the program makes exactly one).
    static CApplication* Current() { return s_current; }

    // Sets the error mode, names the application and runs InitInstance. There is no message
    // loop: the program ends when InitInstance returns.
    int Run(HINSTANCE instance);

    HINSTANCE Instance() const { return m_instance; }
    // The executable's file name without folder and extension.
    const std::string& AppName() const { return m_appName; }
    const std::string& ExecutablePath() const { return m_executablePath; }
    // The maker's key under HKCU\Software; empty until SetRegistryKey.
    const std::string& RegistryKeyName() const { return m_registryKey; }

    CDialog* MainWindow() const { return m_mainWindow; }
    HWND MainWindowHandle() const;
    void SetMainWindow(CDialog* window) { m_mainWindow = window; }

    // Opens the help file on the context of the given dialog template; a box tells when the
    // viewer cannot be started.
    void ShowHelp(HWND requester, unsigned templateId);
    // A box owned by the main window, captioned with the application name.
    int ShowMessage(const std::string& text, unsigned type);

  protected:
    // Returns false to end the program.
    virtual bool InitInstance() = 0;
    void SetRegistryKey(const char* key) { m_registryKey = key; }

  private:
    static CApplication* s_current;

    HINSTANCE m_instance = nullptr;
    std::string m_executablePath;
    std::string m_appName;
    std::string m_registryKey;
    CDialog* m_mainWindow = nullptr;
};

}  // namespace tessaline
