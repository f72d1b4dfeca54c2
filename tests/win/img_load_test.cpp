// The picture loader on real files with the build's own dibcore.dll: opening
// by content when the extension lies, failures without a crash, the size
// limit on whole-file reads, the GIF modes, transparency composed over the
// background and EXIF orientations.
#include <gtest/gtest.h>

#include "support/gif_fixture.h"
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "image/qv_DibApi.h"
#include "image/qv_DibHolder.h"
#include "image/qv_Exif.h"
#include "image/qv_Format.h"
#include "image/qv_ImgLoad.h"
#include "image/qv_Transp.h"
#include "support/real_dibcore.h"
#include "support/temp_folder.h"
#include "util/qv_Crc32.h"

namespace {

using Bytes = std::string;

uint32_t Rgb(uint8_t r, uint8_t g, uint8_t b) { return uint32_t(r) | uint32_t(g) << 8 | uint32_t(b) << 16; }

void PutBe32(Bytes &out, uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) out.push_back(char(v >> s));
}
void PutLe16(Bytes &out, uint32_t v) {
    out.push_back(char(v));
    out.push_back(char(v >> 8));
}
void PutLe32(Bytes &out, uint32_t v) {
    PutLe16(out, v & 0xFFFF);
    PutLe16(out, v >> 16);
}

// A PNG with stored (uncompressed) deflate blocks: enough for any reader.
class PngWriter {
public:
    PngWriter(uint32_t width, uint32_t height, uint8_t colourType) : width_(width), height_(height) {
        bytes_.assign("\x89PNG\r\n\x1a\n", 8);
        Bytes ihdr;
        PutBe32(ihdr, width);
        PutBe32(ihdr, height);
        ihdr += char(8);
        ihdr += char(colourType);
        ihdr += Bytes(3, '\0');
        Chunk("IHDR", ihdr);
    }
    void Chunk(const char *type, const Bytes &data) {
        PutBe32(bytes_, uint32_t(data.size()));
        const Bytes body = Bytes(type, 4) + data;
        bytes_ += body;
        PutBe32(bytes_, Util_Crc32(body.size(), body.data()));
    }
    // rows: the filter byte 0 is added to each row.
    Bytes Finish(const std::vector<Bytes> &rows) {
        Bytes raw;
        for (const Bytes &r : rows) raw += '\0' + r;
        Bytes z("\x78\x01", 2);
        uint32_t a = 1, b = 0;
        for (unsigned char c : raw) {
            a = (a + c) % 65521;
            b = (b + a) % 65521;
        }
        size_t at = 0;
        do {
            const size_t n = raw.size() - at < 65535 ? raw.size() - at : 65535;
            z += char(at + n == raw.size() ? 1 : 0);
            PutLe16(z, uint32_t(n));
            PutLe16(z, uint32_t(~n & 0xFFFF));
            z += raw.substr(at, n);
            at += n;
        } while (at < raw.size());
        PutBe32(z, b << 16 | a);
        Chunk("IDAT", z);
        Chunk("IEND", "");
        return bytes_;
    }

private:
    uint32_t width_, height_;
    Bytes bytes_;
};

// A 3 x 2 palette picture: entries 0..3 have tRNS alphas 128, 0, 255, 64;
// entry 4 lies past the alpha table (opaque).
const uint8_t kPalette[5][3] = {{0, 0, 0}, {200, 10, 20}, {0, 255, 0}, {40, 80, 160}, {9, 99, 199}};
const uint8_t kPaletteAlpha[4] = {128, 0, 255, 64};
const uint8_t kPaletteRows[2][3] = {{0, 1, 2}, {3, 4, 0}};

Bytes PalettePng() {
    PngWriter w(3, 2, 3);
    Bytes plte, trns(reinterpret_cast<const char *>(kPaletteAlpha), 4);
    for (const auto &e : kPalette) plte.append(reinterpret_cast<const char *>(e), 3);
    w.Chunk("PLTE", plte);
    w.Chunk("tRNS", trns);
    std::vector<Bytes> rows;
    for (const auto &r : kPaletteRows) rows.emplace_back(reinterpret_cast<const char *>(r), 3);
    return w.Finish(rows);
}

// 2 x 2 RGBA, alphas 255, 0 / 128, 30.
const uint8_t kRgba[2][2][4] = {{{10, 20, 30, 255}, {200, 100, 50, 0}}, {{0, 0, 0, 128}, {250, 250, 250, 30}}};

Bytes RgbaPng() {
    PngWriter w(2, 2, 6);
    std::vector<Bytes> rows;
    for (const auto &r : kRgba) rows.emplace_back(reinterpret_cast<const char *>(r), 8);
    return w.Finish(rows);
}

// 3 x 1 RGB with one transparent colour (tRNS).
Bytes RgbKeyPng() {
    PngWriter w(3, 1, 2);
    w.Chunk("tRNS", Bytes("\0\x11\0\x22\0\x33", 6));
    return w.Finish({Bytes("\x11\x22\x33\x11\x22\x34\x11\x22\x33", 9)});
}

// A bottom-up 32-bit BMP (56-byte header, alpha mask FF000000): rows are
// given from the top as B, G, R, A.
const uint8_t kBmpTop[3][4] = {{255, 0, 0, 255}, {0, 255, 0, 0}, {0, 0, 255, 100}};
const uint8_t kBmpBottom[3][4] = {{10, 20, 30, 200}, {90, 90, 90, 1}, {250, 0, 250, 254}};

Bytes AlphaBmp() {
    Bytes b("BM", 2);
    const uint32_t headerSize = 56, pixels = 3 * 2 * 4;
    PutLe32(b, 14 + headerSize + pixels);
    PutLe32(b, 0);
    PutLe32(b, 14 + headerSize);
    PutLe32(b, headerSize);
    PutLe32(b, 3);
    PutLe32(b, 2);  // bottom-up
    PutLe16(b, 1);
    PutLe16(b, 32);
    PutLe32(b, 3);  // bit fields
    PutLe32(b, pixels);
    PutLe32(b, 2835);
    PutLe32(b, 2835);
    PutLe32(b, 0);
    PutLe32(b, 0);
    PutLe32(b, 0x00FF0000);
    PutLe32(b, 0x0000FF00);
    PutLe32(b, 0x000000FF);
    PutLe32(b, 0xFF000000);
    for (const auto &row : {kBmpBottom, kBmpTop})
        for (int x = 0; x < 3; ++x) b.append(reinterpret_cast<const char *>(row[x]), 4);
    return b;
}

using winfix::kAnimation;  // two frames, a local table, transparency, a loop block

uint32_t PixelAt(const LoadedImage &r, int32_t x, int32_t y) { return Dib_ReadPixelColour(r.image.data, x, y); }

// What the plug-in hooks saw.
struct PluginLog {
    int probes = 0;
    int decodes = 0;
    bool gotMemory = false;
    uint32_t size = 0;
} g_pluginLog;

int32_t OnePlugin(int) { return 1; }
int AcceptAll(int, int32_t, const char *, const void *) {
    ++g_pluginLog.probes;
    return 1;
}
int RecordDecode(LoadedImage *, const TCHAR *, const char *, const void *memory, uint32_t size, int32_t, int) {
    ++g_pluginLog.decodes;
    g_pluginLog.gotMemory = memory != nullptr;
    g_pluginLog.size = size;
    return 1;  // refuses, so the load fails after the one attempt
}

class ImgLoad : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(lib_.ok()) << lib_.problem();
        ASSERT_TRUE(Format_RegisterBuiltins());
    }
    void TearDown() override {
        g_formatPlugins = FormatPluginHooks{};
        g_imgLoadPluginDecoder = nullptr;
        Format_DestroyRegistry();
    }
    tstring Write(const TCHAR *name, const Bytes &bytes) {
        const tstring path = folder_.Join(name);
        EXPECT_TRUE(WriteFileBytes(path, bytes));
        return path;
    }
    int Load(LoadedImage &r, const tstring &path, const LoadOptions &o, int firstFrameOnly = 0) {
        return ImgLoad_FromSource(&r, path.c_str(), nullptr, nullptr, 0, 0, 0, firstFrameOnly, o);
    }

    RealDibcore lib_;
    TempFolder folder_{TEXT("imgload")};
};

TEST_F(ImgLoad, PngNamedJpgOpensByContentFromAFileAndFromMemory) {
    const Bytes png = PalettePng();
    const tstring path = Write(TEXT("picture.jpg"), png);
    LoadedImage r;
    ASSERT_EQ(Load(r, path, LoadOptions{}), 0);
    EXPECT_EQ(r.loaderId, kLoaderPng);
    EXPECT_EQ(r.flags, uint32_t(kLoadedStill));
    EXPECT_EQ(r.width, 3);
    EXPECT_EQ(r.height, 2);
    EXPECT_EQ(r.colourKind, 0);
    EXPECT_EQ(PixelAt(r, 1, 0), Rgb(200, 10, 20));  // no transparency asked
    LoadedImage m;
    ASSERT_EQ(ImgLoad_FromSource(&m, nullptr, nullptr, png.data(), uint32_t(png.size()), kLoaderJpeg, 0, 0,
                                 LoadOptions{}),
              0);
    EXPECT_EQ(m.loaderId, kLoaderPng);
}

TEST_F(ImgLoad, EmptyAndRandomFilesFailWithoutAPicture) {
    Bytes noise(4096, '\0');
    uint32_t s = 12345;
    for (char &c : noise) {
        s = s * 1103515245u + 12345u;
        c = char(s >> 16);
    }
    noise[0] = 'x';  // no signature by chance
    const struct {
        const TCHAR *name;
        Bytes bytes;
        int expected;  // 1 failure, -1 no decoder found
    } cases[] = {
        {TEXT("empty.png"), Bytes(), 1},
        {TEXT("empty.bmp"), Bytes(), 1},
        {TEXT("noise.jpg"), noise, -1},
        {TEXT("noise.gif"), noise, -1},
        {TEXT("noise.png"), noise, -1},
        {TEXT("noise.bmp"), noise, -1},
        {TEXT("truncated.png"), PalettePng().substr(0, 60), 1},
    };
    for (const auto &c : cases) {
        LoadedImage r;
        const int got = Load(r, Write(c.name, c.bytes), LoadOptions{});
        const std::string name(c.name, c.name + lstrlen(c.name));
        if (c.expected == 1) {
            EXPECT_NE(got, 0) << name;
        } else {
            EXPECT_EQ(got, c.expected) << name;
        }
        EXPECT_TRUE(r.image.empty()) << name;
        EXPECT_EQ(r.flags, 0u) << name;
        EXPECT_EQ(r.frames, nullptr) << name;
    }
    LoadedImage r;
    EXPECT_EQ(Load(r, folder_.Join(TEXT("missing.png")), LoadOptions{}), 1);
}

TEST_F(ImgLoad, HugeFileIsNeitherReadWholeNorProbed) {
    g_formatPlugins.pluginCount = OnePlugin;
    g_formatPlugins.isSupported = AcceptAll;
    g_imgLoadPluginDecoder = RecordDecode;

    // A small file of no known format goes to the plug-in whole, from memory.
    g_pluginLog = PluginLog{};
    LoadedImage small;
    EXPECT_NE(Load(small, Write(TEXT("small.xyz"), Bytes(3000, 'q')), LoadOptions{}), 0);
#if !defined(QV_ANSI)
    EXPECT_EQ(g_pluginLog.decodes, 1);
    EXPECT_TRUE(g_pluginLog.gotMemory);
    EXPECT_EQ(g_pluginLog.size, 3000u);
#endif

    // 200 MiB, sparse: only its head is ever on disk.
    const tstring path = folder_.Join(TEXT("huge.xyz"));
    HANDLE f = CreateFile(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    DWORD wrote = 0;
    WriteFile(f, "no known format", 15, &wrote, nullptr);
    LARGE_INTEGER end;
    end.QuadPart = 200ll << 20;
    ASSERT_TRUE(SetFilePointerEx(f, end, nullptr, FILE_BEGIN));
    ASSERT_TRUE(SetEndOfFile(f));
    CloseHandle(f);

    g_pluginLog = PluginLog{};
    LoadedImage huge;
    EXPECT_NE(Load(huge, path, LoadOptions{}), 0);
    EXPECT_TRUE(huge.image.empty());
    EXPECT_FALSE(g_pluginLog.gotMemory);  // never read whole
#if defined(QV_ANSI)
    // The ANSI build lets plug-ins read the file themselves.
    EXPECT_LE(g_pluginLog.decodes, 1);
#else
    EXPECT_EQ(g_pluginLog.probes, 0);
    EXPECT_EQ(g_pluginLog.decodes, 0);
#endif
}

TEST_F(ImgLoad, GifOpensAsStillFirstFrameOrAnimation) {
    const tstring path = Write(TEXT("anim.gif"), Bytes(reinterpret_cast<const char *>(kAnimation), sizeof kAnimation));
    LoadOptions still;
    LoadedImage a;
    ASSERT_EQ(Load(a, path, still), 0);
    EXPECT_EQ(a.flags, uint32_t(kLoadedStill));
    EXPECT_EQ(a.frames, nullptr);
    EXPECT_EQ(a.width, 6);
    EXPECT_EQ(a.height, 4);
    EXPECT_LE(a.bitsPerPixel, 8);

    LoadOptions ani;
    ani.gifAni = true;
    ani.background = Rgb(1, 2, 3);
    LoadedImage first;
    ASSERT_EQ(Load(first, path, ani, 1), 0);
    EXPECT_EQ(first.flags, uint32_t(kLoadedStill));
    EXPECT_EQ(first.frames, nullptr);
    EXPECT_EQ(first.bitsPerPixel, 24);
    EXPECT_EQ(first.width, 6);
    EXPECT_EQ(first.height, 4);
    // The first frame covers the whole screen: it matches the still.
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 6; ++x) EXPECT_EQ(PixelAt(first, x, y), PixelAt(a, x, y)) << x << "," << y;

    LoadedImage whole;
    ASSERT_EQ(Load(whole, path, ani), 0);
    EXPECT_EQ(whole.flags, uint32_t(kLoadedAnimation));
    EXPECT_TRUE(whole.image.empty());
    ASSERT_EQ(whole.frameCount, 2);
    ASSERT_NE(whole.frames, nullptr);
    EXPECT_NE(whole.frames[0].picture, 0);
    EXPECT_NE(whole.frames[1].picture, 0);
    EXPECT_EQ(whole.frames[1].left, 2);
    EXPECT_EQ(whole.frames[1].top, 1);
    EXPECT_EQ(whole.frames[1].transparentIndex, 4);
    EXPECT_EQ(whole.width, 6);
    EXPECT_EQ(whole.height, 4);
    EXPECT_EQ(whole.gifInfo.frameCount, 2);
    EXPECT_EQ(whole.gifInfo.background, Rgb(1, 2, 3));  // GifFBGcol clear: the configured colour

    LoadedImage refused;
    EXPECT_NE(ImgLoad_FromSource(&refused, path.c_str(), nullptr, nullptr, 0, 0, 1, 0, ani), 0);
    EXPECT_EQ(refused.frames, nullptr);
}

uint8_t Over(uint8_t c, uint8_t bg, uint8_t a) { return uint8_t((c * a + bg * (255 - a)) / 255); }
uint32_t OverRgb(const uint8_t *rgb, uint32_t bg, uint8_t a) {
    return Rgb(Over(rgb[0], uint8_t(bg), a), Over(rgb[1], uint8_t(bg >> 8), a), Over(rgb[2], uint8_t(bg >> 16), a));
}

TEST_F(ImgLoad, PaletteAlphaOverWhite) {
    LoadOptions o;
    o.pngTrans = true;
    o.background = Rgb(255, 255, 255);
    LoadedImage r;
    ASSERT_EQ(Load(r, Write(TEXT("palette.png"), PalettePng()), o), 0);
    EXPECT_NE(r.transparency, 0);
    for (int32_t y = 0; y < 2; ++y)
        for (int32_t x = 0; x < 3; ++x) {
            const uint8_t i = kPaletteRows[y][x];
            const uint8_t a = i < 4 ? kPaletteAlpha[i] : 255;
            EXPECT_EQ(PixelAt(r, x, y), OverRgb(kPalette[i], o.background, a)) << x << "," << y;
        }
    EXPECT_EQ(PixelAt(r, 0, 0), Rgb(127, 127, 127));  // black at alpha 128
}

TEST_F(ImgLoad, AlphaChannelsComposedOverTheBackground) {
    const uint32_t bg = Rgb(10, 200, 30);
    LoadOptions o;
    o.pngTrans = o.bmpTrans = true;
    o.background = bg;

    LoadedImage bmp;  // bottom-up rows
    ASSERT_EQ(Load(bmp, Write(TEXT("alpha.bmp"), AlphaBmp()), o), 0);
    EXPECT_EQ(bmp.transparency, 1);
    EXPECT_EQ(bmp.bitsPerPixel, 24);
    const uint8_t(*rows[2])[4] = {kBmpTop, kBmpBottom};
    for (int32_t y = 0; y < 2; ++y)
        for (int32_t x = 0; x < 3; ++x) {
            const uint8_t *p = rows[y][x];
            const uint8_t rgb[3] = {p[2], p[1], p[0]};
            EXPECT_EQ(PixelAt(bmp, x, y), OverRgb(rgb, bg, p[3])) << "bmp " << x << "," << y;
        }

    LoadedImage plain;  // BmpTrans clear: no composition
    LoadOptions none;
    ASSERT_EQ(Load(plain, Write(TEXT("alpha2.bmp"), AlphaBmp()), none), 0);
    EXPECT_EQ(plain.transparency, 0);
    EXPECT_EQ(PixelAt(plain, 1, 0), Rgb(0, 255, 0));

    LoadedImage png;
    ASSERT_EQ(Load(png, Write(TEXT("rgba.png"), RgbaPng()), o), 0);
    EXPECT_EQ(png.transparency, 1);
    for (int32_t y = 0; y < 2; ++y)
        for (int32_t x = 0; x < 2; ++x)
            EXPECT_EQ(PixelAt(png, x, y), OverRgb(kRgba[y][x], bg, kRgba[y][x][3])) << "png " << x << "," << y;

    LoadedImage key;
    ASSERT_EQ(Load(key, Write(TEXT("key.png"), RgbKeyPng()), o), 0);
    EXPECT_EQ(key.transparency, 2);
    EXPECT_EQ(PixelAt(key, 0, 0), bg);
    EXPECT_EQ(PixelAt(key, 1, 0), Rgb(0x11, 0x22, 0x34));
    EXPECT_EQ(PixelAt(key, 2, 0), bg);
}

TEST_F(ImgLoad, TransparentColourOnA565Picture) {
    // 3 x 2, 5-6-5 bit fields, top-down.
    struct {
        DibInfoHeader h;
        uint32_t masks[3];
    } header{};
    header.h.biSize = sizeof(DibInfoHeader);
    header.h.biWidth = 3;
    header.h.biHeight = -2;
    header.h.biPlanes = 1;
    header.h.biBitCount = 16;
    header.h.biCompression = kDibBitFields;
    header.masks[0] = 0xF800;
    header.masks[1] = 0x07E0;
    header.masks[2] = 0x001F;
    const uint16_t bits[2][4] = {{0xF81F, 0xF81E, 0x001F, 0}, {0x0000, 0xF81F, 0xFFFF, 0}};
    DibHolder h;
    ASSERT_TRUE(DibHolder_CreateDIB(h, &header, bits));
    // Magenta narrows to F81F; the background (128, 64, 32) to 16, 16, 4.
    ASSERT_TRUE(DibHolder_ApplyTransparency(h, nullptr, 0, Rgb(128, 64, 32), 0, Rgb(255, 0, 255), 0));
    const uint16_t bg = 16 << 11 | 16 << 5 | 4;
    const uint16_t expected[2][3] = {{bg, 0xF81E, 0x001F}, {0x0000, bg, 0xFFFF}};
    ASSERT_NE(h.data, nullptr);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            uint16_t v;
            std::memcpy(&v, h.data->bits + y * 8 + x * 2, 2);
            EXPECT_EQ(v, expected[y][x]) << x << "," << y;
        }
}

// --- EXIF orientation -------------------------------------------------------

const uint32_t kRed = Rgb(255, 0, 0), kGreen = Rgb(0, 255, 0), kBlue = Rgb(0, 0, 255), kWhite = Rgb(255, 255, 255);

// Corners after turning upright a picture whose stored corners are red (top
// left), green (top right), blue (bottom left), white (bottom right).
const struct Upright {
    int orientation;
    uint32_t topLeft, topRight, bottomLeft, bottomRight;
    bool swapped;
} kUpright[] = {
    {1, kRed, kGreen, kBlue, kWhite, false},  {2, kGreen, kRed, kWhite, kBlue, false},
    {3, kWhite, kBlue, kGreen, kRed, false},  {4, kBlue, kWhite, kRed, kGreen, false},
    {5, kRed, kBlue, kGreen, kWhite, true},   {6, kBlue, kRed, kWhite, kGreen, true},
    {7, kWhite, kGreen, kBlue, kRed, true},   {8, kGreen, kWhite, kRed, kBlue, true},
};

Bytes ReadFixture(const char *name) {
    const std::string unix = std::string(QV_TEST_FIXTURES) + "/jpeg/" + name;
    std::string p = "Z:" + unix;
    for (char &c : p)
        if (c == '/') c = '\\';
    return ReadFileBytes(tstring(p.begin(), p.end()));
}

// An APP1 segment with one IFD entry, put right after the start marker.
Bytes WithExif(const Bytes &jpeg, int orientation, bool bigEndian, size_t cutIfd = 0) {
    Bytes tiff = bigEndian ? Bytes("MM\0\x2A\0\0\0\x08", 8) : Bytes("II\x2A\0\x08\0\0\0", 8);
    auto u16 = [&](uint32_t v) {
        tiff += bigEndian ? char(v >> 8) : char(v);
        tiff += bigEndian ? char(v) : char(v >> 8);
    };
    auto u32 = [&](uint32_t v) {
        if (bigEndian) {
            u16(v >> 16);
            u16(v & 0xFFFF);
        } else {
            u16(v & 0xFFFF);
            u16(v >> 16);
        }
    };
    u16(1);
    u16(0x0112);
    u16(3);
    u32(1);
    u16(uint32_t(orientation));
    u16(0);
    u32(0);
    if (cutIfd) tiff.resize(tiff.size() - cutIfd);
    const Bytes body = Bytes("Exif\0\0", 6) + tiff;
    Bytes app1("\xFF\xE1", 2);
    app1 += char((body.size() + 2) >> 8);
    app1 += char(body.size() + 2);
    return jpeg.substr(0, 2) + app1 + body + jpeg.substr(2);
}

int OrientationOf(const Bytes &file) {
    MemoryReader reader;
    return Exif_ReadOrientation(ByteSource_FromMemory(&reader, file.data(), uint32_t(file.size())));
}

// The quadrant picture as a 24-bit DIB made directly, 32 x 16.
void MakeQuadrants(DibHolder &h) {
    ASSERT_TRUE(DibHolder_Create(h, 32, 16, 24, 0, 0, nullptr));
    const uint32_t stride = 96;
    for (int32_t y = 0; y < 16; ++y)
        for (int32_t x = 0; x < 32; ++x) {
            const uint32_t c = y < 8 ? (x < 16 ? kRed : kGreen) : (x < 16 ? kBlue : kWhite);
            uint8_t *p = h.data->bits + uint32_t(15 - y) * stride + uint32_t(x) * 3;  // bottom-up
            p[0] = uint8_t(c >> 16);
            p[1] = uint8_t(c >> 8);
            p[2] = uint8_t(c);
        }
}

bool Near(uint32_t a, uint32_t b) {
    for (int s = 0; s < 24; s += 8) {
        const int d = int((a >> s) & 0xFF) - int((b >> s) & 0xFF);
        if (d > 8 || d < -8) return false;
    }
    return true;
}

void ExpectUpright(const DibData *d, const Upright &u, const char *what, bool bigEndian) {
    ASSERT_NE(d, nullptr);
    const int32_t w = u.swapped ? 16 : 32, h = u.swapped ? 32 : 16;
    DibFields f;
    ASSERT_TRUE(Dib_GetHeaderFields(d->header, &f));
    EXPECT_EQ(f.width, w) << what << " " << u.orientation;
    EXPECT_EQ(f.height, h) << what << " " << u.orientation;
    const struct {
        int32_t x, y;
        uint32_t colour;
    } corners[] = {{1, 1, u.topLeft}, {w - 2, 1, u.topRight}, {1, h - 2, u.bottomLeft}, {w - 2, h - 2, u.bottomRight}};
    for (const auto &c : corners)
        EXPECT_TRUE(Near(Dib_ReadPixelColour(d, c.x, c.y), c.colour))
            << what << " orientation " << u.orientation << (bigEndian ? " MM" : " II") << " at " << c.x << ","
            << c.y << ": " << std::hex << Dib_ReadPixelColour(d, c.x, c.y) << " want " << c.colour;
}

TEST_F(ImgLoad, ExifOrientationIsReadAndAppliedInBothByteOrders) {
    const Bytes jpeg = ReadFixture("quadrants.jpg");
    ASSERT_GT(jpeg.size(), 100u);
    EXPECT_EQ(OrientationOf(jpeg), 0);
    for (bool big : {false, true}) {
        for (const Upright &u : kUpright) {
            const Bytes file = WithExif(jpeg, u.orientation, big);
            ASSERT_EQ(OrientationOf(file), u.orientation) << (big ? "MM" : "II");
            DibHolder h;
            MakeQuadrants(h);
            ASSERT_TRUE(Exif_ApplyOrientation(h, u.orientation));
            ExpectUpright(h.data, u, "made", big);
        }
        // The entry cut short inside its value: no orientation.
        EXPECT_EQ(OrientationOf(WithExif(jpeg, 6, big, 8)), 0);
        EXPECT_EQ(OrientationOf(WithExif(jpeg, 6, big, 14)), 0);
    }
}

TEST_F(ImgLoad, JpegOpensUprightByItsExifOrientation) {
    QV_SKIP_WITHOUT_JPEG();
    const Bytes jpeg = ReadFixture("quadrants.jpg");
    LoadOptions o;
    o.exifRota = true;
    for (bool big : {false, true})
        for (const Upright &u : kUpright) {
            LoadedImage r;
            const tstring path = Write(big ? TEXT("mm.jpg") : TEXT("ii.jpg"), WithExif(jpeg, u.orientation, big));
            ASSERT_EQ(Load(r, path, o), 0);
            EXPECT_EQ(r.loaderId, kLoaderJpeg);
            ExpectUpright(r.image.data, u, "file", big);
        }
    LoadedImage cut;
    ASSERT_EQ(Load(cut, Write(TEXT("cut.jpg"), WithExif(jpeg, 6, false, 8)), o), 0);
    ExpectUpright(cut.image.data, kUpright[0], "truncated IFD", false);
}

}  // namespace
