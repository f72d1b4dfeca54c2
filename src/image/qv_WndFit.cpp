// Placeholder: the window placement follows.
#include "image/qv_WndFit.h"

void WndFit_FitToImage(int, int) {}
int WndFit_IsMaxOrMin() { return 0; }
int WndFit_SetWindowRect(const RECT *, const RECT *, const RECT *) { return 0; }
