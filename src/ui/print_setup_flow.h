#pragma once

#include "settings/print_settings.h"

namespace tessaline {

// What the Print Setup flow needs from the main window.
class PrintSetupHost {
  public:
    virtual ~PrintSetupHost() = default;
    virtual void TakeFields() = 0;
    virtual void RefreshFields() = 0;
    // Runs the Print Setup dialog with these list positions (-1: no selection). Returns its end
    // code; after IDOK the selection holds the dialog's positions.
    virtual int RunPrintSetupDialog(PrintSettings& selection) = 0;
};

// Shows the stored page size and orientation and stores the choice when the dialog ends with
// OK; a cancelled dialog stores nothing.
void RunPrintSetup(ProfileStore& profile, PrintSetupHost& host);

}  // namespace tessaline
