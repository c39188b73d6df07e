#pragma once

#include <cstdint>

#include "framework/win32/dialog.h"
#include "ui/resource.h"

namespace tessaline {

// Page size and orientation as list positions; -1 selects nothing. The lists come from the
// template's initial data.
class CPrintSetupDlg : public CDialog {
  public:
    explicit CPrintSetupDlg(const ProgramContext& context) : CDialog(context, IDD_PRINT_SETUP) {}

    std::int32_t m_nOrientation = -1;
    std::int32_t m_nPageSize = -1;

  protected:
    void DoDataExchange(DataExchange& dx) override {
        dx.ListIndex(IDC_SETUP_ORIENTATION, m_nOrientation);
        dx.ListIndex(IDC_SETUP_PAGE_SIZE, m_nPageSize);
    }
};

}  // namespace tessaline
