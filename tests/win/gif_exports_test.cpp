// The GIF entry points of the built dibcore.dll, loaded as the program loads
// it, in both text flavours: file paths (UTF-16 names in the Unicode build),
// the memory forms, the records as the program reads them, and the writer.
#include <gtest/gtest.h>

#include "support/gif_fixture.h"
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "dib_gif.h"
#include "dibcore_api.h"

namespace {

using winfix::kAnimation;

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
