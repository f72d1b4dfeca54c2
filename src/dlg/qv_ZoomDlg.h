// The zoom dialog: the view's zoom as a percentage with up to five
// decimals, applied to the view as it is typed or stepped with the arrows.
// OK and Cancel both keep the zoom shown; the dialog reopens where it was
// left.
#pragma once

#include <windows.h>

constexpr UINT kCmdZoomDialog = 40084;

// 1 when the dialog ran, 0 when it was refused (another dialog open, no
// picture that can be shown) or could not be made (reported).
int ZoomDlg_Show(HWND owner);
