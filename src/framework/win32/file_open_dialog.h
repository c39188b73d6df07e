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
    static constexpr DWORD kTitleBufferSize = 64;

    // defaultExt and fileName may be null. filter is "Name|pattern|...||".
    CFileOpenDialog(const char* defaultExt, const char* fileName, DWORD flags, const char* filter);
    CFileOpenDialog(const CFileOpenDialog&) = delete;
    CFileOpenDialog& operator=(const CFileOpenDialog&) = delete;

    // Runs the dialog owned by `owner` (the main window). IDOK when the user chose a file,
    // IDCANCEL otherwise.
    INT_PTR DoModal(HWND owner);
    // The chosen file's full path, after IDOK.
    std::string GetPathName() const { return std::string(m_path.data()); }

  private:
    std::string m_filter;
    std::string m_defaultExt;
    std::vector<char> m_path;
    std::vector<char> m_title;
    OPENFILENAMEA m_options{};
};

}  // namespace tessaline
