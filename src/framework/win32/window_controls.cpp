#include "framework/win32/window_controls.h"

#include "framework/whole_text.h"

namespace tessaline {

std::string WindowText(HWND window) {
    if (window == nullptr) {
        return {};
    }
    // The length may count characters where a double-byte code page needs bytes.
    return FetchWholeText([window] { return GetWindowTextLengthA(window); },
                          [window](char* buffer, std::size_t size) {
                              GetWindowTextA(window, buffer, static_cast<int>(size));
                          });
}

std::string WindowControls::GetText(int id) {
    return WindowText(GetDlgItem(m_dialog, id));
}

void WindowControls::SetText(int id, const std::string& text) {
    SetDlgItemTextA(m_dialog, id, text.c_str());
}

int WindowControls::GetListSelection(int id) {
    return static_cast<int>(SendDlgItemMessageA(m_dialog, id, CB_GETCURSEL, 0, 0));
}

void WindowControls::SetListSelection(int id, int index) {
    SendDlgItemMessageA(m_dialog, id, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

bool WindowControls::AddListString(int id, const std::string& text) {
    if (GetDlgItem(m_dialog, id) == nullptr) {
        return false;
    }
    const LRESULT added =
        SendDlgItemMessageA(m_dialog, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    return added >= 0;
}

std::uintptr_t WindowControls::Handle(int id) {
    return reinterpret_cast<std::uintptr_t>(GetDlgItem(m_dialog, id));
}

int CComboBox::AddString(const std::string& text) {
    return static_cast<int>(
        SendMessageA(GetSafeHwnd(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
}

int CComboBox::SetCurSel(int index) {
    return static_cast<int>(
        SendMessageA(GetSafeHwnd(), CB_SETCURSEL, static_cast<WPARAM>(index), 0));
}

}  // namespace tessaline
