// Loading data\mekorand.dat: files written here from the table's layout,
// each way a file can be refused (no table is left and the next load tries
// again), the table source the masks use, and releasing the movable block.
#include <gtest/gtest.h>

#include <string>

#include "image/qv_CellMask.h"
#include "image/qv_MekoLoad.h"
#include "other/qv_CmdLine.h"
#include "other/qv_Mem.h"
#include "support/temp_folder.h"
#include "util/qv_Crc32.h"

namespace {

void PutU32(std::string *s, uint32_t v) {
    for (int i = 0; i < 4; ++i) s->push_back(char(uint8_t(v >> (8 * i))));
}

// Signature, length, CRC-32 of the data, then the data.
std::string TableFile(const std::string &data) {
    std::string file("\xAF" "DAT\r\n\x1A\nMekoRand", 16);
    PutU32(&file, uint32_t(data.size()));
    PutU32(&file, Util_Crc32(data.size(), reinterpret_cast<const uint8_t *>(data.data())));
    return file + data;
}

// n entries 0, 1, 2, ... as little-endian u16.
std::string Entries(uint32_t n) {
    std::string data;
    for (uint32_t i = 0; i < n; ++i) {
        data.push_back(char(uint8_t(i * 7)));
        data.push_back(char(uint8_t(i >> 8)));
    }
    return data;
}

// A program folder of its own with a data folder in it.
class ProgramFolder {
public:
    ProgramFolder() : temp_(TEXT("meko")) { CreateDirectory(temp_.Join(TEXT("data")).c_str(), nullptr); }
    const tstring &path() const { return temp_.path(); }
    bool Write(const std::string &bytes) { return WriteFileBytes(temp_.Join(TEXT("data\\mekorand.dat")), bytes); }
    void Remove() { DeleteFile(temp_.Join(TEXT("data\\mekorand.dat")).c_str()); }

private:
    TempFolder temp_;
};

class MekoLoad : public ::testing::Test {
protected:
    void TearDown() override {
        Meko_FreeTable();
        g_mekoTableSource = nullptr;
    }
    ProgramFolder folder;
};

TEST_F(MekoLoad, RefusedFilesLeaveNoTableAndAGoodOneLoadsAfter) {
    const std::string good = TableFile(Entries(300));
    std::string badCrc = good;
    badCrc[30] ^= 1;
    std::string badSignature = good;
    badSignature[9] = 'X';
    std::string tooLong = TableFile(Entries(2));
    tooLong[16] = 0;  // length 65536
    tooLong[17] = 0;
    tooLong[18] = 1;
    struct Case {
        const char *name;
        bool present;
        std::string bytes;
    };
    const Case cases[] = {
        {"missing", false, ""},
        {"empty", true, ""},
        {"short header", true, good.substr(0, 23)},
        {"short data", true, good.substr(0, good.size() - 1)},
        {"bad CRC", true, badCrc},
        {"bad signature", true, badSignature},
        {"length out of range", true, tooLong},
        {"one byte of data", true, TableFile(std::string(1, 'x'))},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        // A good table first, so a refused file must also drop the old one.
        ASSERT_TRUE(folder.Write(good));
        ASSERT_EQ(Meko_LoadTableFrom(folder.path().c_str()), 1);
        folder.Remove();
        if (c.present) {
            ASSERT_TRUE(folder.Write(c.bytes));
        }
        EXPECT_EQ(Meko_LoadTableFrom(folder.path().c_str()), 0);
        MekoTable table{};
        EXPECT_FALSE(Meko_HeldTable(&table));
        // Retried: the next load reads the file again.
        ASSERT_TRUE(folder.Write(good));
        ASSERT_EQ(Meko_LoadTableFrom(folder.path().c_str()), 1);
        ASSERT_TRUE(Meko_HeldTable(&table));
        EXPECT_EQ(table.count, 300u);
        EXPECT_EQ(MekoTable_Entry(table, 299), uint16_t(((299 * 7) & 0xFF) | 1 << 8));
    }
    EXPECT_EQ(Meko_LoadTableFrom(nullptr), 0);
}

TEST_F(MekoLoad, TheLongestTableAndBytesAfterIt) {
    std::string file = TableFile(Entries(32767) + "z");  // 65535 bytes: the last is no entry
    file += "trailing bytes are not read";
    ASSERT_TRUE(folder.Write(file));
    ASSERT_EQ(Meko_LoadTableFrom(folder.path().c_str()), 1);
    MekoTable table{};
    ASSERT_TRUE(Meko_HeldTable(&table));
    EXPECT_EQ(table.count, 32767u);
}

TEST_F(MekoLoad, TheSourceLoadsOnFirstUseFromTheProgramFolder) {
    TCHAR *const savedDir = g_cmdLine.programDir;
    tstring dir = folder.path();
    g_cmdLine.programDir = &dir[0];
    Meko_InstallTableSource();
    ASSERT_NE(g_mekoTableSource, nullptr);
    MekoTable table{};
    EXPECT_FALSE(g_mekoTableSource(&table));  // no file yet
    ASSERT_TRUE(folder.Write(TableFile(Entries(10))));
    ASSERT_TRUE(g_mekoTableSource(&table));
    EXPECT_EQ(table.count, 10u);
    // Kept for the run: removing the file changes nothing.
    folder.Remove();
    ASSERT_TRUE(g_mekoTableSource(&table));
    EXPECT_EQ(table.count, 10u);
    g_cmdLine.programDir = savedDir;
}

TEST(GMemRelease, UnlocksAsOftenAsLockedAndClearsTheRecord) {
    GMemBlock block;
    EXPECT_EQ(GMem_Release(&block), 1);  // nothing held
    ASSERT_NE(GMem_Alloc(64, &block), nullptr);
    const HGLOBAL handle = block.handle;
    ASSERT_NE(GMem_Lock(&block), nullptr);
    ASSERT_NE(GMem_Lock(&block), nullptr);
    EXPECT_EQ(block.lockCount, 2u);
    EXPECT_EQ(GMem_Release(&block), 1);
    EXPECT_EQ(block.handle, nullptr);
    EXPECT_EQ(block.locked, nullptr);
    EXPECT_EQ(block.lockCount, 0u);
    EXPECT_EQ(block.size, 0u);
    EXPECT_EQ(GlobalFlags(handle), GMEM_INVALID_HANDLE);
    EXPECT_EQ(GMem_Release(nullptr), 0);
}

}  // namespace
