// Command-line splitting, switches, the user part of the settings folder,
// safe file names and the data-folder decision.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "other/qv_CmdLineCore.h"
#include "util/qv_StrCore.h"

namespace {

using U16 = std::u16string;

std::vector<U16> Split(const U16 &text, CmdLineParseResult *result = nullptr) {
    std::vector<char16_t> out(text.size() + 1, u'#');
    int argc = -1;
    const CmdLineParseResult r = CmdLine_ParseCore(text.c_str(), out.data(), &argc);
    if (result) *result = r;
    std::vector<U16> args;
    const char16_t *p = out.data();
    for (int i = 0; i < argc; ++i) {
        args.emplace_back(p);
        p += args.back().size() + 1;
        EXPECT_LE(size_t(p - out.data()), out.size()) << "output overran the input length + 1";
    }
    return args;
}

TEST(CmdLineParse, QuotingTable) {
    struct Case {
        U16 text;
        std::vector<U16> want;
    } cases[] = {
        {u"prog.exe \"C:\\My Pictures\\a b.jpg\" /slide", {u"prog.exe", u"C:\\My Pictures\\a b.jpg", u"/slide"}},
        {u"p a\\\\\"b c\"", {u"p", u"a\\b c"}},         // even run: half the backslashes, quote toggles
        {u"p a\\\"b", {u"p", u"a\"b"}},                  // odd run: a literal quote
        {u"p a\\\\\\\"b", {u"p", u"a\\\"b"}},            // three backslashes: one kept and a quote
        {u"p \"\"", {u"p"}},                             // an empty pair gives no argument
        {u"p \"\"\"\"", {u"p"}},                         // two pairs neither
        {u"p \"a\"\"b\"", {u"p", u"ab"}},                // doubled quote inside quotes toggles twice
        {u"p a\\\\b", {u"p", u"a\\\\b"}},                // backslashes before a non-quote stay
        {u"p\ta\t\tb", {u"p", u"a", u"b"}},              // tabs separate
        {u"p \"a\tb\"", {u"p", u"a\tb"}},                // and are kept inside quotes
        {u"  \t p   x  ", {u"p", u"x"}},                 // leading and trailing blanks
        {u"\"C:\\Program Files\\Q\\Quivelta.exe\" x", {u"C:\\Program Files\\Q\\Quivelta.exe", u"x"}},
        {u"p \"open", {u"p", u"open"}},                  // an unterminated quote ends with the text
        {u"p a\\", {u"p", u"a\\"}},
    };
    for (const auto &k : cases) {
        EXPECT_EQ(Split(k.text), k.want) << std::string(k.text.begin(), k.text.end());
    }
}

TEST(CmdLineParse, EmptyAndBlankInputsAreErrors) {
    CmdLineParseResult r;
    EXPECT_TRUE(Split(u"", &r).empty());
    EXPECT_EQ(r, kParseEmpty);
    EXPECT_TRUE(Split(u" \t  ", &r).empty());
    EXPECT_EQ(r, kParseBlanksOnly);
    EXPECT_TRUE(Split(u"\"\"", &r).empty());  // only an empty pair: no argument at all
    EXPECT_EQ(r, kParseOk);
}

TEST(CmdLineParse, AnsiBytesFollowTheSameRules) {
    const char *text = "p \"a b\" c\\\"d";
    std::vector<char> out(std::char_traits<char>::length(text) + 1);
    int argc = 0;
    ASSERT_EQ(CmdLine_ParseCore(text, out.data(), &argc), kParseOk);
    ASSERT_EQ(argc, 3);
    EXPECT_STREQ(out.data() + 2, "a b");
    EXPECT_STREQ(out.data() + 6, "c\"d");
}

TEST(CmdLineSwitch, FoundFromArgumentOneWithCase) {
    const char16_t *argv[] = {u"/newwnd", u"/NEWWND", u"/newwnd2", u"x", u"/user=Bob", u"/newwnd", nullptr};
    const int argc = 6;
    // The program path (index 0) is never a switch.
    EXPECT_EQ(CmdLine_FindSwitchT(u"newwnd", argv, argc, true), 5);
    EXPECT_EQ(CmdLine_FindSwitchT(u"newwnd", argv, argc, false), 2);  // prefix match finds /newwnd2
    EXPECT_EQ(CmdLine_FindSwitchT(u"user=", argv, argc, false), 4);
    EXPECT_EQ(CmdLine_FindSwitchT(u"slide", argv, argc, true), -1);
    EXPECT_EQ(CmdLine_FindSwitchT(u"", argv, argc, true), -1);
    EXPECT_EQ(CmdLine_FindSwitchT(u"newwnd", argv, 1, true), -1);
    const char16_t *only[] = {u"/newwnd", nullptr};
    EXPECT_EQ(CmdLine_FindSwitchT(u"newwnd", only, 1, true), -1);
}

// Bitwise CRC-32, written apart from the table-driven one.
uint32_t ReferenceCrc(const std::vector<uint8_t> &bytes) {
    uint32_t c = 0xFFFFFFFFu;
    for (uint8_t b : bytes) {
        c ^= b;
        for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
    }
    return ~c;
}

void AsciiLower16(char16_t *t, size_t n) {
    for (size_t i = 0; i < n; ++i)
        if (t[i] >= u'A' && t[i] <= u'Z') t[i] = char16_t(t[i] + 32);
}
void AsciiLower8(char *t, size_t n) {
    for (size_t i = 0; i < n; ++i)
        if (t[i] >= 'A' && t[i] <= 'Z') t[i] = char(t[i] + 32);
}

std::string Hex8(uint32_t v) {
    char b[9];
    snprintf(b, sizeof b, "%08X", v);
    return b;
}

U16 Widen(const std::string &s) { return U16(s.begin(), s.end()); }

U16 UserPart(const U16 &name) {
    char16_t out[kUserPartUnits + 1];
    const size_t n = CmdLine_MakeUserPart(name.c_str(), AsciiLower16, out);
    EXPECT_EQ(n, qvtext::Length(out));
    return out;
}

std::vector<uint8_t> Utf16Bytes(const U16 &s) {
    std::vector<uint8_t> b;
    for (char16_t c : s) {
        b.push_back(uint8_t(c & 0xFF));
        b.push_back(uint8_t(c >> 8));
    }
    return b;
}

TEST(UserPart, LongNamesGetACrcSuffix) {
    const U16 forty = u"AbcdefghijKlmnopqrstUvwxyzABCDEFghijklmn";  // 40 units
    ASSERT_EQ(forty.size(), 40u);
    U16 lower = forty;
    AsciiLower16(&lower[0], lower.size());
    const U16 want = forty.substr(0, 22) + u"_" + Widen(Hex8(ReferenceCrc(Utf16Bytes(lower))));
    EXPECT_EQ(UserPart(forty), want);
    EXPECT_EQ(want.size(), 31u);

    const U16 thirtyOne(31, u'x');
    EXPECT_EQ(UserPart(thirtyOne), thirtyOne);  // 31 stays whole
    const U16 thirtyTwo(32, u'x');
    EXPECT_EQ(UserPart(thirtyTwo).size(), 31u);  // 32 is shortened
    EXPECT_EQ(UserPart(thirtyTwo).substr(0, 23), U16(22, u'x') + u"_");

    // Only the first 256 units count for the CRC.
    const U16 long300(300, u'q');
    EXPECT_EQ(UserPart(long300), U16(22, u'q') + u"_" + Widen(Hex8(ReferenceCrc(Utf16Bytes(U16(256, u'q'))))));
}

TEST(UserPart, CutNeverSplitsASurrogatePair) {
    // A pair at units 21..22: keeping 22 units would split it.
    U16 name = U16(21, u'a') + u"\xD83D\xDE00" + U16(15, u'b');
    const U16 got = UserPart(name);
    EXPECT_EQ(got.substr(0, 22), U16(21, u'a') + u"_");
    EXPECT_EQ(got.size(), 30u);
    // A pair at units 20..21 fits whole.
    name = U16(20, u'a') + u"\xD83D\xDE00" + U16(15, u'b');
    EXPECT_EQ(UserPart(name).substr(0, 23), U16(20, u'a') + u"\xD83D\xDE00_");
}

TEST(UserPart, BlanksBadCharactersAndDevices) {
    struct Case {
        U16 name, want;
    } cases[] = {
        {u"", u""},
        {u"   \t ", u""},
        {u"Bob", u"Bob"},
        {u"a:b", u"a_b"},
        {u"x\\y/z*?\"<>|", u"x_y_z______"},
        {u".", u"_"},
        {u"..", u"__"},
        {u"dom\x01n", u"dom_n"},
        {u"name.", u"name_"},
        {u"name. .", u"name___"},
        {u"CON", u"CO_"},
        {u"nul", u"nu_"},
        {u"Com7", u"Com_"},
        {u"LPT1.txt", u"LPT_.txt"},
        {u"COM10", u"COM10"},   // not a device
        {u"CONSOLE", u"CONSOLE"},
        {u"prn ", u"prn_"},    // the blank is made safe first, so no device remains
    };
    for (const auto &k : cases) EXPECT_EQ(UserPart(k.name), k.want) << std::string(k.name.begin(), k.name.end());
}

// A double-byte code page stand-in: bytes 0x81..0x9F lead a pair.
bool FakeLead(unsigned char c) { return c >= 0x81 && c <= 0x9F; }

TEST(UserPart, AnsiCountsBytesAndKeepsDoubleByteCharactersWhole) {
    qvtext::LeadByteTest saved = qvtext::g_leadByteTest;
    qvtext::g_leadByteTest = FakeLead;
    // 21 single bytes, then a pair whose trail byte is a backslash.
    std::string name = std::string(21, 'a') + "\x83\x5C" + std::string(10, 'b');
    char out[kUserPartUnits + 1];
    CmdLine_MakeUserPart(name.c_str(), AsciiLower8, out);
    std::string lower = name;
    AsciiLower8(&lower[0], lower.size());
    EXPECT_EQ(std::string(out), std::string(21, 'a') + "_" +
                                     Hex8(ReferenceCrc(std::vector<uint8_t>(lower.begin(), lower.end()))));
    // A whole pair is kept, and its trail byte is not taken for a backslash.
    std::string shortName = "ab\x83\x5C";
    CmdLine_MakeUserPart(shortName.c_str(), AsciiLower8, out);
    EXPECT_EQ(std::string(out), shortName);
    qvtext::g_leadByteTest = saved;
}

char16_t Fold(char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; }

TEST(DataFolder, InsideProgramFilesUsesAppData) {
    struct Case {
        U16 program, programFiles;
        bool want;
    } cases[] = {
        {u"C:\\Program Files\\Quivelta", u"C:\\Program Files", true},
        {u"C:\\Program Files", u"C:\\Program Files", true},
        {u"c:\\program files\\quivelta", u"C:\\Program Files", true},     // case
        {u"C:/Program Files//Quivelta/", u"C:\\Program Files", true},     // separators
        {u"C:\\Program Files\\", u"C:\\Program Files", true},
        {u"C:\\Program Files2\\Quivelta", u"C:\\Program Files", false},   // the trap
        {u"C:\\Program", u"C:\\Program Files", false},
        {u"D:\\Tools\\Quivelta", u"C:\\Program Files", false},
        {u"C:\\Program Files\\Quivelta", u"", false},                     // no program-files folder
    };
    for (const auto &k : cases)
        EXPECT_EQ(CmdLine_UsesAppDataFolder(k.program.c_str(), k.programFiles.c_str(), Fold), k.want)
            << std::string(k.program.begin(), k.program.end());
}

TEST(ModulePath, Argv0SpellingOnlyWhenLengthsMatch) {
    char16_t module[] = u"C:\\TOOLS\\QUIVELTA.EXE";
    EXPECT_EQ(CmdLine_TakeArgv0Spelling(module, u"C:\\Tools\\Quivelta.exe", Fold), 1);
    EXPECT_EQ(U16(module), u"C:\\Tools\\Quivelta.exe");
    // Same file by the path rules but a different length: left alone.
    char16_t module2[] = u"C:\\Tools\\Quivelta.exe";
    EXPECT_EQ(CmdLine_TakeArgv0Spelling(module2, u"C:\\\\tools\\\\quivelta.exe", Fold), 0);
    EXPECT_EQ(U16(module2), u"C:\\Tools\\Quivelta.exe");
    EXPECT_EQ(CmdLine_TakeArgv0Spelling(module2, u"C:\\Tools\\Quivelt4.exe", Fold), 0);
}

TEST(InstanceId, CrcOfTheLowerCasedFolder) {
    const U16 dir = u"C:\\Tools\\Quivelta";
    U16 lower = dir;
    AsciiLower16(&lower[0], lower.size());
    EXPECT_EQ(CmdLine_InstanceCrc(dir.c_str(), AsciiLower16), ReferenceCrc(Utf16Bytes(lower)));
    // The ANSI build hashes bytes, so its id differs.
    EXPECT_NE(CmdLine_InstanceCrc("C:\\Tools\\Quivelta", AsciiLower8), ReferenceCrc(Utf16Bytes(lower)));
    const U16 longDir(700, u'A');
    EXPECT_EQ(CmdLine_InstanceCrc(longDir.c_str(), AsciiLower16), ReferenceCrc(Utf16Bytes(U16(700, u'a'))));
    char16_t hex[9];
    CmdLine_FormatHex8(0x0A1B2C3Du, hex);
    EXPECT_EQ(U16(hex), u"0A1B2C3D");
}

}  // namespace
