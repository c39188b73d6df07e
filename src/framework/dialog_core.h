#pragma once

#include <cstddef>
#include <cstdint>

#include "framework/data_exchange.h"
#include "framework/dialog_init_data.h"
#include "platform/message_box.h"

namespace tessaline {

// End codes of a modal dialog: its OK and Cancel buttons' answers.
inline constexpr int kEndOk = kIdOk;
inline constexpr int kEndCancel = kIdCancel;
inline constexpr int kEndInitFailed = -1;

// The window-free half of a modal dialog: data exchange, the standard OK and Cancel, and the
// base initialisation. The Windows dialog class supplies the controls and the ending.
class DialogCore {
  public:
    virtual ~DialogCore() = default;

    // Runs DoDataExchange in the given direction; control notifications are held back while it
    // runs. Returns false when a binding failed.
    bool UpdateData(bool take);
    bool IsExchanging() const { return m_exchanging; }

  protected:
    virtual void DoDataExchange(DataExchange&) {}
    virtual ControlAccess& Controls() = 0;
    virtual void EndDialog(int result) = 0;

    // Fills the template's lists from its initial data (null data: none), in the order stored,
    // then refreshes the controls. Ends the dialog with -1 and returns false when either fails.
    bool InitControls(const std::uint8_t* initData, std::size_t initDataSize);
    // Takes the controls into the members; ends with IDOK only when that worked.
    void OnOK();
    // Ends with IDCANCEL; the members keep their values.
    void OnCancel();

  private:
    bool m_exchanging = false;
};

}  // namespace tessaline
