#pragma once

// Control ids of the driver's test dialog; several match the main window's so scripts read alike.
#define IDD_TESTEE 200
#define IDC_TESTEE_PATH 1000
#define IDC_TESTEE_BROWSE 1001
#define IDC_TESTEE_ASK 1002
#define IDC_TESTEE_TYPE 1003
#define IDC_TESTEE_CHOICE 1005
#define IDC_TESTEE_FLAG 1008
#define IDC_TESTEE_ANSWER 1011
#define IDC_TESTEE_EVENT 1012
#define IDC_TESTEE_DROPS 1013
#define IDM_TESTEE_ABOUT 0x10
