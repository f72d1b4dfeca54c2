// GIF entry points: the file and memory forms over the portable codec, and
// the hand-over of decoded pictures to the handle table.
#include <cstring>

#include "dibcore_api.h"
#include "dll_support.h"
#include "gif_codec.h"
#include "gif_entry.h"
#include "handles.h"

namespace {

void ZeroRecords(GifFrameRecord *frames, int32_t count) {
    if (frames != nullptr && count > 0) std::memset(frames, 0, sizeof(GifFrameRecord) * static_cast<size_t>(count));
}

}  // namespace

DIBCORE_API DibHandle DIBCORE_CALL GIFtoDIBex(DibPath path, GifStillInfo *info) {
    dibcore::ByteBuffer file;
    if (!Dll_ReadFile(path, &file)) {
        if (info != nullptr) std::memset(info, 0, sizeof *info);
        return 0;
    }
    return dibcore::GifEntry_Still(file.data(), file.size(), info);
}

DIBCORE_API DibHandle DIBCORE_CALL GIFMtoDIBex(const void *memory, uint32_t size, GifStillInfo *info) {
    return dibcore::GifEntry_Still(memory, size, info);
}

DIBCORE_API int32_t DIBCORE_CALL InfoGIF(DibPath path, GifInfo *info) {
    dibcore::ByteBuffer file;
    if (!Dll_ReadFile(path, &file)) {
        if (info != nullptr) std::memset(info, 0, sizeof *info);
        return 0;
    }
    return dibcore::GifEntry_Info(file.data(), file.size(), info);
}

DIBCORE_API int32_t DIBCORE_CALL InfoGIFM(const void *memory, uint32_t size, GifInfo *info) {
    return dibcore::GifEntry_Info(memory, size, info);
}

DIBCORE_API int32_t DIBCORE_CALL GIFAniToDIB(DibPath path, GifFrameRecord *frames, int32_t count, intptr_t reserved) {
    dibcore::ByteBuffer file;
    if (!Dll_ReadFile(path, &file)) {
        ZeroRecords(frames, count);
        return 0;
    }
    // The program passes 0; a caller that passes a record gets the screen too.
    return dibcore::GifEntry_Frames(file.data(), file.size(), frames, count, reinterpret_cast<GifInfo *>(reserved));
}

DIBCORE_API int32_t DIBCORE_CALL GIFMAniToDIB(const void *memory, uint32_t size, GifFrameRecord *frames, int32_t count,
                                              intptr_t reserved) {
    return dibcore::GifEntry_Frames(memory, size, frames, count, reinterpret_cast<GifInfo *>(reserved));
}

DIBCORE_API int32_t DIBCORE_CALL DIBtoGIFex(DibPath path, DibHandle handle, const GifSaveOptions *options) {
    const dibcore::Picture *picture = dibcore::Handles_Get(handle);
    if (picture == nullptr || path == nullptr) return 0;
    GifSaveOptions none{};
    dibcore::ByteBuffer bytes;
    if (dibcore::Gif_Encode(*picture, options != nullptr ? *options : none, &bytes) != dibcore::GifStatus::kOk)
        return 0;
    return Dll_WriteFile(path, bytes) ? 1 : 0;
}
