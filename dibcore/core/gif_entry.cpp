#include "gif_entry.h"

#include <cstring>
#include <memory>
#include <new>

#include "gif_codec.h"
#include "handles.h"

namespace dibcore {

DibHandle GifEntry_Still(const void *memory, size_t size, GifStillInfo *info) {
    Picture *picture = nullptr;
    if (memory == nullptr ||
        Gif_DecodeStill(static_cast<const uint8_t *>(memory), size, &picture, info) != GifStatus::kOk) {
        if (info != nullptr) std::memset(info, 0, sizeof *info);
        return 0;
    }
    const DibHandle handle = Handles_Add(picture);
    if (handle == 0 && info != nullptr) std::memset(info, 0, sizeof *info);
    return handle;
}

int32_t GifEntry_Info(const void *memory, size_t size, GifInfo *info) {
    GifInfo filled;
    if (memory == nullptr || Gif_ReadInfo(static_cast<const uint8_t *>(memory), size, &filled) != GifStatus::kOk) {
        if (info != nullptr) std::memset(info, 0, sizeof *info);
        return 0;
    }
    if (info != nullptr) *info = filled;
    return filled.frameCount;
}

int32_t GifEntry_Frames(const void *memory, size_t size, GifFrameRecord *records, int32_t count, GifInfo *info) {
    if (records == nullptr || count <= 0) return 0;
    const size_t recordBytes = sizeof(GifFrameRecord) * static_cast<size_t>(count);
    std::memset(records, 0, recordBytes);
    if (memory == nullptr) return 0;
    // Room for the frames the file holds, not for whatever count a caller passes.
    GifInfo whole;
    if (Gif_ReadInfo(static_cast<const uint8_t *>(memory), size, &whole) != GifStatus::kOk) return 0;
    const int32_t room = count < whole.frameCount ? count : whole.frameCount;
    std::unique_ptr<GifFrame[]> frames(new (std::nothrow) GifFrame[static_cast<size_t>(room)]);
    if (!frames) return 0;
    int decoded = 0;
    if (Gif_DecodeFrames(static_cast<const uint8_t *>(memory), size, frames.get(), room, &decoded, &whole) !=
        GifStatus::kOk)
        return 0;

    int given = 0;  // frames whose picture the handle table has taken
    bool ok = true;
    for (; given < decoded && ok; ++given) {
        const GifFrame &f = frames[given];
        GifFrameRecord &r = records[given];
        if (f.picture != nullptr) {
            r.picture = Handles_Add(f.picture);  // takes the picture even when it fails
            ok = r.picture != 0;
        }
        r.left = f.left;
        r.top = f.top;
        r.delay = f.delay;
        r.transparentIndex = f.transparentIndex;
        r.disposal = f.disposal;
    }
    if (!ok) {
        for (int i = 0; i < given; ++i)
            if (records[i].picture != 0) Handles_Delete(records[i].picture);
        for (int i = given; i < decoded; ++i) FreePicture(frames[i].picture);
        std::memset(records, 0, recordBytes);
        return 0;
    }
    if (info != nullptr) *info = whole;
    return decoded;
}

}  // namespace dibcore
