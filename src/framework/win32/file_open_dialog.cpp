#include "framework/win32/file_open_dialog.h"

#include <cstring>

#include "framework/file_filter.h"

namespace tessaline {
namespace {

// The dialog needs a hook for its sizing and explorer style to be chosen as they are; it has
// nothing to do.
UINT_PTR CALLBACK IgnoreHookMessages(HWND, UINT, WPARAM, LPARAM) {
    return 0;
}

}  // namespace

CFileOpenDialog::CFileOpenDialog(const char* defaultExt, const char* fileName, DWORD flags,
                                 const char* filter)
    : m_filter(DialogFilterFromPipes(filter != nullptr ? filter : "")),
      m_defaultExt(defaultExt != nullptr ? defaultExt : ""),
      m_path(kPathBufferSize, '\0'),
      m_title(kTitleBufferSize, '\0') {
    if (fileName != nullptr) {
        std::strncpy(m_path.data(), fileName, m_path.size() - 1);
    }
    m_options.lStructSize = sizeof(m_options);
    m_options.lpstrFilter = m_filter.empty() ? nullptr : m_filter.c_str();
    m_options.nFilterIndex = 1;
    m_options.lpstrFile = m_path.data();
    m_options.nMaxFile = kPathBufferSize;
    m_options.lpstrFileTitle = m_title.data();
    m_options.nMaxFileTitle = kTitleBufferSize;
    m_options.lpstrDefExt = defaultExt != nullptr ? m_defaultExt.c_str() : nullptr;
    m_options.Flags = flags | OFN_ENABLEHOOK | OFN_EXPLORER | OFN_ENABLESIZING;
    m_options.lpfnHook = &IgnoreHookMessages;
}

INT_PTR CFileOpenDialog::DoModal(HWND owner) {
    m_options.hwndOwner = owner;
    return GetOpenFileNameA(&m_options) ? IDOK : IDCANCEL;
}

}  // namespace tessaline
