#pragma once

#include <windows.h>

#include <string>

#include "framework/data_exchange.h"

namespace tessaline {

// The controls of one dialog window.
class WindowControls final : public ControlAccess {
  public:
    explicit WindowControls(HWND& dialog) : m_dialog(dialog) {}

    std::string GetText(int id) override;
    void SetText(int id, const std::string& text) override;
    int GetListSelection(int id) override;
    void SetListSelection(int id, int index) override;
    bool AddListString(int id, const std::string& text) override;
    std::uintptr_t Handle(int id) override;

  private:
    // The dialog's handle as its owner holds it, so this can be made before the window exists.
    HWND& m_dialog;
};

// A window's whole text.
std::string WindowText(HWND window);

// A drop-down list bound to a dialog control by the data exchange.
class CComboBox : public ControlObject {
  public:
    HWND GetSafeHwnd() const { return reinterpret_cast<HWND>(NativeHandle()); }
    // CB_ADDSTRING: the new entry's position, or a negative value on failure.
    int AddString(const std::string& text);
    int SetCurSel(int index);
    // The selected entry's text; empty with none selected.
    std::string GetWindowText() const { return WindowText(GetSafeHwnd()); }
};

}  // namespace tessaline
