// Picture storage entry points: create, free, fetch, copy and cut.
#include <type_traits>

#include "dibcore_api.h"
#include "dll_support.h"
#include "handles.h"
#include "storage.h"

using namespace dibcore;

DIBCORE_API int32_t DIBCORE_CALL DeleteDIB(DibHandle handle) { return Handles_Delete(handle) ? 1 : 0; }

DIBCORE_API DibData *DIBCORE_CALL DataDIB(DibHandle handle) {
    Picture *p = Handles_Get(handle);
    return p ? &p->data : nullptr;
}

DIBCORE_API DibHandle DIBCORE_CALL CreateDIB(const void *header, const void *bits) {
    return Handles_Add(PictureFromPacked(header, bits));
}

DIBCORE_API DibHandle DIBCORE_CALL CopyDIB(DibHandle handle) {
    Picture *p = Handles_Get(handle);
    return p ? Handles_Add(ClonePicture(*p)) : 0;
}

DIBCORE_API DibHandle DIBCORE_CALL CutDIB(DibHandle handle, int32_t x, int32_t y, int32_t width, int32_t height) {
    Picture *p = Handles_Get(handle);
    return p ? Handles_Add(CutPicture(*p, x, y, width, height)) : 0;
}

static_assert(std::is_same<decltype(&DeleteDIB), DeleteDIB_t>::value, "DeleteDIB signature");
static_assert(std::is_same<decltype(&DataDIB), DataDIB_t>::value, "DataDIB signature");
static_assert(std::is_same<decltype(&CreateDIB), CreateDIB_t>::value, "CreateDIB signature");
static_assert(std::is_same<decltype(&CopyDIB), CopyDIB_t>::value, "CopyDIB signature");
static_assert(std::is_same<decltype(&CutDIB), CutDIB_t>::value, "CutDIB signature");
