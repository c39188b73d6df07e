#pragma once

#include <windows.h>
#include <commdlg.h>

#include <string>
#include <vector>

namespace tessaline {

// The common file-open dialog, with the platform's default title and initial folder.
class CFileOpenDialog {
  public:
    // Room for long paths, not just MAX_PATH.
    static constexpr DWORD kPathBufferSize = 32768;

    // No default extension and no initial file name. filter is "Name|pattern|...||".
    CFileOpenDialog(DWORD flags, const char* filter);
    CFileOpenDialog(const CFileOpenDialog&) = delete;
    CFileOpenDialog& operator=(const CFileOpenDialog&) = delete;

    // Runs the dialog owned by `owner` (the main window). IDOK when the user chose a file,
    // IDCANCEL otherwise.
    INT_PTR DoModal(HWND owner);
    // The chosen file's full path, after IDOK.
    std::string GetPathName() const { return std::string(m_path.data()); }

  private:
    std::string m_filter;
    std::vector<char> m_path;
    OPENFILENAMEA m_options{};
};

}  // namespace tessaline
