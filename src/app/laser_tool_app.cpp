#include "app/laser_tool_app.h"

#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_printer_list_source.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_spooler.h"
#include "settings/settings_key.h"
#include "settings/print_settings.h"
#include "ui/main_dialog.h"

namespace tessaline {

bool CLaserToolApp::InitInstance() {
    SetRegistryKey(kMakerKey);

    Win32Spooler spooler;
    Win32PrinterListSource printers;
    Win32Registry registry;
    Win32FileSystem files;
    ProfileStore profile(registry, RegistryKeyName(), AppName());

    // The main window has no owner; it owns every other window of the program.
    CLaserToolDlg dialog(Context(), MainWindowServices{spooler, printers, profile, files});
    dialog.DoModal(nullptr);
    return false;
}

}  // namespace tessaline
