// Resource and control ids, shared by the resource script and the code.
#pragma once

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_TESSALINE_DIALOG 102
#define IDR_MAINFRAME 128
#define IDB_KORVANE_BANNER 129
#define IDD_PRINT_SETUP 130

#define IDM_ABOUTBOX 0x0010

// Main window.
#define IDC_MAIN_PATH 1000
#define IDC_MAIN_BROWSE 1001
#define IDC_MAIN_UPGRADE 1002
#define IDC_MAIN_FORMS 1003
#define IDC_MAIN_PRINT 1004
#define IDC_MAIN_PRINTER 1005
#define IDC_MAIN_PRINT_SETUP 1006
#define IDC_MAIN_DEBUG_MODE 1008
#define IDC_MAIN_NOTICE_LINE1 1009
#define IDC_MAIN_NOTICE_LINE2 1010

// Print Setup dialog.
#define IDC_SETUP_ORIENTATION 1006
#define IDC_SETUP_PAGE_SIZE 1007

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
