// BMP decoding and raw RLE streams. The first byte of an input that is not a
// BMP file chooses the RLE depth and picture size, the rest is the stream.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "bmp_codec.h"
#include "rle.h"
#include "storage.h"
#include "transform.h"

using namespace dibcore;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    Picture *p = nullptr;
    if (BmpDecode(data, size, &p) == 0) {
        PictureOwner owner(p);
        // Whatever a file decodes to must survive being written back and the
        // operations that read every pixel; a few bytes can claim hundreds of
        // megabytes of pixels, so only pictures small enough to keep each run
        // quick and within the memory limit go on.
        if (p->blockSize <= (size_t{64} << 20)) {
            ByteBuffer out;
            BmpEncode(*p, &out);
        }
        const int64_t h = p->data.header->biHeight;
        if (int64_t{p->data.header->biWidth} * (h < 0 ? -h : h) <= 65536) {
            PictureOwner flat(DibTo24(*p));
            PictureOwner turned(TurnPicture(*p, 90));
            PictureOwner cut(CutPicture(*p, 1, 1, -3, -3));
        }
        return 0;
    }
    if (size < 1) return 0;
    const int bpp = (data[0] & 1) ? 4 : 8;
    const int32_t width = 1 + ((data[0] >> 1) & 31);
    const int32_t height = 1 + (data[0] >> 6);
    const uint64_t stride = RowStride(width, bpp);
    std::vector<uint8_t> bits(stride * height);
    size_t used = 0;
    RleDecode(data + 1, size - 1, bpp, width, height, stride, bits.data(), &used);
    return 0;
}
