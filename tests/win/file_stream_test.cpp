// The file stream over files and memory, the small file-system functions,
// safe names, the registry wrappers and the colour seeding.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "util/qv_FileStream.h"
#include "util/qv_Registry.h"
#include "support/temp_folder.h"

namespace {

TEST(FileStreamMemory, ReadsAndSeeksInsideTheBlock) {
    uint8_t block[100];
    for (int i = 0; i < 100; ++i) block[i] = uint8_t(i);
    FileStream s;
    ASSERT_EQ(File_OpenMemory(&s, block, 100), 1);
    EXPECT_EQ(File_OpenMemory(&s, block, 100), 0);  // already a memory stream
    uint8_t out[100];
    uint32_t got = 0;
    EXPECT_EQ(File_Read(out, &got, 10, &s), 0);  // not opened for reading yet
    ASSERT_EQ(File_Open(&s, GENERIC_READ, 0, 0, 0), 1);
    int32_t pos = 60;
    ASSERT_EQ(File_SeekSet(&s, &pos, 0), 1);
    EXPECT_EQ(File_Read(out, &got, 100, &s), 1);  // 40 left
    EXPECT_EQ(got, 40u);
    EXPECT_EQ(out[0], 60);
    EXPECT_EQ(File_Read(out, &got, 100, &s), 1);
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(File_MemCurrentPtr(&s), nullptr);
    int32_t back = -1;
    EXPECT_EQ(File_SeekSet(&s, &back, 0), 0);  // before the start: refused
    int32_t low = 0, high = 0;
    EXPECT_EQ(File_Tell(&s, &low, &high), 1);
    EXPECT_EQ(low, 100);
    int32_t beyond = 50;
    EXPECT_EQ(File_SeekSet(&s, &beyond, 2), 1);  // beyond the end is allowed
    EXPECT_EQ(beyond, 150);
    EXPECT_EQ(File_MemRemaining(&s, nullptr), 0u);
    int32_t bad = 0;
    EXPECT_EQ(File_SeekSet(&s, &bad, 3), 0);
    EXPECT_EQ(File_Write(block, 1, &s, nullptr), 0);  // memory streams are read-only
    EXPECT_EQ(File_Truncate(&s), 0);
    EXPECT_EQ(File_ReadExact(out, &s, 1), 0);
}

TEST(FileStreamFile, WriteReadSizeAndTimes) {
    TempFolder temp(TEXT("fs"));
    FileStream s;
    const TCHAR *pieces[] = {temp.path().c_str(), TEXT("sub"), nullptr};
    ASSERT_EQ(File_SetPathJoined(pieces, &s), 1);
    EXPECT_EQ(File_CreateFolder(s.path), 0);
    EXPECT_EQ(File_CreateFolder(s.path), 0);  // already a folder
    const tstring file = temp.Join(TEXT("sub\\data.bin"));
    ASSERT_EQ(File_SetPath(file.c_str(), &s), 1);
    EXPECT_EQ(File_Exists(&s), 0);
    ASSERT_EQ(File_Open(&s, GENERIC_WRITE, 0, CREATE_ALWAYS, 0), 1);
    uint32_t written = 0;
    ASSERT_EQ(File_Write("hello world", 11, &s, &written), 1);
    EXPECT_EQ(written, 11u);
    File_Close(&s);
    EXPECT_EQ(File_CreateFolder(file.c_str()), 1);  // a file, not a folder
    uint32_t low = 0, high = 0;
    ASSERT_EQ(File_GetSize(&s, &low, &high), 1);
    EXPECT_EQ(low, 11u);
    EXPECT_FALSE(File_IsOpen(&s));  // opened for the call only
    FILETIME t{};
    EXPECT_EQ(File_GetTimes(&s, nullptr, nullptr, &t), 1);
    EXPECT_FALSE(File_IsOpen(&s));
    ASSERT_EQ(File_OpenRead(0, &s), 1);
    char buffer[16] = {};
    EXPECT_EQ(File_ReadExact(buffer, &s, 11), 1);
    EXPECT_STREQ(buffer, "hello world");
    EXPECT_EQ(File_Delete(&s), 1);
    EXPECT_EQ(File_Exists(&s), 0);
    EXPECT_EQ(File_CreateFolder(TEXT("")), 2);
}

TEST(FileNames, SanitizeAndBadCharacters) {
    struct Case {
        const TCHAR *in, *out;
        int changed;
    } cases[] = {
        {TEXT(".."), TEXT("__"), 1},     {TEXT("a:b"), TEXT("a_b"), 1},   {TEXT("plain"), TEXT("plain"), 0},
        {TEXT("aux.txt"), TEXT("au_.txt"), 1}, {TEXT("LPT9"), TEXT("LPT_"), 1}, {TEXT("end. "), TEXT("end__"), 1},
    };
    for (const auto &k : cases) {
        TCHAR name[64];
        lstrcpy(name, k.in);
        EXPECT_EQ(File_SanitizeName(name), k.changed);
        EXPECT_EQ(tstring(name), tstring(k.out));
    }
    EXPECT_TRUE(File_HasBadNameChars(TEXT("a\\b"), 0));
    EXPECT_TRUE(File_HasBadNameChars(TEXT("C:\\a"), 0));
    EXPECT_FALSE(File_HasBadNameChars(TEXT("\\a\\b"), 1));
    EXPECT_TRUE(File_HasBadNameChars(TEXT("a?b"), 1));
}

TEST(Registry, DeleteTreeAndSlots) {
    TCHAR base[64];
    wsprintf(base, TEXT("Software\\QuiveltaTest_%lu_%d"), GetCurrentProcessId(), int(sizeof(TCHAR)));
    RegKey root;
    ASSERT_EQ(RegKey_Create({HKEY_CURRENT_USER, base, KEY_ALL_ACCESS}, &root), ERROR_SUCCESS);
    for (const TCHAR *path : {TEXT("t\\a\\b\\c"), TEXT("t\\a\\d"), TEXT("t\\e")}) {
        RegKey k;
        ASSERT_EQ(RegKey_Create({root.key, path, KEY_ALL_ACCESS}, &k), ERROR_SUCCESS);
        EXPECT_EQ(RegKey_SetString(TEXT("value"), &k, TEXT("name")), ERROR_SUCCESS);
    }
    EXPECT_EQ(RegKey_DeleteTree(&root, TEXT("")), LONG(1011));  // would name the parent
    EXPECT_EQ(RegKey_DeleteTree(&root, nullptr), LONG(1011));
    RegKey none;
    EXPECT_EQ(RegKey_DeleteTree(&none, TEXT("t")), LONG(1010));
    EXPECT_EQ(RegKey_DeleteTree(&root, TEXT("t")), ERROR_SUCCESS);
    RegKey probe;
    EXPECT_EQ(RegKey_TryOpen(&probe, root.key, TEXT("t"), KEY_READ), 0);
    EXPECT_EQ(probe.key, nullptr);
    EXPECT_EQ(RegKey_TryOpen(&probe, HKEY_CURRENT_USER, base, KEY_READ), 1);
    EXPECT_NE(probe.key, nullptr);
    RegKey_Release(&probe);
    RegKey_Release(&root);
    RegDeleteKey(HKEY_CURRENT_USER, base);
}

COLORREF RepeatingColours(int index) {
    static const COLORREF kColours[] = {0, 0xFFFFFF, 0x102030, 0x102030, 0x405060, 0, 0x102030};
    return index < 7 ? kColours[index] : COLORREF(0x405060);
}

TEST(Colours, SeedKeepsEachValueOnce) {
    COLORREF out[16];
    Color_SeedFrom(RepeatingColours, out);
    EXPECT_EQ(out[0], COLORREF(0x102030));
    EXPECT_EQ(out[1], COLORREF(0x405060));
    for (int i = 2; i < 16; ++i) EXPECT_EQ(out[i], COLORREF(0)) << i;
}

}  // namespace
