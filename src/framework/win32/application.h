#pragma once

#include <windows.h>

#include <string>

#include "framework/win32/program_context.h"

namespace tessaline {

// The one application object. Run is entered from WinMain; InitInstance, the composition root,
// hands Context() to the windows it makes.
class CApplication {
  public:
    CApplication() = default;
    virtual ~CApplication() = default;
    CApplication(const CApplication&) = delete;
    CApplication& operator=(const CApplication&) = delete;

    // Sets the error mode, names the application and runs InitInstance. There is no message
    // loop: the program ends when InitInstance returns.
    int Run(HINSTANCE instance);

    // The executable's file name without folder and extension.
    const std::string& AppName() const { return m_appName; }
    // The maker's key under HKCU\Software; empty until SetRegistryKey.
    const std::string& RegistryKeyName() const { return m_registryKey; }

  protected:
    // Builds the windows and runs them; the program ends when it returns, whatever it returns.
    virtual bool InitInstance() = 0;
    void SetRegistryKey(const char* key) { m_registryKey = key; }
    // Filled by Run before InitInstance.
    const ProgramContext& Context() const { return m_context; }

  private:
    std::string m_executablePath;
    std::string m_appName;
    std::string m_registryKey;
    ProgramContext m_context;
};

}  // namespace tessaline
