// Placeholder: the record and its defaults; loading and zooming follow.
#include "image/qv_ImgData.h"

ImgData g_imgData;

void ImgData_Construct() {}
void ImgData_Reset() {}
void ImgData_Shutdown() {}
void ImgData_FreeImage(int) {}
bool ImgData_IsEmpty() { return true; }
bool ImgData_HasImage() { return false; }
bool ImgData_HasAnything() { return false; }
int ImgData_Load(int32_t, int32_t) { return 0; }
int ImgData_SetListIndex(int32_t, int) { return 0; }
int ImgData_SetNewImage(DibHolder &, const TCHAR *) { return 0; }
int ImgData_ApplyZoomMode(uint32_t, int32_t) { return 0; }
int ImgData_ComputeZoom(uint32_t, int32_t) { return 0; }
void ImgData_RefreshAfterEdit() {}
void ImgData_GetViewSize(int32_t *width, int32_t *height) {
    *width = g_imgData.viewWidth;
    *height = g_imgData.viewHeight;
}
int ImgData_GetListItem(const TCHAR **, int32_t *, int32_t *) { return 0; }
void ImgData_FitWindow(int) {}
void ImgData_UpdateTitleStatus() {}
