#pragma once

#include <windows.h>

#include <string>

#include "framework/dialog_core.h"
#include "framework/event_table.h"
#include "framework/win32/program_context.h"
#include "framework/win32/window_controls.h"

namespace tessaline {

// A modal dialog made from a template resource of the program. The application's main window
// has no owner; every other dialog is owned by the main window.
class CDialog : public DialogCore {
  public:
    // The context must outlive the dialog.
    CDialog(const ProgramContext& context, unsigned templateId)
        : m_context(context), m_templateId(templateId), m_controls(m_hWnd) {}
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Runs the dialog, owned by `owner` (the main window; null for the main window itself).
    // IDOK, IDCANCEL, or -1 when the dialog could not be made or its initialisation failed.
    INT_PTR DoModal(HWND owner);

    HWND GetSafeHwnd() const { return m_hWnd; }
    // The main window: this dialog's owner, or the dialog itself when it has none.
    HWND MainWindowHandle() const { return m_owner != nullptr ? m_owner : m_hWnd; }

    // MessageBoxA owned by this window; an empty caption becomes the application name.
    int MessageBox(const std::string& text, const std::string& caption, UINT type);
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    void SetDlgItemText(int id, const std::string& text);
    // BM_GETCHECK: 0 unchecked, 1 checked, 2 indeterminate.
    UINT IsDlgButtonChecked(int id) const { return ::IsDlgButtonChecked(m_hWnd, id); }

  protected:
    // Base: InitFromTemplate. Returning TRUE puts the focus on the first control in tab order.
    virtual BOOL OnInitDialog();
    // Fills the template's lists from its initial data, then refreshes the controls. False
    // when either failed and the dialog is ending with -1.
    bool InitFromTemplate();
    // A window's own event table; the base has none.
    virtual Reply OnEvent(const Message&) { return Reply::PassOn(); }
    // Hands the message to the default dialog handling now, rather than after the handler.
    Reply Default(const Message& m);
    const ProgramContext& Context() const { return m_context; }

    ControlAccess& Controls() override { return m_controls; }
    void EndDialog(int result) override;

  private:
    friend CDialog* DialogFromWindow(HWND window);
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    Reply Route(const Message& m);
    void OnHelpKey();
    // A box owned by the main window, captioned with the application name.
    void ShowProgramMessage(const std::string& text, UINT type) const;

    const ProgramContext& m_context;
    unsigned m_templateId;
    HWND m_owner = nullptr;
    HWND m_hWnd = nullptr;
    WindowControls m_controls;
    bool m_passToDefault = false;
};

// The dialog of ours that the window belongs to, or null.
CDialog* DialogFromWindow(HWND window);

}  // namespace tessaline
