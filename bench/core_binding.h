// The program's calls into the image library, bound straight to the core's
// handle table and doing what the DLL's entry points do, so a benchmark
// measures the program's own calls without a DLL.
#pragma once

#include "handles.h"
#include "image/qv_DibApi.h"
#include "picture.h"
#include "rle.h"
#include "storage.h"
#include "transform.h"

namespace benchcore {

using namespace dibcore;

inline int32_t Replace(DibHandle h, Picture *made) { return made && Handles_Replace(h, made) ? 1 : 0; }
inline int32_t DIBCORE_CALL CoreDelete(DibHandle h) { return Handles_Delete(h) ? 1 : 0; }
inline DibData *DIBCORE_CALL CoreData(DibHandle h) {
    Picture *p = Handles_Get(h);
    return p ? &p->data : nullptr;
}
inline DibHandle DIBCORE_CALL CoreCreate(const void *header, const void *bits) {
    return Handles_Add(PictureFromPacked(header, bits));
}
inline DibHandle DIBCORE_CALL CoreCopy(DibHandle h) {
    Picture *p = Handles_Get(h);
    return p ? Handles_Add(ClonePicture(*p)) : 0;
}
inline DibHandle DIBCORE_CALL CoreCut(DibHandle h, int32_t x, int32_t y, int32_t w, int32_t hh) {
    Picture *p = Handles_Get(h);
    return p ? Handles_Add(CutPicture(*p, x, y, w, hh)) : 0;
}
inline int32_t DIBCORE_CALL CoreTurn(DibHandle h, int32_t angle) {
    Picture *p = Handles_Get(h);
    if (p == nullptr || angle % 90 != 0) return 0;
    return angle % 360 == 0 ? 1 : Replace(h, TurnPicture(*p, angle));
}
inline int32_t DIBCORE_CALL CoreTo24(DibHandle h) {
    Picture *p = Handles_Get(h);
    if (p == nullptr) return 0;
    return p->data.header->biBitCount == 24 ? 1 : Replace(h, DibTo24(*p));
}
inline int32_t DIBCORE_CALL CoreRleToDib(DibHandle h) {
    Picture *p = Handles_Get(h);
    if (p == nullptr) return 0;
    const uint32_t c = p->data.header->biCompression;
    return c != kDibRle4 && c != kDibRle8 ? 1 : Replace(h, RleExpand(*p));
}

inline void BindCore() {
    g_dibcore = DibcoreApi{};
    g_dibcore.DeleteDIB = CoreDelete;
    g_dibcore.DataDIB = CoreData;
    g_dibcore.CreateDIB = CoreCreate;
    g_dibcore.CopyDIB = CoreCopy;
    g_dibcore.CutDIB = CoreCut;
    g_dibcore.TurnDIB = CoreTurn;
    g_dibcore.DIBto24Bit = CoreTo24;
    g_dibcore.RLEtoDIB = CoreRleToDib;
}

}  // namespace benchcore
