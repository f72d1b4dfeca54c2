// Fuzz target of the JPEG decoder: any bytes give a picture or a clean
// failure. Frames claiming more than a few megapixels are only parsed, so
// the fuzzer spends its time in the scan decoders rather than in memset.
#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include "jpeg_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    using namespace dibcore;
    JpegHeaderInfo info{};
    if (Jpeg_ReadHeader(data, size, &info) == kJpegOk &&
        static_cast<uint64_t>(info.width) * static_cast<uint64_t>(info.height) > (uint64_t{1} << 22))
        return 0;
    for (bool topDown : {false, true}) {
        Picture *picture = nullptr;
        if (Jpeg_Decode(data, size, topDown, &picture) == kJpegOk) {
            // Read every pixel so a short or misplaced buffer shows.
            unsigned sum = 0;
            for (uint32_t i = 0; i < picture->data.bitsSize; ++i) sum += picture->data.bits[i];
            volatile unsigned sink = sum;
            (void)sink;
            FreePicture(picture);
        }
        if (size % 3) break;  // both row orders on a third of the inputs
    }
    return 0;
}
