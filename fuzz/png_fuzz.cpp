// Feeds arbitrary bytes to the PNG decoder and the information call, and
// writes back whatever decodes (small pictures only, to keep runs quick).
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "png_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    using namespace dibcore;
    PngInfo info;
    PngAlphaTable table{};
    Png_Info(data, size, &info, &table);
    if (table.count < 0 || table.count > 256) std::abort();

    Picture *picture = nullptr, *alpha = nullptr;
    if (Png_Decode(data, size, &picture, &alpha) == kPngOk) {
        PictureOwner own(picture), ownAlpha(alpha);
        if (picture == nullptr) std::abort();
        if (picture->data.bitsSize <= (1u << 20)) {
            PngSaveOptions options{};
            options.flags = kPngSaveBase | kPngSaveTransparent | (size & 1 ? kPngSaveInterlace : 0);
            options.level = 1;
            options.filters = kPngFilterAll;
            options.indexFlag = kPngSaveIndex;
            options.transparent = info.transparent;
            ByteBuffer out;
            if (Png_Encode(*picture, &options, &out) != kPngOk) std::abort();
            Picture *back = nullptr;
            if (Png_Decode(out.data(), out.size(), &back, nullptr) != kPngOk) std::abort();
            FreePicture(back);
        }
    }
    return 0;
}
