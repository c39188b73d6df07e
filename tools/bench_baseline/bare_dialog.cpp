// bare_dialog.exe [--winspool]: shows one dialog from its template and ends on Exit or Esc.
// Nothing else, so that its start-up is what the system charges for a window of this shape.
// With --winspool it first loads winspool.drv, as the program must to list the printers before
// its window shows: under Wine that load starts the CUPS back end in the process.
#include <windows.h>

#include <cstring>

#include "bare_dialog.h"

namespace {

INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        return TRUE;
    }
    if (message == WM_COMMAND && (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDOK)) {
        EndDialog(window, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    if (std::strcmp(commandLine, "--winspool") == 0 && LoadLibraryA("winspool.drv") == nullptr) {
        return 3;
    }
    return static_cast<int>(
        DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_BARE_DIALOG), nullptr, &DialogProc, 0));
}
