#include "app/laser_tool_app.h"

#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_printer_list_source.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_spooler.h"
#include "settings/print_settings.h"
#include "ui/main_dialog.h"

namespace tessaline {

bool CLaserToolApp::InitInstance() {
    // No template holds an OLE control and the standard controls draw themselves in 3-D, so
    // there is nothing to enable for either.
    SetRegistryKey(kMakerKey);

    Win32Spooler spooler;
    Win32PrinterListSource printers;
    Win32Registry registry;
    Win32FileSystem files;
    ProfileStore profile(registry, RegistryKeyName(), AppName());

    CLaserToolDlg dialog(MainWindowServices{spooler, printers, profile, files});
    SetMainWindow(&dialog);
    dialog.DoModal();
    SetMainWindow(nullptr);
    return false;
}

}  // namespace tessaline
