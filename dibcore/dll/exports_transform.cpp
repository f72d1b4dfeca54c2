// In-place transforms: the new picture replaces the old one behind the same
// handle; on failure the old one stays.
#include <type_traits>

#include "dibcore_api.h"
#include "dll_support.h"
#include "handles.h"
#include "rle.h"
#include "transform.h"

using namespace dibcore;

namespace {

bool IsRle(const Picture &p) {
    const uint32_t c = p.data.header->biCompression;
    return c == kDibRle4 || c == kDibRle8;
}

int32_t Replace(DibHandle handle, Picture *made) { return made && Handles_Replace(handle, made) ? 1 : 0; }

}  // namespace

DIBCORE_API int32_t DIBCORE_CALL TurnDIB(DibHandle handle, int32_t angle) {
    Picture *p = Handles_Get(handle);
    if (p == nullptr || angle % 90 != 0) return 0;
    if (angle % 360 == 0) return 1;
    return Replace(handle, TurnPicture(*p, angle));
}

DIBCORE_API int32_t DIBCORE_CALL DIBto24Bit(DibHandle handle) {
    Picture *p = Handles_Get(handle);
    if (p == nullptr) return 0;
    if (p->data.header->biBitCount == 24) return 1;
    return Replace(handle, DibTo24(*p));
}

DIBCORE_API int32_t DIBCORE_CALL DIBto16BitEx(DibHandle handle, const uint32_t *masks, int32_t mode) {
    Picture *p = Handles_Get(handle);
    return p ? Replace(handle, DibTo16(*p, masks, mode)) : 0;
}

DIBCORE_API int32_t DIBCORE_CALL DIBto8Bit(DibHandle handle, int32_t reserved, int32_t mode) {
    Picture *p = Handles_Get(handle);
    if (p == nullptr) return 0;
    if (p->data.header->biBitCount == 8 && !IsRle(*p)) return 1;
    return Replace(handle, DibTo8(*p, mode));
}

DIBCORE_API int32_t DIBCORE_CALL TurnDIBex(DibHandle handle, int32_t angle, uint32_t background) {
    Picture *p = Handles_Get(handle);
    if (p == nullptr) return 0;
    if (angle % 360000 == 0) return 1;
    return Replace(handle, TurnPictureAny(*p, angle, background));
}

DIBCORE_API int32_t DIBCORE_CALL DIBtoRLE(DibHandle handle) {
    Picture *p = Handles_Get(handle);
    if (p == nullptr) return 0;
    if (IsRle(*p)) return 1;
    return Replace(handle, RleCompress(*p));
}

DIBCORE_API int32_t DIBCORE_CALL RLEtoDIB(DibHandle handle) {
    Picture *p = Handles_Get(handle);
    if (p == nullptr) return 0;
    if (!IsRle(*p)) return 1;
    return Replace(handle, RleExpand(*p));
}

static_assert(std::is_same<decltype(&TurnDIB), TurnDIB_t>::value, "TurnDIB signature");
static_assert(std::is_same<decltype(&DIBto24Bit), DIBto24Bit_t>::value, "DIBto24Bit signature");
static_assert(std::is_same<decltype(&DIBto16BitEx), DIBto16BitEx_t>::value, "DIBto16BitEx signature");
static_assert(std::is_same<decltype(&DIBto8Bit), DIBto8Bit_t>::value, "DIBto8Bit signature");
static_assert(std::is_same<decltype(&TurnDIBex), TurnDIBex_t>::value, "TurnDIBex signature");
static_assert(std::is_same<decltype(&DIBtoRLE), DIBtoRLE_t>::value, "DIBtoRLE signature");
static_assert(std::is_same<decltype(&RLEtoDIB), RLEtoDIB_t>::value, "RLEtoDIB signature");
