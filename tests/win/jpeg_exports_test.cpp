// The JPEG entry points of the built dibcore.dll of this flavour, loaded as
// the program loads it: reading from a file and from memory, writing
// baseline and progressive, and the failures.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "dibcore_api.h"

namespace {

#ifdef UNICODE
using PathString = std::wstring;
const char *kFlavourDir = "Quivelta";
#else
using PathString = std::string;
const char *kFlavourDir = "Quivelta98";
#endif

// A Unix path of the build tree as Wine sees it.
std::string WinePath(const std::string &unix) {
    std::string p = "Z:" + unix;
    for (char &c : p)
        if (c == '/') c = '\\';
    return p;
}

PathString Widen(const std::string &s) { return PathString(s.begin(), s.end()); }

std::vector<uint8_t> ReadAll(const std::string &path) {
    std::vector<uint8_t> bytes;
    HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return bytes;
    DWORD size = GetFileSize(f, nullptr), got = 0;
    bytes.resize(size);
    if (size) ReadFile(f, bytes.data(), size, &got, nullptr);
    CloseHandle(f);
    bytes.resize(got);
    return bytes;
}

bool HasMarker(const std::vector<uint8_t> &f, uint8_t m) {
    for (size_t i = 0; i + 1 < f.size(); ++i)
        if (f[i] == 0xFF && f[i + 1] == m) return true;
    return false;
}

class JpegExports : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string dll = WinePath(std::string(QV_BUILD_DIR) + "/" + kFlavourDir + "/data/dibcore.dll");
        module_ = LoadLibraryA(dll.c_str());
        ASSERT_NE(module_, nullptr) << dll;
        jpgToDib_ = reinterpret_cast<JPGtoDIB_t>(GetProcAddress(module_, "JPGtoDIB"));
        jpgmToDib_ = reinterpret_cast<JPGMtoDIB_t>(GetProcAddress(module_, "JPGMtoDIB"));
        dibToJpg_ = reinterpret_cast<DIBtoJPG_t>(GetProcAddress(module_, "DIBtoJPG"));
        ASSERT_TRUE(jpgToDib_ && jpgmToDib_ && dibToJpg_);
        fixture_ = WinePath(std::string(QV_TEST_FIXTURES) + "/jpeg/small420.jpg");
        outDir_ = WinePath(std::string(QV_BUILD_DIR) + "/wintests");
    }
    void TearDown() override {
        if (module_) FreeLibrary(module_);
    }
    HMODULE module_ = nullptr;
    JPGtoDIB_t jpgToDib_ = nullptr;
    JPGMtoDIB_t jpgmToDib_ = nullptr;
    DIBtoJPG_t dibToJpg_ = nullptr;
    std::string fixture_, outDir_;
};

TEST_F(JpegExports, ReadFromFileAndMemory) {
    const PathString path = Widen(fixture_);
    EXPECT_NE(jpgToDib_(path.c_str()), 0);
    const std::vector<uint8_t> bytes = ReadAll(fixture_);
    ASSERT_GT(bytes.size(), 100u);
    EXPECT_NE(jpgmToDib_(bytes.data(), static_cast<uint32_t>(bytes.size())), 0);
    // A file cut inside its image data still shows what it holds; one cut
    // before any image data is refused.
    size_t sos = 0;
    for (size_t i = 0; i + 1 < bytes.size() && !sos; ++i)
        if (bytes[i] == 0xFF && bytes[i + 1] == 0xDA) sos = i;
    ASSERT_NE(sos, 0u);
    EXPECT_NE(jpgmToDib_(bytes.data(), static_cast<uint32_t>((sos + bytes.size()) / 2)), 0);
    EXPECT_EQ(jpgmToDib_(bytes.data(), static_cast<uint32_t>(sos)), 0);
}

TEST_F(JpegExports, FailuresGiveZero) {
    const PathString missing = Widen(outDir_ + "\\no such file.jpg");
    EXPECT_EQ(jpgToDib_(missing.c_str()), 0);
    const uint8_t png[8] = {0x89, 'P', 'N', 'G', 13, 10, 26, 10};
    EXPECT_EQ(jpgmToDib_(png, sizeof png), 0);
    EXPECT_EQ(jpgmToDib_(nullptr, 100), 0);
    const PathString out = Widen(outDir_ + "\\never.jpg");
    EXPECT_EQ(dibToJpg_(out.c_str(), 0, 90, 0), 0);
    EXPECT_EQ(dibToJpg_(out.c_str(), 0x7FFF0000, 90, 0), 0);
    EXPECT_EQ(GetFileAttributesA((outDir_ + "\\never.jpg").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(JpegExports, WriteBaselineAndProgressiveAndReadBack) {
    const std::vector<uint8_t> bytes = ReadAll(fixture_);
    const DibHandle picture = jpgmToDib_(bytes.data(), static_cast<uint32_t>(bytes.size()));
    ASSERT_NE(picture, 0);
    struct Case {
        const char *name;
        int32_t quality;
        uint32_t flags;
        uint8_t frame;
    } cases[] = {
        {"q90.jpg", 90, 0, 0xC0},
        {"q1p.jpg", 1, 1, 0xC2},
        {"q0.jpg", 0, 0, 0xC0},      // below the range: written at 1
        {"q250p.jpg", 250, 3, 0xC2},  // above: written at 100; other flag bits ignored
    };
    for (const Case &c : cases) {
        // A name beyond ASCII in the UTF-16 flavour.
#ifdef UNICODE
        const std::wstring out = Widen(outDir_ + "\\jpeg_") + L"\u00e9" + Widen(c.name);
#else
        const std::string out = outDir_ + "\\jpeg_" + c.name;
#endif
        ASSERT_EQ(dibToJpg_(out.c_str(), picture, c.quality, c.flags), 1) << c.name;
#ifdef UNICODE
        HANDLE f = CreateFileW(out.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(f, INVALID_HANDLE_VALUE);
        std::vector<uint8_t> written(GetFileSize(f, nullptr));
        DWORD got = 0;
        ReadFile(f, written.data(), static_cast<DWORD>(written.size()), &got, nullptr);
        CloseHandle(f);
#else
        const std::vector<uint8_t> written = ReadAll(out);
#endif
        ASSERT_GT(written.size(), 100u) << c.name;
        EXPECT_EQ(written[0], 0xFF);
        EXPECT_EQ(written[1], 0xD8);
        EXPECT_TRUE(HasMarker(written, c.frame)) << c.name;
        EXPECT_NE(jpgToDib_(out.c_str()), 0) << c.name;
    }
}

}  // namespace
