// dibtool: the image library's codecs and the resampler from the command
// line, over the same portable code the DLL exports.
//   dibtool info FILE
//   dibtool convert IN OUT [--quality N] [--progressive] [--interlace]
//                   [--level N] [--filters 0|1|2] [--to24]
//   dibtool resize IN OUT WIDTH HEIGHT CODE
// IN is decoded by its content, OUT written by its extension (.bmp, .png,
// .gif, .jpg/.jpeg). Exit status 0 on success; otherwise one line on stderr.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <strings.h>

#include "bmp_codec.h"
#include "bytes.h"
#include "dib_gif.h"
#include "dib_png.h"
#include "gif_codec.h"
#include "image/resample/qv_ResampleDib.h"
#include "jpeg_codec.h"
#include "picture.h"
#include "png_codec.h"
#include "storage.h"
#include "transform.h"

using namespace dibcore;

namespace {

struct Options {
    int quality = 90;
    bool progressive = false;
    bool interlace = false;
    int level = 6;
    int filters = 2;
    bool to24 = false;
};

int Fail(const char *what, const std::string &detail = "") {
    std::fprintf(stderr, "dibtool: %s%s%s\n", what, detail.empty() ? "" : ": ", detail.c_str());
    return 1;
}

bool ReadFile(const char *path, ByteBuffer *out) {
    FILE *f = std::fopen(path, "rb");
    if (f == nullptr) return false;
    uint8_t chunk[1 << 16];
    size_t n;
    bool ok = true;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0)
        if (!out->Append(chunk, n)) {
            ok = false;
            break;
        }
    ok = ok && !std::ferror(f);
    std::fclose(f);
    return ok;
}

bool WriteFile(const char *path, const ByteBuffer &bytes) {
    // Through a temporary file, so a failed write leaves no half file behind.
    const std::string temp = std::string(path) + ".dibtool-tmp";
    FILE *f = std::fopen(temp.c_str(), "wb");
    if (f == nullptr) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (std::fclose(f) != 0 || !ok || std::rename(temp.c_str(), path) != 0) {
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

// Decoders tried in turn; each says -1 when the data is not its format.
using Decoder = int (*)(const ByteBuffer &in, Picture **out);

int DecodeBmp(const ByteBuffer &in, Picture **out) { return BmpDecode(in.data(), in.size(), out); }
int DecodePng(const ByteBuffer &in, Picture **out) { return Png_Decode(in.data(), in.size(), out, nullptr); }
int DecodeGif(const ByteBuffer &in, Picture **out) {
    switch (Gif_DecodeStill(in.data(), in.size(), out, nullptr)) {
        case GifStatus::kOk: return 0;
        case GifStatus::kNotGif: return -1;
        default: return 1;
    }
}
int DecodeJpeg(const ByteBuffer &in, Picture **out) { return Jpeg_Decode(in.data(), in.size(), false, out); }

const Decoder kDecoders[] = {DecodeBmp, DecodePng, DecodeGif, DecodeJpeg};

int Decode(const char *path, PictureOwner *picture) {
    ByteBuffer in;
    if (!ReadFile(path, &in)) return Fail("cannot read", path);
    for (Decoder d : kDecoders) {
        Picture *p = nullptr;
        const int r = d(in, &p);
        if (r == -1) continue;
        if (r != 0 || p == nullptr) return Fail("cannot decode", path);
        picture->Reset(p);
        return 0;
    }
    return Fail("not a picture this library reads", path);
}

bool EndsWith(const char *s, const char *suffix) {
    const size_t n = std::strlen(s), m = std::strlen(suffix);
    return n >= m && strcasecmp(s + n - m, suffix) == 0;
}

uint32_t FilterSet(int choice) {
    switch (choice) {
        case 0: return kPngFilterNone;
        case 1: return kPngFilterNone | kPngFilterSub | kPngFilterUp;
        default: return kPngFilterAll;
    }
}

int Encode(const Picture &input, const char *path, const Options &o) {
    PictureOwner converted;
    const Picture *picture = &input;
    if (o.to24 && input.data.header->biBitCount != 24) {
        converted.Reset(DibTo24(input));
        if (!converted) return Fail("cannot convert to 24 bits");
        picture = converted.get();
    }
    ByteBuffer out;
    bool ok;
    if (EndsWith(path, ".bmp")) {
        ok = BmpEncode(*picture, &out);
    } else if (EndsWith(path, ".png")) {
        PngSaveOptions png{};
        png.flags = kPngSaveBase | (o.interlace ? kPngSaveInterlace : 0);
        png.level = static_cast<uint16_t>(o.level);
        png.filters = FilterSet(o.filters);
        ok = Png_Encode(*picture, &png, &out) == 0;
    } else if (EndsWith(path, ".gif")) {
        // GIF holds palettes only: deeper pictures get a dithered palette.
        if (picture->data.header->biBitCount > 8) {
            converted.Reset(DibTo8(*picture, kDibModeDither));
            if (!converted) return Fail("cannot reduce to 256 colours");
            picture = converted.get();
        }
        GifSaveOptions gif{};
        gif.flags = o.interlace ? kGifSaveInterlace : 0;
        ok = Gif_Encode(*picture, gif, &out) == GifStatus::kOk;
    } else if (EndsWith(path, ".jpg") || EndsWith(path, ".jpeg")) {
        ok = Jpeg_Encode(*picture, o.quality, o.progressive, &out);
    } else {
        return Fail("unknown output extension", path);
    }
    if (!ok) return Fail("cannot encode", path);
    if (!WriteFile(path, out)) return Fail("cannot write", path);
    return 0;
}

bool ParseInt(const char *text, long lo, long hi, int *out) {
    char *end = nullptr;
    errno = 0;
    const long v = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != 0 || v < lo || v > hi) return false;
    *out = static_cast<int>(v);
    return true;
}

int Info(int argc, char **argv) {
    if (argc != 3) return Fail("usage", "dibtool info FILE");
    PictureOwner p;
    if (Decode(argv[2], &p) != 0) return 1;
    const DibInfoHeader &h = *p->data.header;
    std::printf("%d %d %d\n", h.biWidth, h.biHeight < 0 ? -h.biHeight : h.biHeight, h.biBitCount);
    return 0;
}

int Convert(int argc, char **argv) {
    if (argc < 4) return Fail("usage", "dibtool convert IN OUT [options]");
    Options o;
    for (int i = 4; i < argc; ++i) {
        const char *a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(a, "--progressive") == 0) o.progressive = true;
        else if (std::strcmp(a, "--interlace") == 0) o.interlace = true;
        else if (std::strcmp(a, "--to24") == 0) o.to24 = true;
        else if (std::strcmp(a, "--quality") == 0 && hasValue && ParseInt(argv[++i], 1, 100, &o.quality)) continue;
        else if (std::strcmp(a, "--level") == 0 && hasValue && ParseInt(argv[++i], 0, 9, &o.level)) continue;
        else if (std::strcmp(a, "--filters") == 0 && hasValue && ParseInt(argv[++i], 0, 2, &o.filters)) continue;
        else return Fail("bad option", a);
    }
    PictureOwner p;
    if (Decode(argv[2], &p) != 0) return 1;
    return Encode(*p.get(), argv[3], o);
}

int Resize(int argc, char **argv) {
    int width = 0, height = 0, code = 0;
    if (argc != 7 || !ParseInt(argv[4], 1, 65535, &width) || !ParseInt(argv[5], 1, 65535, &height) ||
        !ParseInt(argv[6], 0, 1000, &code))
        return Fail("usage", "dibtool resize IN OUT WIDTH HEIGHT CODE");
    PictureOwner p;
    if (Decode(argv[2], &p) != 0) return 1;
    PictureOwner plain;
    const Picture *source = Uncompressed(*p.get(), &plain);
    if (source == nullptr) return Fail("cannot expand the compressed picture");
    const DibView view{source->data.header, source->data.headerSize, source->data.bits, source->data.bitsSize};
    ResampledDib result;
    if (!Resize_Filtered(&view, width, height, code, code, &result)) return Fail("cannot resize");
    PictureOwner resized(PictureFromPacked(result.header, result.bits));
    ResampledDib_Free(&result);
    if (!resized) return Fail("cannot hold the resized picture");
    return Encode(*resized.get(), argv[3], Options{});
}

}  // namespace

int main(int argc, char **argv) {
    if (argc >= 2 && std::strcmp(argv[1], "info") == 0) return Info(argc, argv);
    if (argc >= 2 && std::strcmp(argv[1], "convert") == 0) return Convert(argc, argv);
    if (argc >= 2 && std::strcmp(argv[1], "resize") == 0) return Resize(argc, argv);
    return Fail("usage", "dibtool info|convert|resize ...");
}
