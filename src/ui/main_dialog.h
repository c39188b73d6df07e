#pragma once

#include <windows.h>

#include <string>

#include "framework/win32/dialog.h"
#include "framework/win32/window_controls.h"
#include "platform/file.h"
#include "platform/printer_list_source.h"
#include "platform/spooler.h"
#include "settings/print_settings.h"
#include "ui/owned_font.h"

namespace tessaline {

struct GdiFontTraits {
    using Handle = HFONT;
    static void Delete(HFONT font) { DeleteObject(font); }
};

// What the main window's operations run against; owned by the caller, outliving the window.
struct MainWindowServices {
    Spooler& spooler;
    PrinterListSource& printers;
    ProfileStore& profile;
    FileSystem& files;
};

// The program's one top-level window: printer list, flash upgrade, forms test, print setup.
class CLaserToolDlg : public CDialog {
  public:
    CLaserToolDlg(const ProgramContext& context, const MainWindowServices& services);
    ~CLaserToolDlg() override;

  protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(DataExchange& dx) override;
    Reply OnEvent(const Message& m) override;

  private:
    static const EventTable<CLaserToolDlg>& Events();

    Reply OnSysCommand(const Message& m);
    Reply OnPaint(const Message& m);
    Reply OnQueryDragIcon(const Message& m);
    Reply OnPrintForms(const Message& m);
    Reply OnBrowse(const Message& m);
    Reply OnUpgrade(const Message& m);
    Reply OnPathFocus(const Message& m);
    Reply OnFormsFocus(const Message& m);
    Reply OnPrintSetup(const Message& m);
    Reply OnDebugMode(const Message& m);
    Reply OnDropFiles(const Message& m);
    Reply OnDpiChanged(const Message& m);

    void FillPrinterList();
    void ApplyNoticeFont(UINT dpi);

    MainWindowServices m_services;

    CComboBox m_cbPrinter;
    std::string m_strForms;
    std::string m_strPath;
    HICON m_hIcon;
    OwnedFont<GdiFontTraits> m_noticeFont;
};

}  // namespace tessaline
