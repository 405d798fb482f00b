#pragma once

#include <windows.h>

namespace halvorn {

// The wizard's private messages.
// wParam 0 forbids closing the sheet through its frame, 1 allows it again. Sent to the sheet.
inline constexpr UINT WM_ENABLE_CLOSE = WM_APP + 2;
// The repair run has returned: wParam the keys found invalid, lParam the keys deleted. Posted by
// the worker to the clean page, then sent by the page to the sheet.
inline constexpr UINT WM_REPAIR_DONE = WM_APP + 3;
// A page that has become active gives the keyboard focus to its control. Posted by the page to
// itself, so it arrives after the sheet has set a focus of its own.
inline constexpr UINT WM_FOCUS_PAGE = WM_APP + 4;

}  // namespace halvorn
