// A dialog whose every reaction is visible in its own controls, so the driver can be checked
// from outside without the real program.
#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "testee_ids.h"

namespace {

const char kQuestionText[] = "Proceed with the test?\nNothing can be undone.  Really?";
const char kQuestionCaption[] = "Testee Question";
const char* const kChoices[] = {"Charlie Delta", "Alpha", "echo & foxtrot", "Bravo"};

std::string g_caption = "Driver Testee";

const char* AnswerName(int answer) {
    switch (answer) {
        case IDOK:
            return "ok";
        case IDCANCEL:
            return "cancel";
        case IDYES:
            return "yes";
        case IDNO:
            return "no";
        case IDABORT:
            return "abort";
        case IDRETRY:
            return "retry";
        case IDIGNORE:
            return "ignore";
        default:
            return "other";
    }
}

void SetEvent(HWND dlg, const std::string& text) {
    SetDlgItemTextA(dlg, IDC_TESTEE_EVENT, text.c_str());
}

// The type box takes the message box style as a number (0x34 and 52 alike); empty means 0x34.
UINT TypeFromField(HWND dlg) {
    char text[64] = {};
    GetDlgItemTextA(dlg, IDC_TESTEE_TYPE, text, sizeof text);
    if (text[0] == '\0') {
        return MB_YESNO | MB_ICONEXCLAMATION;
    }
    return static_cast<UINT>(std::strtoul(text, nullptr, 0));
}

void OnAsk(HWND dlg) {
    SetDlgItemTextA(dlg, IDC_TESTEE_ANSWER, "asking");
    int answer = MessageBoxA(dlg, kQuestionText, kQuestionCaption, TypeFromField(dlg));
    SetDlgItemTextA(dlg, IDC_TESTEE_ANSWER, (std::string("answer: ") + AnswerName(answer)).c_str());
}

void OnBrowse(HWND dlg) {
    char path[MAX_PATH] = {};
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = dlg;
    ofn.lpstrFilter = "All files (*.*)\0*.*\0";
    ofn.lpstrFile = path;
    ofn.nMaxFile = sizeof path;
    ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_ENABLESIZING;
    if (GetOpenFileNameA(&ofn)) {
        SetDlgItemTextA(dlg, IDC_TESTEE_PATH, path);
        SetEvent(dlg, "browsed");
    } else {
        SetEvent(dlg, "browse cancelled");
    }
}

void OnFlag(HWND dlg) {
    HWND flag = GetDlgItem(dlg, IDC_TESTEE_FLAG);
    LRESULT state = SendMessageA(flag, BM_GETCHECK, 0, 0);
    SendMessageA(flag, BM_SETCHECK, state == BST_UNCHECKED ? BST_CHECKED : BST_UNCHECKED, 0);
}

void OnDrop(HWND dlg, HDROP drop) {
    UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    if (count > 0) {
        char path[MAX_PATH + 1] = {};
        DragQueryFileA(drop, 0, path, sizeof path);
        SetDlgItemTextA(dlg, IDC_TESTEE_PATH, path);
    }
    SetDlgItemTextA(dlg, IDC_TESTEE_DROPS, ("dropped " + std::to_string(count)).c_str());
    DragFinish(drop);
}

void OnInit(HWND dlg) {
    SetWindowTextA(dlg, g_caption.c_str());
    HWND choice = GetDlgItem(dlg, IDC_TESTEE_CHOICE);
    for (const char* entry : kChoices) {
        SendMessageA(choice, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
    }
    SendMessageA(choice, CB_SETCURSEL, 0, 0);
    SetDlgItemTextA(dlg, IDC_TESTEE_PATH, "(drop here)");
    HMENU menu = GetSystemMenu(dlg, FALSE);
    if (menu != nullptr) {
        AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuA(menu, MF_STRING, IDM_TESTEE_ABOUT, "&About Driver Testee...");
    }
}

INT_PTR OnCommand(HWND dlg, WORD id, WORD code) {
    if (code == EN_SETFOCUS && (id == IDC_TESTEE_PATH || id == IDC_TESTEE_TYPE)) {
        // Mirrors the main window: a focused field takes over Enter.
        SendMessageA(dlg, DM_SETDEFID, id, 0);
        SetEvent(dlg, "focus " + std::to_string(id));
        return TRUE;
    }
    if (code == CBN_SELCHANGE && id == IDC_TESTEE_CHOICE) {
        LRESULT index = SendDlgItemMessageA(dlg, id, CB_GETCURSEL, 0, 0);
        SetEvent(dlg, "selchange " + std::to_string(index));
        return TRUE;
    }
    if (code != BN_CLICKED) {
        return FALSE;
    }
    switch (id) {
        case IDC_TESTEE_ASK:
            OnAsk(dlg);
            return TRUE;
        case IDC_TESTEE_BROWSE:
            OnBrowse(dlg);
            return TRUE;
        case IDC_TESTEE_FLAG:
            OnFlag(dlg);
            return TRUE;
        case IDCANCEL:
            EndDialog(dlg, IDCANCEL);
            return TRUE;
        default:
            SetEvent(dlg, "command " + std::to_string(id));
            return TRUE;
    }
}

INT_PTR CALLBACK DialogProc(HWND dlg, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
        case WM_INITDIALOG:
            OnInit(dlg);
            return TRUE;
        case WM_COMMAND:
            return OnCommand(dlg, LOWORD(wp), HIWORD(wp));
        case WM_SYSCOMMAND:
            if ((wp & 0xFFF0) == IDM_TESTEE_ABOUT) {
                SetEvent(dlg, "about");
                return TRUE;
            }
            return FALSE;
        case WM_DROPFILES:
            OnDrop(dlg, reinterpret_cast<HDROP>(wp));
            return TRUE;
        case WM_CLOSE:
            EndDialog(dlg, IDCANCEL);
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace

// The only argument, if any, is the caption, so that parallel tests never share one.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    if (__argc > 1) {
        g_caption = __argv[1];
    }
    INT_PTR result =
        DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_TESTEE), nullptr, DialogProc, 0);
    return result == IDCANCEL ? 0 : 1;
}
