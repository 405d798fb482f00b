#pragma once

// Identifiers of the program's resources, shared by app.rc and the code that loads them.

// String table.
#define IDS_APP_TITLE 103       // window title and message-box caption; a second instance finds the window by it
#define IDS_TITLE_FONT_FACE 104
#define IDS_BODY_FONT_FACE 105
#define IDS_NOT_ADMIN 106       // shown when the user is not an administrator
#define IDS_HELP 108            // the switches, the exit codes and where the files go: "/?"

// The program's icon: the wizard's title bar and the executable in Explorer.
#define IDI_APP 107

// The licence agreement, an RTF document of resource type "RTF".
#define IDR_LICENSE 101

// The wizard's pages.
#define IDD_LICENSE 130
#define IDD_CLEAN 131
#define IDD_THANKYOU 132
#define IDD_FINISH 133

// Background pictures: the licence page's header strip and the other pages' full-page picture.
#define IDB_HEADER 134
#define IDB_PAGE 135

// Where the pages place their pictures' controls, in dialog units: x, y, width, height. The code
// scales each picture to fill its place at any display scaling.
#define HEADER_PICTURE_RECT 0, 1, 345, 36
#define PAGE_PICTURE_RECT 0, 0, 345, 219

// Controls of the pages.
#define IDC_LICENSE_TEXT 1004
#define IDC_ACCEPT 1005
#define IDC_PAGE_TEXT 1006      // the main text of every page
#define IDC_DECLINE 1007
#define IDC_LICENSE_NOTE 1008
#define IDC_PROGRESS 1009

// The progress indicator's animation timer.
#define IDT_PROGRESS 2010
