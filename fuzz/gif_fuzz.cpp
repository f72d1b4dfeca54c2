// Every GIF entry path over arbitrary bytes: the still, the record fill, all
// frames through the handle table, and the writer on what was decoded.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "gif_codec.h"
#include "gif_entry.h"
#include "gif_format.h"
#include "handles.h"

namespace {

// Pixels the frames and screen claim. A few KB of LZW data can honestly fill
// a gigapixel; such inputs only have their blocks walked here, so each run
// stays short.
uint64_t ClaimedPixels(const uint8_t *data, size_t size) {
    dibcore::GifParser parser;
    if (!parser.Open(data, size)) return 0;
    uint64_t total = 0, right = 0, bottom = 0;
    dibcore::GifFrameDesc f;
    while (parser.NextFrame(&f)) {
        total += uint64_t{f.width} * f.height;
        right = std::max<uint64_t>(right, uint64_t{f.left} + f.width);
        bottom = std::max<uint64_t>(bottom, uint64_t{f.top} + f.height);
    }
    const uint64_t w = parser.screen().width ? parser.screen().width : right;
    const uint64_t h = parser.screen().height ? parser.screen().height : bottom;
    return total + w * h;
}

constexpr uint64_t kMaxFuzzPixels = uint64_t{1} << 18;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    using namespace dibcore;
    if (ClaimedPixels(data, size) > kMaxFuzzPixels) {
        GifInfo info;
        GifEntry_Info(data, size, &info);
        return 0;
    }
    GifStillInfo still{};
    still.flags = kGifStillPreset;
    const DibHandle h = GifEntry_Still(data, size, &still);
    if (h != 0) {
        // Whatever the reader produced, the writer must take and read back.
        ByteBuffer out;
        GifSaveOptions options{};
        options.flags = size & 1 ? kGifSaveInterlace : kGifSaveUncompressed;
        options.flags |= kGifSaveTransparent;
        options.transparentIndex = still.transparentIndex;
        if (Gif_Encode(*Handles_Get(h), options, &out) == GifStatus::kOk) {
            Picture *back = nullptr;
            if (Gif_DecodeStill(out.data(), out.size(), &back, nullptr) != GifStatus::kOk) __builtin_trap();
            FreePicture(back);
        }
        Handles_Delete(h);
    }
    GifInfo info{};
    const int32_t count = GifEntry_Info(data, size, &info);
    if (count > 0) {
        std::vector<GifFrameRecord> records(static_cast<size_t>(count));
        const int32_t n = GifEntry_Frames(data, size, records.data(), count, nullptr);
        if (n != 0 && n != count) __builtin_trap();
        for (const GifFrameRecord &r : records)
            if (r.picture != 0) Handles_Delete(r.picture);
    }
    if (Handles_LiveCount() != 0) __builtin_trap();
    return 0;
}
