#include "ui/main_dialog.h"

#include <shellapi.h>

#include "framework/whole_text.h"
#include "framework/win32/file_open_dialog.h"
#include "jobs/flash_upgrade.h"
#include "jobs/form_test.h"
#include "jobs/printer_list.h"
#include "ui/about_dialog.h"
#include "ui/print_setup_dialog.h"
#include "ui/print_setup_flow.h"
#include "ui/resource.h"
#include "ui/window_dpi.h"

namespace tessaline {
namespace {

constexpr char kPathPrompt[] = "(Browse or Drag and Drop file)";
constexpr char kNoticeLine1[] = "Legal Notice: Korvane KMF files can ONLY be used on Printers";
constexpr char kNoticeLine2[] = "with Korvane Modules Installed.";
constexpr char kAllFilesFilter[] = "All files (*.*)|*.*||";

// What the jobs need from the window, each asked for when the job needs it.
class WindowJobHost final : public FormTestHost, public FlashUpgradeHost {
  public:
    WindowJobHost(const CComboBox& printer, CDialog& window)
        : m_printer(printer), m_window(window) {}
    PrinterName SelectedPrinter() override { return m_printer.GetWindowText(); }
    void TakeFields() override { m_window.UpdateData(true); }
    bool DebugMode() override {
        return m_window.IsDlgButtonChecked(IDC_MAIN_DEBUG_MODE) == BST_CHECKED;
    }

  private:
    const CComboBox& m_printer;
    CDialog& m_window;
};

class WindowMessageBoxes final : public MessageBoxes {
  public:
    explicit WindowMessageBoxes(CDialog& window) : m_window(window) {}
    int Show(const std::string& text, const std::string& caption, std::uint32_t type) override {
        return m_window.MessageBox(text, caption, type);
    }

  private:
    CDialog& m_window;
};

// The main window's side of the Print Setup flow.
class MainWindowPrintSetup final : public PrintSetupHost {
  public:
    MainWindowPrintSetup(const ProgramContext& context, CDialog& window)
        : m_context(context), m_window(window) {}
    void TakeFields() override { m_window.UpdateData(true); }
    void RefreshFields() override { m_window.UpdateData(false); }
    int RunPrintSetupDialog(PrintSettings& selection) override {
        CPrintSetupDlg dialog(m_context);
        dialog.m_nPageSize = selection.pageSizeIndex;
        dialog.m_nOrientation = selection.orientationIndex;
        const INT_PTR result = dialog.DoModal(m_window.GetSafeHwnd());
        selection = PrintSettings{dialog.m_nPageSize, dialog.m_nOrientation};
        return static_cast<int>(result);
    }

  private:
    const ProgramContext& m_context;
    CDialog& m_window;
};

// The shell's drop is released however the handler ends.
class DropRelease {
  public:
    explicit DropRelease(HDROP drop) : m_drop(drop) {}
    ~DropRelease() { DragFinish(m_drop); }
    DropRelease(const DropRelease&) = delete;
    DropRelease& operator=(const DropRelease&) = delete;

  private:
    HDROP m_drop;
};

}  // namespace

CLaserToolDlg::CLaserToolDlg(const ProgramContext& context, const MainWindowServices& services)
    : CDialog(context, IDD_TESSALINE_DIALOG),
      m_services(services),
      m_hIcon(LoadIconA(context.instance, MAKEINTRESOURCEA(IDR_MAINFRAME))) {}

CLaserToolDlg::~CLaserToolDlg() = default;

const EventTable<CLaserToolDlg>& CLaserToolDlg::Events() {
    static constexpr Event<CLaserToolDlg> rows[] = {
        {WM_SYSCOMMAND, 0, 0, &CLaserToolDlg::OnSysCommand},
        {WM_PAINT, 0, 0, &CLaserToolDlg::OnPaint},
        {WM_QUERYDRAGICON, 0, 0, &CLaserToolDlg::OnQueryDragIcon},
        {WM_COMMAND, BN_CLICKED, IDC_MAIN_PRINT, &CLaserToolDlg::OnPrintForms},
        {WM_COMMAND, BN_CLICKED, IDC_MAIN_BROWSE, &CLaserToolDlg::OnBrowse},
        {WM_COMMAND, BN_CLICKED, IDC_MAIN_UPGRADE, &CLaserToolDlg::OnUpgrade},
        {WM_COMMAND, EN_SETFOCUS, IDC_MAIN_PATH, &CLaserToolDlg::OnPathFocus},
        {WM_COMMAND, EN_SETFOCUS, IDC_MAIN_FORMS, &CLaserToolDlg::OnFormsFocus},
        {WM_COMMAND, BN_CLICKED, IDC_MAIN_PRINT_SETUP, &CLaserToolDlg::OnPrintSetup},
        {WM_COMMAND, BN_CLICKED, IDC_MAIN_DEBUG_MODE, &CLaserToolDlg::OnDebugMode},
        {WM_DROPFILES, 0, 0, &CLaserToolDlg::OnDropFiles},
        {WM_DPICHANGED, 0, 0, &CLaserToolDlg::OnDpiChanged},
    };
    static constexpr EventTable<CLaserToolDlg> table{rows};
    return table;
}

Reply CLaserToolDlg::OnEvent(const Message& m) {
    return Dispatch(*this, Events(), m, IsExchanging());
}

void CLaserToolDlg::DoDataExchange(DataExchange& dx) {
    dx.Control(IDC_MAIN_PRINTER, m_cbPrinter);
    dx.Text(IDC_MAIN_FORMS, m_strForms);
    dx.Text(IDC_MAIN_PATH, m_strPath);
}

BOOL CLaserToolDlg::OnInitDialog() {
    if (!InitFromTemplate()) {
        return TRUE;
    }

    if (HMENU systemMenu = GetSystemMenu(GetSafeHwnd(), FALSE)) {
        const HINSTANCE instance = Context().instance;
        const std::string about =
            FetchWholeText([] { return 0; },
                           [instance](char* buffer, std::size_t size) {
                               LoadStringA(instance, IDS_ABOUTBOX, buffer, static_cast<int>(size));
                           });
        if (!about.empty()) {
            AppendMenuA(systemMenu, MF_SEPARATOR, 0, nullptr);
            AppendMenuA(systemMenu, MF_STRING, IDM_ABOUTBOX, about.c_str());
        }
    }

    SendMessageA(GetSafeHwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageA(GetSafeHwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));

    FillPrinterList();

    SetDlgItemText(IDC_MAIN_PATH, kPathPrompt);
    SetDlgItemText(IDC_MAIN_NOTICE_LINE1, kNoticeLine1);
    SetDlgItemText(IDC_MAIN_NOTICE_LINE2, kNoticeLine2);

    ApplyNoticeFont(WindowDpi(GetSafeHwnd()));
    return TRUE;
}

void CLaserToolDlg::FillPrinterList() {
    for (const PrinterName& name : ListPrinters(m_services.printers)) {
        m_cbPrinter.AddString(name);
    }
    m_cbPrinter.SetCurSel(0);
}

// 16 pixels at 96 DPI, scaled to the window's DPI.
void CLaserToolDlg::ApplyNoticeFont(UINT dpi) {
    const HFONT made =
        CreateFontA(MulDiv(16, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI), 0, 0, 0, FW_NORMAL,
                    FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                    DEFAULT_QUALITY, FF_SWISS, nullptr);
    ReplaceFont(m_noticeFont, made, [this](HFONT font) {
        for (const int id : {IDC_MAIN_NOTICE_LINE1, IDC_MAIN_NOTICE_LINE2}) {
            SendDlgItemMessageA(GetSafeHwnd(), id, WM_SETFONT, reinterpret_cast<WPARAM>(font),
                                TRUE);
        }
    });
}

Reply CLaserToolDlg::OnSysCommand(const Message& m) {
    // Only the low four bits are cleared: 0x10 to 0x1F all open the About box.
    if ((m.wParam & 0xFFF0u) == IDM_ABOUTBOX) {
        CAboutDlg about(Context());
        about.DoModal(GetSafeHwnd());
        return Reply::Done(0);
    }
    return Reply::PassOn();
}

Reply CLaserToolDlg::OnPaint(const Message&) {
    if (!IsIconic(GetSafeHwnd())) {
        return Reply::PassOn();
    }
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(GetSafeHwnd(), &paint);
    SendMessageA(GetSafeHwnd(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    GetClientRect(GetSafeHwnd(), &client);
    const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc, x, y, m_hIcon);
    EndPaint(GetSafeHwnd(), &paint);
    return Reply::Done(0);
}

Reply CLaserToolDlg::OnQueryDragIcon(const Message&) {
    return Reply::Done(reinterpret_cast<std::intptr_t>(m_hIcon));
}

Reply CLaserToolDlg::OnPrintForms(const Message&) {
    UpdateData(true);
    WindowJobHost host(m_cbPrinter, *this);
    PrintForms(FormTestContext{m_services.spooler, m_services.profile, host}, m_strForms);
    return Reply::Done(0);
}

Reply CLaserToolDlg::OnBrowse(const Message&) {
    CFileOpenDialog dialog(OFN_HIDEREADONLY | OFN_FILEMUSTEXIST, kAllFilesFilter);
    if (dialog.DoModal(GetSafeHwnd()) == IDOK) {
        // Only the path changes: text typed into the forms field stays as it is.
        m_strPath = dialog.GetPathName();
        SetDlgItemText(IDC_MAIN_PATH, m_strPath);
    }
    return Reply::Done(0);
}

Reply CLaserToolDlg::OnUpgrade(const Message&) {
    UpdateData(true);
    WindowJobHost host(m_cbPrinter, *this);
    WindowMessageBoxes boxes(*this);
    FlashUpgrade(FlashUpgradeContext{m_services.files, m_services.spooler, boxes, host, m_strPath});
    return Reply::Done(0);
}

Reply CLaserToolDlg::OnPathFocus(const Message&) {
    SendMessageA(GetSafeHwnd(), DM_SETDEFID, IDC_MAIN_PATH, 0);
    return Reply::Done(0);
}

Reply CLaserToolDlg::OnFormsFocus(const Message&) {
    SendMessageA(GetSafeHwnd(), DM_SETDEFID, IDC_MAIN_FORMS, 0);
    return Reply::Done(0);
}

Reply CLaserToolDlg::OnPrintSetup(const Message&) {
    MainWindowPrintSetup host(Context(), *this);
    RunPrintSetup(m_services.profile, host);
    return Reply::Done(0);
}

Reply CLaserToolDlg::OnDebugMode(const Message&) {
    // A plain check box: this is the only thing that changes its state.
    const HWND box = GetDlgItem(IDC_MAIN_DEBUG_MODE);
    const LRESULT state = SendMessageA(box, BM_GETCHECK, 0, 0);
    SendMessageA(box, BM_SETCHECK, state == BST_UNCHECKED ? BST_CHECKED : BST_UNCHECKED, 0);
    return Reply::Done(0);
}

Reply CLaserToolDlg::OnDropFiles(const Message& m) {
    const HDROP drop = reinterpret_cast<HDROP>(m.wParam);
    DropRelease release(drop);
    if (DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0) >= 1) {
        // The reported length is only a first guess: it may count characters where a
        // double-byte code page needs bytes.
        m_strPath = FetchWholeText([drop] { return DragQueryFileA(drop, 0, nullptr, 0); },
                                   [drop](char* buffer, std::size_t size) {
                                       DragQueryFileA(drop, 0, buffer, static_cast<UINT>(size));
                                   });
        SetDlgItemText(IDC_MAIN_PATH, m_strPath);
    }
    return Default(m);
}

// The window moved to a monitor of another DPI: the notice font follows, and the default
// handling then resizes the window.
Reply CLaserToolDlg::OnDpiChanged(const Message& m) {
    if (const UINT dpi = HIWORD(m.wParam); dpi != 0) {
        ApplyNoticeFont(dpi);
    }
    return Reply::PassOn();
}

}  // namespace tessaline
