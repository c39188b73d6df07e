#include "ui/print_setup_flow.h"

namespace tessaline {
namespace {

constexpr int kDialogOk = 1;

}  // namespace

void RunPrintSetup(ProfileStore& profile, PrintSetupHost& host) {
    host.TakeFields();
    PrintSettings selection{-1, -1};
    const PrintSettings stored = ReadPrintSetupSettings(profile);
    if (stored.pageSizeIndex != -1) {
        selection.pageSizeIndex = stored.pageSizeIndex;
    }
    if (stored.orientationIndex != -1) {
        selection.orientationIndex = stored.orientationIndex;
    }
    host.RefreshFields();
    const int result = host.RunPrintSetupDialog(selection);
    host.TakeFields();
    if (result == kDialogOk) {
        WritePrintSettings(profile, selection);
    }
}

}  // namespace tessaline
