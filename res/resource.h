#pragma once

// Identifiers of the program's resources, shared by app.rc and the code that loads them.

// String table.
#define IDS_APP_TITLE 103       // window title and message-box caption; a second instance finds the window by it
#define IDS_TITLE_FONT_FACE 104
#define IDS_BODY_FONT_FACE 105
#define IDS_NOT_ADMIN 106       // shown when the user is not an administrator

// The program's icon: the wizard's title bar and the executable in Explorer.
#define IDI_APP 107
