#pragma once

#include "framework/win32/dialog.h"
#include "ui/resource.h"

namespace tessaline {

// Names the program and its version; OK, Enter, Esc and the close box end it.
class CAboutDlg : public CDialog {
  public:
    explicit CAboutDlg(const ProgramContext& context) : CDialog(context, IDD_ABOUTBOX) {}
};

}  // namespace tessaline
