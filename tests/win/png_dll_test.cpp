// The PNG entry points of each dibcore.dll flavour, called the way the
// program calls them: through GetProcAddress, with paths of that flavour.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "../../dibcore/include/dib_png.h"
#include "../../dibcore/include/dibcore_api.h"
#include "support/temp_folder.h"

namespace {

using PathString = std::basic_string<DibPathChar>;

// Wine maps the Unix root to drive Z:.
PathString WinPath(const std::string &unixPath) {
    PathString out = {DibPathChar('Z'), DibPathChar(':')};
    for (char c : unixPath) out.push_back(DibPathChar(c == '/' ? '\\' : c));
    return out;
}

std::vector<uint8_t> ReadAll(const PathString &path) {
    std::vector<uint8_t> bytes;
#ifdef QV_ANSI
    HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
#else
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
#endif
    if (f == INVALID_HANDLE_VALUE) return bytes;
    bytes.resize(GetFileSize(f, nullptr));
    DWORD got = 0;
    if (!bytes.empty()) ReadFile(f, bytes.data(), DWORD(bytes.size()), &got, nullptr);
    bytes.resize(got);
    CloseHandle(f);
    return bytes;
}

class PngDll : public ::testing::Test {
protected:
    void SetUp() override {
#ifdef QV_ANSI
        const std::string dll = std::string(QV_BUILD_DIR) + "/Quivelta98/data/dibcore.dll";
        module_ = LoadLibraryA(WinPath(dll).c_str());
#else
        const std::string dll = std::string(QV_BUILD_DIR) + "/Quivelta/data/dibcore.dll";
        module_ = LoadLibraryW(WinPath(dll).c_str());
#endif
        ASSERT_NE(module_, nullptr);
        Bind(pngToDib_, "PNGtoDIB");
        Bind(pngMToDib_, "PNGMtoDIB");
        Bind(pngAToDib_, "PNGAtoDIB");
        Bind(pngMAToDib_, "PNGMAtoDIB");
        Bind(infoPng_, "InfoPNG");
        Bind(infoPngM_, "InfoPNGM");
        Bind(dibToPng_, "DIBtoPNGex");
        // Storage entry points live in another part of the library; used
        // when present.
        deleteDib_ = reinterpret_cast<DeleteDIB_t>(GetProcAddress(module_, "DeleteDIB"));
        dataDib_ = reinterpret_cast<DataDIB_t>(GetProcAddress(module_, "DataDIB"));
        createDib_ = reinterpret_cast<CreateDIB_t>(GetProcAddress(module_, "CreateDIB"));
    }
    void TearDown() override {
        for (DibHandle h : handles_)
            if (deleteDib_) deleteDib_(h);
        if (module_) FreeLibrary(module_);
    }
    template <typename F>
    void Bind(F &f, const char *name) {
        f = reinterpret_cast<F>(GetProcAddress(module_, name));
        ASSERT_NE(f, nullptr) << name;
    }
    DibHandle Keep(DibHandle h) {
        if (h) handles_.push_back(h);
        return h;
    }
    std::vector<uint8_t> Fixture(const char *name) {
        return ReadAll(WinPath(std::string(QV_TEST_FIXTURES) + "/png/" + name));
    }

    HMODULE module_ = nullptr;
    PNGtoDIB_t pngToDib_ = nullptr;
    PNGMtoDIB_t pngMToDib_ = nullptr;
    PNGAtoDIB_t pngAToDib_ = nullptr;
    PNGMAtoDIB_t pngMAToDib_ = nullptr;
    InfoPNG_t infoPng_ = nullptr;
    InfoPNGM_t infoPngM_ = nullptr;
    DIBtoPNGex_t dibToPng_ = nullptr;
    DeleteDIB_t deleteDib_ = nullptr;
    DataDIB_t dataDib_ = nullptr;
    CreateDIB_t createDib_ = nullptr;
    std::vector<DibHandle> handles_;
};

TEST_F(PngDll, MemoryDecodeAndAlphaPicture) {
    const std::vector<uint8_t> rgba = Fixture("c6_d8.png"), rgb = Fixture("c2_d8.png");
    ASSERT_FALSE(rgba.empty());
    EXPECT_NE(Keep(pngMToDib_(rgba.data(), uint32_t(rgba.size()))), 0);
    EXPECT_NE(Keep(pngMAToDib_(rgba.data(), uint32_t(rgba.size()))), 0);
    EXPECT_EQ(Keep(pngMAToDib_(rgb.data(), uint32_t(rgb.size()))), 0);  // no alpha channel
    EXPECT_EQ(pngMToDib_(rgb.data(), 20), 0);                            // cut short before the data
    EXPECT_EQ(pngMToDib_(nullptr, 0), 0);
}

TEST_F(PngDll, InfoTakesThePaletteAlphaTableInTheFirstSpareArgument) {
    const std::vector<uint8_t> pal = Fixture("c3_d8.png");
    PngInfo info{};
    info.flags = kPngInfoAsked;
    PngAlphaTable table{};
    ASSERT_EQ(infoPngM_(pal.data(), uint32_t(pal.size()), &info, reinterpret_cast<intptr_t>(&table), 0), 1);
    EXPECT_EQ(info.flags & (kPngInfoTransparency | kPngInfoBackground | kPngInfoBackgroundIndex),
              kPngInfoTransparency | kPngInfoBackground | kPngInfoBackgroundIndex);
    EXPECT_EQ(table.count, 191);  // the fixture's tRNS: one entry fewer than its palette
    EXPECT_EQ(info.background, 191u);

    // Without a table the record is still filled.
    PngInfo plain{};
    ASSERT_EQ(infoPngM_(pal.data(), uint32_t(pal.size()), &plain, 0, 0), 1);
    EXPECT_EQ(plain.flags, info.flags);
}

TEST_F(PngDll, WriteThenReadThroughFiles) {
    const std::vector<uint8_t> pal = Fixture("c3_d4.png");
    const DibHandle picture = Keep(pngMToDib_(pal.data(), uint32_t(pal.size())));
    ASSERT_NE(picture, 0);
    // Both flavours of this test run at once: each writes in a folder of its own.
    const TempFolder folder(TEXT("png_dll"));
    const tstring name = folder.Join(TEXT("written.png"));
    const PathString path(name.begin(), name.end());

    PngSaveOptions options{};
    options.flags = kPngSaveBase | kPngSaveInterlace | kPngSaveTransparent;
    options.level = 9;
    options.indexFlag = kPngSaveIndex;
    options.filters = kPngFilterAll;
    options.transparent = 5;
    ASSERT_EQ(dibToPng_(path.c_str(), picture, &options), 1);

    PngInfo info{};
    PngAlphaTable table{};
    ASSERT_EQ(infoPng_(path.c_str(), &info, reinterpret_cast<intptr_t>(&table), 0), 1);
    EXPECT_EQ(info.flags, kPngInfoTransparency | kPngInfoReplaceOne);
    EXPECT_EQ(info.transparent, 5u);
    EXPECT_EQ(table.count, 6);
    const DibHandle back = Keep(pngToDib_(path.c_str()));
    ASSERT_NE(back, 0);
    EXPECT_EQ(Keep(pngAToDib_(path.c_str())), 0);
    if (dataDib_) {
        const DibData *a = dataDib_(picture), *b = dataDib_(back);
        ASSERT_TRUE(a && b);
        ASSERT_EQ(a->bitsSize, b->bitsSize);
        EXPECT_EQ(std::memcmp(a->bits, b->bits, a->bitsSize), 0);
        EXPECT_EQ(b->header->biBitCount, 4);
    }

    // A missing file and a dead handle fail, and a failed InfoPNG zeroes the record.
    const PathString missing = WinPath("/nonexistent/none.png");
    EXPECT_EQ(pngToDib_(missing.c_str()), 0);
    std::memset(&info, 0x5A, sizeof info);
    EXPECT_EQ(infoPng_(missing.c_str(), &info, 0, 0), 0);
    const PngInfo zero{};
    EXPECT_EQ(std::memcmp(&info, &zero, sizeof info), 0);
    EXPECT_EQ(dibToPng_(path.c_str(), 0, &options), 0);
}

// A picture of several megabytes is compressed in blocks on the library's
// threads inside the DLL; the file still reads back to the same pixels.
TEST_F(PngDll, LargePictureWrittenInBlocksReadsBack) {
    if (!createDib_ || !dataDib_) GTEST_SKIP() << "no storage entry points";
    const int32_t width = 1500, height = 1000;
    const uint32_t stride = (uint32_t(width) * 3 + 3) & ~3u;
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biSizeImage = stride * uint32_t(height);
    std::vector<uint8_t> bits(header.biSizeImage);
    uint32_t seed = 1;
    for (size_t i = 0; i < bits.size(); ++i) {
        seed = seed * 1103515245u + 12345u;
        bits[i] = (seed >> 24) % 8 == 0 ? uint8_t(seed >> 16) : uint8_t(i / 7);
    }
    const DibHandle picture = Keep(createDib_(&header, bits.data()));
    ASSERT_NE(picture, 0);
    const TempFolder folder(TEXT("png_dll_large"));
    const tstring name = folder.Join(TEXT("large.png"));
    const PathString path(name.begin(), name.end());
    for (const uint32_t flags : {uint32_t{kPngSaveBase}, uint32_t{kPngSaveBase | kPngSaveInterlace}}) {
        PngSaveOptions options{};
        options.flags = flags;
        options.level = 1;
        options.filters = kPngFilterAll;
        ASSERT_EQ(dibToPng_(path.c_str(), picture, &options), 1) << flags;
        const DibHandle back = Keep(pngToDib_(path.c_str()));
        ASSERT_NE(back, 0) << flags;
        const DibData *a = dataDib_(picture), *b = dataDib_(back);
        ASSERT_TRUE(a && b);
        ASSERT_EQ(a->bitsSize, b->bitsSize);
        EXPECT_EQ(std::memcmp(a->bits, b->bits, a->bitsSize), 0) << flags;
    }
}

}  // namespace
