// Both builds of dibcore.dll, loaded as the programs load them: the version
// word of each flavour, then storage and BMP entry points driven through
// GetProcAddress, with a file name outside ASCII.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "../../dibcore/include/dibcore_api.h"

namespace {

// Wine maps drive Z: onto the Unix root, where the build tree lives.
std::string DllPath(const char *programFolder) {
    std::string p = std::string("Z:") + QV_BUILD_DIR + "/" + programFolder + "/data/dibcore.dll";
    for (char &c : p)
        if (c == '/') c = '\\';
    return p;
}

class Library {
public:
    explicit Library(const char *programFolder) : module_(LoadLibraryA(DllPath(programFolder).c_str())) {}
    ~Library() {
        if (module_) FreeLibrary(module_);
    }
    Library(const Library &) = delete;
    Library &operator=(const Library &) = delete;
    HMODULE get() const { return module_; }
    template <typename T>
    T Entry(const char *name) const {
        return reinterpret_cast<T>(GetProcAddress(module_, name));
    }

private:
    HMODULE module_;
};

#if defined(UNICODE)
constexpr const char *kOwnFolder = "Quivelta";
#else
constexpr const char *kOwnFolder = "Quivelta98";
#endif

TEST(DibcoreDll, EachBuildReportsItsFlavour) {
    struct Case {
        const char *folder;
        uint32_t want;
    } cases[] = {{"Quivelta", 0x10001}, {"Quivelta98", 1}};
    for (const Case &c : cases) {
        Library lib(c.folder);
        ASSERT_NE(lib.get(), nullptr) << DllPath(c.folder) << " error " << GetLastError();
        auto version = lib.Entry<DibcoreVersionDW_t>("DibcoreVersionDW");
        ASSERT_NE(version, nullptr) << c.folder;
        EXPECT_EQ(version(), c.want) << c.folder;
        for (const char *name : {"DeleteDIB", "DataDIB", "CreateDIB", "CopyDIB", "CutDIB", "TurnDIB", "DIBto24Bit",
                                 "DIBto16BitEx", "DIBto8Bit", "TurnDIBex", "DIBtoRLE", "RLEtoDIB", "DIBtoBMP",
                                 "BMPtoDIB", "BMPMtoDIB"})
            EXPECT_NE(GetProcAddress(lib.get(), name), nullptr) << c.folder << " " << name;
    }
}

TEST(DibcoreDll, StorageAndBmpThroughTheEntryPoints) {
    Library lib(kOwnFolder);
    ASSERT_NE(lib.get(), nullptr);
    auto createDib = lib.Entry<CreateDIB_t>("CreateDIB");
    auto dataDib = lib.Entry<DataDIB_t>("DataDIB");
    auto cutDib = lib.Entry<CutDIB_t>("CutDIB");
    auto deleteDib = lib.Entry<DeleteDIB_t>("DeleteDIB");
    auto turnDib = lib.Entry<TurnDIB_t>("TurnDIB");
    auto toBmp = lib.Entry<DIBtoBMP_t>("DIBtoBMP");
    auto fromBmp = lib.Entry<BMPtoDIB_t>("BMPtoDIB");
    auto fromMemory = lib.Entry<BMPMtoDIB_t>("BMPMtoDIB");
    ASSERT_TRUE(createDib && dataDib && cutDib && deleteDib && turnDib && toBmp && fromBmp && fromMemory);

    // A 5x3 8-bit picture with a 3-entry palette, given as a packed DIB.
    struct {
        DibInfoHeader h;
        DibRgbQuad pal[3];
    } packed{};
    packed.h = {40, 5, 3, 1, 8, kDibRgb, 0, 0, 0, 3, 0};
    packed.pal[0] = {0, 0, 0, 0};
    packed.pal[1] = {255, 0, 0, 0};
    packed.pal[2] = {0, 0, 255, 0};
    uint8_t bits[3 * 8] = {};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) bits[y * 8 + x] = uint8_t((x + y) % 3);
    const DibHandle pic = createDib(&packed, bits);
    ASSERT_NE(pic, 0);
    DibData *d = dataDib(pic);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->headerSize, 52u);
    EXPECT_EQ(d->bitsSize, 24u);
    EXPECT_EQ(std::memcmp(d->bits, bits, 24), 0);

    const DibHandle mirror = cutDib(pic, 0, 0, -5, 3);
    ASSERT_NE(mirror, 0);
    DibData *m = dataDib(mirror);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) EXPECT_EQ(m->bits[y * 8 + x], bits[y * 8 + 4 - x]);

    wchar_t temp[MAX_PATH];
    ASSERT_NE(GetTempPathW(MAX_PATH, temp), 0u);
#if defined(UNICODE)
    const std::wstring path = std::wstring(temp) + L"Bild-\u00e9\u00df\u4e2d\u03a9.bmp";
    const wchar_t *p = path.c_str();
#else
    char tempA[MAX_PATH];
    GetTempPathA(MAX_PATH, tempA);
    const std::string path = std::string(tempA) + "caf\xe9-\xe4.bmp";  // letters of the ANSI code page
    const char *p = path.c_str();
#endif
    ASSERT_EQ(toBmp(p, mirror), 1);
    const DibHandle back = fromBmp(p);
    ASSERT_NE(back, 0);
    DibData *b = dataDib(back);
    EXPECT_EQ(b->headerSize, m->headerSize);
    // Header up to biSizeImage (the file states the true size), then the table.
    EXPECT_EQ(std::memcmp(b->header, m->header, 20), 0);
    EXPECT_EQ(std::memcmp(reinterpret_cast<uint8_t *>(b->header) + 40, reinterpret_cast<uint8_t *>(m->header) + 40, 12), 0);
    EXPECT_EQ(std::memcmp(b->bits, m->bits, m->bitsSize), 0);
#if defined(UNICODE)
    DeleteFileW(p);
#else
    DeleteFileA(p);
#endif
    EXPECT_EQ(fromBmp(p), 0) << "a missing file gives no picture";

    // Four quarter turns through the entry point bring the picture back.
    for (int i = 0; i < 4; ++i) ASSERT_EQ(turnDib(back, -90), 1);
    b = dataDib(back);
    EXPECT_EQ(std::memcmp(b->bits, m->bits, m->bitsSize), 0);

    const uint8_t junk[20] = {'B', 'M', 1, 2, 3};
    EXPECT_EQ(fromMemory(junk, sizeof junk), 0);
    EXPECT_EQ(fromMemory(nullptr, 10), 0);

    EXPECT_EQ(deleteDib(back), 1);
    EXPECT_EQ(deleteDib(mirror), 1);
    EXPECT_EQ(deleteDib(pic), 1);
    EXPECT_EQ(deleteDib(pic), 0) << "a freed handle is refused";
    EXPECT_EQ(dataDib(pic), nullptr);
}

}  // namespace
