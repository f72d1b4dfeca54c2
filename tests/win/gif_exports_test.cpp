// The GIF entry points of the built dibcore.dll, loaded as the program loads
// it, in both text flavours: file paths (UTF-16 names in the Unicode build),
// the memory forms, the records as the program reads them, and the writer.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "dib_gif.h"
#include "dibcore_api.h"

namespace {

// Two frames: 6 x 4 with the global table (delay 9, disposal 2), then 3 x 2
// at (2, 1) with a local table of 32 (transparent index 4, delay 20,
// disposal 1); background index 1; loop block with count 5.
const uint8_t kAnimation[] = {
    0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x06, 0x00, 0x04, 0x00, 0xF1, 0x01, 0x00, 0x9E, 0x00, 0x00,
    0x17, 0x01, 0x9E, 0x91, 0x02, 0x3C, 0x0B, 0x03, 0xDA, 0x21, 0xFF, 0x0B, 0x4E, 0x45, 0x54, 0x53,
    0x43, 0x41, 0x50, 0x45, 0x32, 0x2E, 0x30, 0x03, 0x01, 0x05, 0x00, 0x00, 0x21, 0xF9, 0x04, 0x08,
    0x09, 0x00, 0x00, 0x00, 0x2C, 0x00, 0x00, 0x00, 0x00, 0x06, 0x00, 0x04, 0x00, 0x00, 0x02, 0x0C,
    0x9C, 0x3C, 0x21, 0x30, 0x03, 0xD1, 0x44, 0x08, 0x8C, 0xAA, 0x51, 0x00, 0x00, 0x21, 0xF9, 0x04,
    0x05, 0x14, 0x00, 0x04, 0x00, 0x2C, 0x02, 0x00, 0x01, 0x00, 0x03, 0x00, 0x02, 0x00, 0x84, 0x3C,
    0x00, 0x00, 0xB6, 0x01, 0x9E, 0x2F, 0x02, 0x3C, 0xA9, 0x03, 0xDA, 0x23, 0x04, 0x78, 0x9C, 0x05,
    0x17, 0x16, 0x06, 0xB5, 0x90, 0x07, 0x53, 0x09, 0x08, 0xF1, 0x83, 0x09, 0x8F, 0xFD, 0x0A, 0x2E,
    0x77, 0x0B, 0xCC, 0xF0, 0x0C, 0x6A, 0x6A, 0x0D, 0x08, 0xE4, 0x0E, 0xA7, 0x5D, 0x0F, 0x45, 0xD7,
    0x10, 0xE3, 0x51, 0x11, 0x81, 0xCA, 0x12, 0x1F, 0x44, 0x13, 0xBE, 0xBE, 0x14, 0x5C, 0x37, 0x15,
    0xFA, 0xB1, 0x16, 0x98, 0x2B, 0x17, 0x36, 0xA5, 0x18, 0xD5, 0x1E, 0x19, 0x73, 0x98, 0x1A, 0x11,
    0x12, 0x1B, 0xAF, 0x8B, 0x1C, 0x4E, 0x05, 0x1D, 0xEC, 0x7F, 0x1E, 0x8A, 0xF8, 0x1F, 0x28, 0x05,
    0x06, 0xA0, 0x41, 0x24, 0x41, 0x13, 0x85, 0x00, 0x3B,
};

#ifdef QV_ANSI
using PathString = std::string;
#define PATH_TEXT(s) s
const char kFlavourFolder[] = "Quivelta98";
#else
using PathString = std::wstring;
#define PATH_TEXT(s) L##s
const char kFlavourFolder[] = "Quivelta";
#endif

PathString Widen(const std::string &s) { return PathString(s.begin(), s.end()); }

// A Unix path of the build tree as Wine sees it.
std::string WinePath(const std::string &unixPath) {
    std::string p = "Z:" + unixPath;
    for (char &c : p)
        if (c == '/') c = '\\';
    return p;
}

class GifExports : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string dll = WinePath(std::string(QV_BUILD_DIR) + "/" + kFlavourFolder + "/data/dibcore.dll");
        module_ = LoadLibraryA(dll.c_str());
        ASSERT_NE(module_, nullptr) << dll;
        Bind(gifToDib_, "GIFtoDIBex");
        Bind(gifMToDib_, "GIFMtoDIBex");
        Bind(info_, "InfoGIF");
        Bind(infoM_, "InfoGIFM");
        Bind(ani_, "GIFAniToDIB");
        Bind(aniM_, "GIFMAniToDIB");
        Bind(toGif_, "DIBtoGIFex");
        deleteDib_ = reinterpret_cast<DeleteDIB_t>(GetProcAddress(module_, "DeleteDIB"));  // may be absent

        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        folder_ = Widen(temp);
#ifdef QV_ANSI
        folder_ += "gif test\\";
        CreateDirectoryA(folder_.c_str(), nullptr);
#else
        folder_ += L"gif \x00E9t\x00E9 \x4E2D\\";  // a name outside any ANSI code page
        CreateDirectoryW(folder_.c_str(), nullptr);
#endif
        source_ = folder_ + PATH_TEXT("anim.gif");
        WriteAll(source_, kAnimation, sizeof kAnimation);
    }
    void TearDown() override {
        for (DibHandle h : made_)
            if (deleteDib_ != nullptr && h != 0) deleteDib_(h);
        if (module_ != nullptr) FreeLibrary(module_);
    }

    template <typename F>
    void Bind(F &f, const char *name) {
        f = reinterpret_cast<F>(reinterpret_cast<void *>(GetProcAddress(module_, name)));
        ASSERT_NE(f, nullptr) << name;
    }
    static void WriteAll(const PathString &path, const void *bytes, DWORD n) {
#ifdef QV_ANSI
        HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
#else
        HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
#endif
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        DWORD wrote = 0;
        WriteFile(h, bytes, n, &wrote, nullptr);
        CloseHandle(h);
        ASSERT_EQ(wrote, n);
    }

    HMODULE module_ = nullptr;
    GIFtoDIBex_t gifToDib_ = nullptr;
    GIFMtoDIBex_t gifMToDib_ = nullptr;
    InfoGIF_t info_ = nullptr;
    InfoGIFM_t infoM_ = nullptr;
    GIFAniToDIB_t ani_ = nullptr;
    GIFMAniToDIB_t aniM_ = nullptr;
    DIBtoGIFex_t toGif_ = nullptr;
    DeleteDIB_t deleteDib_ = nullptr;
    PathString folder_, source_;
    std::vector<DibHandle> made_;
};

TEST_F(GifExports, InfoAndFramesFromAFileAndFromMemoryAgree) {
    GifInfo fromFile, fromMemory;
    ASSERT_EQ(info_(source_.c_str(), &fromFile), 2);
    ASSERT_EQ(infoM_(kAnimation, sizeof kAnimation, &fromMemory), 2);
    EXPECT_EQ(0, std::memcmp(&fromFile, &fromMemory, sizeof fromFile));
    EXPECT_EQ(fromFile.screenWidth, 6);
    EXPECT_EQ(fromFile.screenHeight, 4);
    EXPECT_EQ(fromFile.loopFlag, 1);
    EXPECT_EQ(fromFile.loopCount, 5);
    EXPECT_EQ(fromFile.backgroundIndex, 1);

    GifFrameRecord records[2];
    ASSERT_EQ(ani_(source_.c_str(), records, 2, 0), 2);
    for (const auto &r : records) made_.push_back(r.picture);
    EXPECT_NE(records[0].picture, 0);
    EXPECT_NE(records[1].picture, 0);
    EXPECT_NE(records[0].picture, records[1].picture);
    EXPECT_EQ(records[0].delay, 9);
    EXPECT_EQ(records[0].disposal, 2);
    EXPECT_EQ(records[0].transparentIndex, kGifNoIndex);
    EXPECT_EQ(records[1].left, 2);
    EXPECT_EQ(records[1].top, 1);
    EXPECT_EQ(records[1].delay, 20);
    EXPECT_EQ(records[1].transparentIndex, 4);
    EXPECT_EQ(records[1].disposal, 1);

    // A spare argument that points to a record receives the screen as well.
    GifFrameRecord again[2];
    GifInfo viaSpare{};
    ASSERT_EQ(aniM_(kAnimation, sizeof kAnimation, again, 2, reinterpret_cast<intptr_t>(&viaSpare)), 2);
    for (const auto &r : again) made_.push_back(r.picture);
    EXPECT_EQ(0, std::memcmp(&viaSpare, &fromFile, sizeof viaSpare));
}

TEST_F(GifExports, StillWritesBackAndReadsAgain) {
    GifStillInfo still{};
    still.flags = kGifStillPreset;
    const DibHandle h = gifToDib_(source_.c_str(), &still);
    ASSERT_NE(h, 0);
    made_.push_back(h);
    EXPECT_EQ(still.flags, kGifStillPreset | kGifStillBackground);

    GifSaveOptions options{};
    options.flags = kGifSaveInterlace | 0x20008;
    options.transparentIndex = 2;
    const PathString out = folder_ + PATH_TEXT("written.gif");
    ASSERT_EQ(toGif_(out.c_str(), h, &options), 1);
    GifStillInfo back{};
    const DibHandle h2 = gifToDib_(out.c_str(), &back);
    ASSERT_NE(h2, 0);
    made_.push_back(h2);
    EXPECT_EQ(back.flags & kGifStillTransparent, kGifStillTransparent);
    EXPECT_EQ(back.transparentIndex, 2u);
    GifInfo info;
    EXPECT_EQ(info_(out.c_str(), &info), 1);
    EXPECT_EQ(info.width, 6);
    EXPECT_EQ(info.height, 4);
}

TEST_F(GifExports, FailuresReturnZeroAndEmptyRecords) {
    const PathString missing = folder_ + PATH_TEXT("missing.gif");
    GifStillInfo still;
    std::memset(&still, 0xCC, sizeof still);
    EXPECT_EQ(gifToDib_(missing.c_str(), &still), 0);
    EXPECT_EQ(still.flags, 0u);
    GifInfo info;
    std::memset(&info, 0xCC, sizeof info);
    EXPECT_EQ(info_(missing.c_str(), &info), 0);
    EXPECT_EQ(info.frameCount, 0);
    GifFrameRecord records[2];
    std::memset(records, 0xCC, sizeof records);
    EXPECT_EQ(ani_(missing.c_str(), records, 2, 0), 0);
    EXPECT_EQ(records[0].picture, 0);
    EXPECT_EQ(records[1].picture, 0);
    EXPECT_EQ(gifMToDib_(kAnimation, 20, nullptr), 0);
    EXPECT_EQ(toGif_(missing.c_str(), 0, nullptr), 0);
}

}  // namespace
