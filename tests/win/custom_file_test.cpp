// Custom.dat on disk: keys saved and read back, other chunks kept byte for
// byte, damaged files read as far as they are sound, and a save that cannot
// happen reported with the old file left as it was.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "other/qv_Cfg.h"
#include "other/qv_CmdLine.h"
#include "other/qv_CustomCore.h"
#include "other/qv_CustomFile.h"
#include "other/qv_Instance.h"
#include "other/qv_KeyMap.h"
#include "support/capture_boxes.h"
#include "support/user_folder.h"
#include "util/qv_SafeSave.h"

namespace {

using Bytes = std::string;

Bytes U16(unsigned v) { return Bytes{char(v & 0xFF), char(v >> 8)}; }
Bytes U32(uint32_t v) { return U16(v & 0xFFFF) + U16(v >> 16); }
Bytes Header() { return Bytes(reinterpret_cast<const char *>(kCustomSignature), kCustomHeaderSize); }
Bytes Chunk(const char *tag, const Bytes &data, int64_t lengthField = -1) {
    return U32(lengthField < 0 ? uint32_t(data.size()) : uint32_t(lengthField)) + Bytes(tag, 4) + data + U32(0);
}
// "Keys" data of one or more records {command, flags[], codes[]}.
struct Rec {
    uint16_t command;
    std::vector<std::pair<uint8_t, uint16_t>> keys;
};
Bytes KeysData(uint16_t form, const std::vector<Rec> &records) {
    Bytes b = U32(0) + U16(form) + U16(unsigned(records.size()));
    for (const Rec &r : records) {
        b += U16(r.command) + U16(unsigned(r.keys.size()));
        for (const auto &k : r.keys) b += char(k.first);
        for (const auto &k : r.keys) b += U16(k.second);
    }
    const uint32_t pad = uint32_t((4 - (b.size() + 4) % 4) % 4);
    return b + U32(pad) + Bytes(pad, '\0');
}

std::vector<Rec> Records(const KeyTable &t) {
    std::vector<Rec> out;
    for (int32_t i = 0; i < t.count; ++i) {
        Rec r{t.items[i].command, {}};
        for (int k = 0; k < t.items[i].count; ++k) r.keys.emplace_back(t.items[i].flags[k], t.items[i].key[k]);
        out.push_back(r);
    }
    return out;
}
bool operator==(const Rec &a, const Rec &b) { return a.command == b.command && a.keys == b.keys; }

void SetMap(KeyTable *t, const std::vector<Rec> &records) {
    ASSERT_EQ(KeyMap_Alloc(t, int32_t(records.size())), 1);
    for (size_t i = 0; i < records.size(); ++i) {
        t->items[i].command = records[i].command;
        t->items[i].count = int16_t(records[i].keys.size());
        for (size_t k = 0; k < records[i].keys.size(); ++k)
            t->items[i].flags[k] = records[i].keys[k].first, t->items[i].key[k] = records[i].keys[k].second;
    }
}

#ifdef UNICODE
constexpr uint16_t kOwnForm = 1, kOtherForm = 0;
#else
constexpr uint16_t kOwnForm = 0, kOtherForm = 1;
#endif

const std::vector<Rec> kUserKeys = {
    {40062, {{0x01, 0x20}, {0x01, 0x60}}},
    {40082, {{0x00, '+'}, {0x01, 0x6B}, {0x00, ';'}}},
    {45102, {{0x1D, 0x27}}},
    {65535, {{0x09, 'Q'}}},
};

class CustomFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.Open());
        ASSERT_EQ(Cfg_EnsureFolders(), 0);
        path_ = folder_.path() + TEXT("\\user\\tester\\Custom.dat");
    }
    void TearDown() override {
        KeyMap_Free(&g_keyMap);
        Cfg_ResetForTests();
        Instance_Release();
        g_cmdLine = CommandLine{};
    }
    int SaveKeys(const std::vector<Rec> &records) {
        SetMap(&g_keyMap, records);
        return KeyMap_SaveChunk();
    }

    TestUserFolder folder_{TEXT("custom"), TEXT("tester")};
    tstring path_;
};

TEST_F(CustomFileTest, KeysRoundTripInOwnTextForm) {
    ASSERT_EQ(SaveKeys(kUserKeys), 0);
    const Bytes file = ReadFileBytes(path_);
    ASSERT_EQ(file.substr(0, 16), Header());
    EXPECT_EQ(file.substr(20, 4), "Keys");
    // the build writes the text form it accepts on reading
    EXPECT_EQ(uint8_t(file[28]) | uint8_t(file[29]) << 8, kOwnForm);
    KeyTable back{0, nullptr};
    ASSERT_EQ(KeyMap_Load(&back, nullptr), 0);
    EXPECT_EQ(Records(back), kUserKeys);
    KeyMap_Free(&back);
    // a second save changes nothing
    ASSERT_EQ(SaveKeys(kUserKeys), 0);
    EXPECT_EQ(ReadFileBytes(path_), file);
}

TEST_F(CustomFileTest, SavingKeysKeepsOtherChunks) {
    const Bytes mous = Chunk("Mous", U32(0) + Bytes(128, '\x05'));
    const Bytes other = Chunk("Xtra", Bytes("abcd"));
    ASSERT_TRUE(WriteFileBytes(path_, Header() + mous + Chunk("Keys", KeysData(kOwnForm, {{1, {{1, 1}}}})) + other));
    ASSERT_EQ(SaveKeys(kUserKeys), 0);
    const Bytes file = ReadFileBytes(path_);
    EXPECT_EQ(file.substr(0, 16 + mous.size() + other.size()), Header() + mous + other);
    uint8_t mousData[132];
    uint32_t length = 0;
    EXPECT_EQ(CustomFile_ReadChunk(nullptr, "Mous", mousData, sizeof mousData, &length), 0);
    EXPECT_EQ(length, 132u);
    EXPECT_EQ(CustomFile_ReadChunk(nullptr, "Mous", mousData, 131, &length), 1);
    EXPECT_EQ(CustomFile_ReadChunk(nullptr, "None", mousData, 132, &length), 254);
    // WriteChunk for another tag leaves the keys byte for byte
    const Bytes keysBefore = file.substr(16 + mous.size() + other.size());
    ASSERT_EQ(CustomFile_WriteChunk("Mous", reinterpret_cast<const uint8_t *>(mous.data() + 8), 132), 0);
    ASSERT_EQ(CustomFile_WriteChunk("Mous", reinterpret_cast<const uint8_t *>(mous.data() + 8), 132), 0);
    EXPECT_EQ(ReadFileBytes(path_), Header() + other + keysBefore + mous);
}

TEST_F(CustomFileTest, DamagedFilesReadWhatIsSound) {
    const Bytes keys = Chunk("Keys", KeysData(kOwnForm, {{40062, {{1, 0x20}}}}));
    const Bytes mous = Chunk("Mous", U32(0) + Bytes(128, '\0'));
    struct Case {
        const char *name;
        Bytes file;
        int expect;
    } cases[] = {
        {"no file", Bytes(), 255},
        {"10-byte file", Header().substr(0, 10), 254},
        {"wrong signature", Bytes(16, 'x') + keys, 254},
        {"short chunk before keys", Header() + Chunk("Mous", Bytes(4, '\0'), 900) + keys, 254},
        {"huge length before keys", Header() + Chunk("Mous", Bytes(4, '\0'), 0xFFFFFFF0u) + keys, 254},
        {"placeholder length left by a crash", Header() + Chunk("Keys", Bytes(16, '\0'), 0xFFFFFFFFu), 254},
        {"keys then placeholder", Header() + keys + Chunk("Mous", Bytes(4, '\0'), 0xFFFFFFFFu), 0},
        {"stray tail", Header() + mous + keys + Bytes("\x01\x02\x03", 3), 0},
        {"keys chunk of 8 bytes", Header() + Chunk("Keys", Bytes(8, '\0')), 1},
        {"first word not 0", Header() + Chunk("Keys", U32(7) + KeysData(kOwnForm, {}).substr(4)), 4},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        DeleteFile(path_.c_str());
        if (!c.file.empty()) {
            ASSERT_TRUE(WriteFileBytes(path_, c.file));
        }
        KeyTable t{0, nullptr};
        EXPECT_EQ(KeyMap_Load(&t, nullptr), c.expect);
        if (c.expect == 0) {
            EXPECT_EQ(Records(t), (std::vector<Rec>{{40062, {{1, 0x20}}}}));
        }
        KeyMap_Free(&t);
        // a save over the damage leaves a sound file that reads back
        ASSERT_EQ(SaveKeys(kUserKeys), 0);
        const Bytes saved = ReadFileBytes(path_);
        uint64_t offset = 0;
        uint32_t length = 0;
        ASSERT_EQ(Custom_FindChunkIn(reinterpret_cast<const uint8_t *>(saved.data()), saved.size(), "Keys", &offset, &length), 0);
        EXPECT_EQ(offset + length + 4, saved.size());
        ASSERT_EQ(KeyMap_Load(&t, nullptr), 0);
        EXPECT_EQ(Records(t), kUserKeys);
        KeyMap_Free(&t);
        KeyMap_Free(&g_keyMap);
    }
}

TEST_F(CustomFileTest, FailedSaveIsReportedAndKeepsTheOldFile) {
    ASSERT_EQ(SaveKeys(kUserKeys), 0);
    const Bytes before = ReadFileBytes(path_);
    // The new file is written beside Custom.dat first; a failing flush of it
    // (a full disk) stops the save before Custom.dat is touched.
    {
        struct FailingFlush {
            FailingFlush() { g_safeSaveSeams.flushFileBuffers = [](HANDLE) -> BOOL { return FALSE; }; }
            ~FailingFlush() { SafeSave_ResetSeams(); }
        } failingFlush;
        CaptureBoxes boxes;
        EXPECT_NE(SaveKeys({{40001, {{1, 'O'}}}}), 0);
        ASSERT_EQ(boxes.boxes().size(), 1u);
        EXPECT_NE(boxes.boxes()[0].text.find(TEXT("Custom.dat")), tstring::npos);
    }
    EXPECT_EQ(ReadFileBytes(path_), before);
    // A read-only Custom.dat cannot be replaced.
    ASSERT_TRUE(SetFileAttributes(path_.c_str(), FILE_ATTRIBUTE_READONLY));
    {
        CaptureBoxes boxes;
        EXPECT_NE(SaveKeys({{40001, {{1, 'O'}}}}), 0);
        EXPECT_EQ(boxes.boxes().size(), 1u);
    }
    EXPECT_EQ(ReadFileBytes(path_), before);
    SetFileAttributes(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
    // Custom.dat itself a folder: nothing can be read or replaced.
    DeleteFile(path_.c_str());
    ASSERT_TRUE(CreateDirectory(path_.c_str(), nullptr));
    {
        CaptureBoxes boxes;
        EXPECT_NE(SaveKeys(kUserKeys), 0);
        EXPECT_EQ(boxes.boxes().size(), 1u);
    }
    RemoveDirectory(path_.c_str());
}

TEST_F(CustomFileTest, OtherBuildsChunk) {
#ifdef UNICODE
    // An ANSI-build chunk: its character keys are bytes of the code page and
    // are converted; a byte that is no character there loses only that key.
    const char euroByte = char(0x80);
    WCHAR converted[2] = {0, 0};
    ASSERT_EQ(MultiByteToWideChar(CP_ACP, 0, &euroByte, 1, converted, 2), 1);
    int invalid = -1;
    for (int b = 0x80; b <= 0xFF && invalid < 0; ++b) {
        const char c = char(b);
        WCHAR w[2];
        if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, &c, 1, w, 2) != 1) invalid = b;
    }
    std::vector<Rec> records = {{40082, {{0, '+'}, {1, 0x6B}}}, {40083, {{0, 0x80}}}};
    if (invalid >= 0) records[0].keys.emplace_back(0, uint16_t(invalid));
    if (invalid >= 0) records.push_back({40084, {{0, uint16_t(invalid)}}});
    ASSERT_TRUE(WriteFileBytes(path_, Header() + Chunk("Keys", KeysData(kOtherForm, records))));
    KeyTable t{0, nullptr};
    ASSERT_EQ(KeyMap_Load(&t, nullptr), 0);
    EXPECT_EQ(Records(t), (std::vector<Rec>{{40082, {{0, '+'}, {1, 0x6B}}}, {40083, {{0, uint16_t(converted[0])}}}}));
    KeyMap_Free(&t);
#else
    // The UTF-16 build's chunk is refused; start-up then takes the default map.
    ASSERT_TRUE(WriteFileBytes(path_, Header() + Chunk("Keys", KeysData(kOtherForm, {{40083, {{0, 'A'}}}}))));
    KeyTable t{0, nullptr};
    EXPECT_EQ(KeyMap_Load(&t, nullptr), 5);
    EXPECT_EQ(t.count, 0);
#endif
}

}  // namespace
