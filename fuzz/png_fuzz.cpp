// Feeds arbitrary bytes to the PNG decoder and the information call, and
// writes back whatever decodes (small pictures only, to keep runs quick),
// as one stream and in blocks on two threads: both must read back the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

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
            PictureOwner ownBack(back);

            PngEncodeTuning blocks;
            blocks.threads = 2;
            blocks.blockBytes = 1 + size % 2048;
            ByteBuffer split;
            if (Png_EncodeTuned(*picture, &options, blocks, &split) != kPngOk) std::abort();
            Picture *backSplit = nullptr;
            if (Png_Decode(split.data(), split.size(), &backSplit, nullptr) != kPngOk) std::abort();
            PictureOwner ownSplit(backSplit);
            if (backSplit->data.bitsSize != back->data.bitsSize ||
                std::memcmp(backSplit->data.bits, back->data.bits, back->data.bitsSize) != 0)
                std::abort();
        }
    }
    return 0;
}
