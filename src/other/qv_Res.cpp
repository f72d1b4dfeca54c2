#include "other/qv_Res.h"

#include "other/qv_Globals.h"

int Res_LoadText(TCHAR *out, UINT id, int capacity) {
    if (out == nullptr || capacity <= 0) return 0;
    out[0] = 0;
    HINSTANCE module = g_process.instance ? g_process.instance : GetModuleHandle(nullptr);
    const int n = LoadString(module, id, out, capacity);
    if (n <= 0) {
        out[0] = 0;
        return 0;
    }
    return n;
}
