#include "framework/win32/file_open_dialog.h"

#include "framework/file_filter.h"

namespace tessaline {
namespace {

// The dialog needs a hook for its sizing and explorer style to be chosen as they are; it has
// nothing to do.
UINT_PTR CALLBACK IgnoreHookMessages(HWND, UINT, WPARAM, LPARAM) {
    return 0;
}

}  // namespace

CFileOpenDialog::CFileOpenDialog(DWORD flags, const char* filter)
    : m_filter(DialogFilterFromPipes(filter != nullptr ? filter : "")),
      m_path(kPathBufferSize, '\0') {
    m_options.lStructSize = sizeof(m_options);
    m_options.lpstrFilter = m_filter.empty() ? nullptr : m_filter.c_str();
    m_options.nFilterIndex = 1;
    m_options.lpstrFile = m_path.data();
    m_options.nMaxFile = kPathBufferSize;
    m_options.Flags = flags | OFN_ENABLEHOOK | OFN_EXPLORER | OFN_ENABLESIZING;
    m_options.lpfnHook = &IgnoreHookMessages;
}

INT_PTR CFileOpenDialog::DoModal(HWND owner) {
    m_options.hwndOwner = owner;
    return GetOpenFileNameA(&m_options) ? IDOK : IDCANCEL;
}

}  // namespace tessaline
