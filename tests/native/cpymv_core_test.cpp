// The copy and move dialogs' decisions: which requests open a dialog and in
// which form, the wheel's line steps, and the folder a dropped name gives,
// over a small fake file system, for UTF-16 and ANSI text.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "dlg/qv_CpyMvCore.h"

namespace {

TEST(CpyMvCore, OpenModeAndInitialForm) {
    struct Case {
        int slot;
        bool filled;
        int remembered;
        CpyMvOpen open;
        CpyMvForm form;
    };
    const Case cases[] = {
        {-1, false, 0, CpyMvOpen::Dialog, {0, 0}},  // menu command: remembered form, switch free
        {-1, true, 1, CpyMvOpen::Dialog, {1, 0}},
        {0, true, 0, CpyMvOpen::Direct, {1, 1}},    // a filled slot needs no dialog
        {3, false, 0, CpyMvOpen::Dialog, {1, 1}},   // empty slot: ten-folder form, locked
        {9, false, 1, CpyMvOpen::Dialog, {1, 1}},
        {10, false, 0, CpyMvOpen::Refuse, {0, 0}},  // outside the ten lines
        {-2, true, 0, CpyMvOpen::Refuse, {0, 0}},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(CpyMvCore_OpenMode(c.slot, c.filled), c.open) << c.slot;
        if (c.open == CpyMvOpen::Refuse) continue;
        const CpyMvForm f = CpyMvCore_InitialForm(c.slot, c.remembered);
        EXPECT_EQ(f.extended, c.form.extended) << c.slot;
        EXPECT_EQ(f.formLocked, c.form.formLocked) << c.slot;
    }
}

TEST(CpyMvCore, WheelMovesOneLinePerNotchWithinTheTenLines) {
    struct Case {
        int current, delta, want;
    };
    const Case cases[] = {
        {4, -120, 5},  // towards the user: next line
        {4, 120, 3},   // away: previous line
        {9, -120, 9},  // not past the tenth
        {0, 120, 0},   // not before the first
        {2, -360, 5},  // three notches at once
        {8, -480, 9},
        {-1, -120, 0},  // focus on no line: the first
        {4, -60, 4},    // half a notch is no step yet
    };
    for (const Case &c : cases) {
        int32_t acc = 0;
        const int steps = CpyMvCore_WheelSteps(&acc, c.delta);
        EXPECT_EQ(CpyMvCore_WheelTarget(c.current, steps, kCpyMvLines), c.want) << c.current << " " << c.delta;
    }
    // Fine-grained wheels add up to whole notches; a reversal drops the rest.
    int32_t acc = 0;
    EXPECT_EQ(CpyMvCore_WheelSteps(&acc, -40), 0);
    EXPECT_EQ(CpyMvCore_WheelSteps(&acc, -40), 0);
    EXPECT_EQ(CpyMvCore_WheelSteps(&acc, -40), 1);
    EXPECT_EQ(acc, 0);
    EXPECT_EQ(CpyMvCore_WheelSteps(&acc, -100), 0);
    EXPECT_EQ(CpyMvCore_WheelSteps(&acc, 100), 0) << "half a notch back after most of one forward";
    EXPECT_EQ(CpyMvCore_WheelSteps(&acc, 20), -1);
    // A flood of large deltas never overflows the remainder.
    acc = 0;
    int64_t total = 0;
    for (int i = 0; i < 1000; ++i) {
        total += CpyMvCore_WheelSteps(&acc, -32767);
        ASSERT_LT(acc, 120);
        ASSERT_GT(acc, -120);
    }
    EXPECT_EQ(total, 32767000 / 120);
    EXPECT_EQ(CpyMvCore_WheelTarget(5, 2000000000, kCpyMvLines), 9);
    EXPECT_EQ(CpyMvCore_WheelTarget(5, -2000000000, kCpyMvLines), 0);
}

// A fake file system: kinds by path, shortcut targets by path.
template <class Ch>
struct FakeFs {
    using Str = std::basic_string<Ch>;
    std::map<Str, CpyMvNameKind> kinds;
    std::map<Str, Str> links;
    CpyMvDropEnv<Ch> Env() {
        return CpyMvDropEnv<Ch>{
            [](const Ch *path, void *user) {
                auto *fs = static_cast<FakeFs *>(user);
                auto it = fs->kinds.find(path);
                return it == fs->kinds.end() ? CpyMvNameKind::Unreadable : it->second;
            },
            [](const Ch *shortcut, Ch *out, size_t capacity, void *user) {
                auto *fs = static_cast<FakeFs *>(user);
                auto it = fs->links.find(shortcut);
                if (it == fs->links.end() || it->second.size() >= capacity) return false;
                qvtext::CopyInto(out, capacity, it->second.c_str());
                return true;
            },
            this};
    }
};

template <class Ch>
std::basic_string<Ch> T(const char *ascii) {
    std::basic_string<Ch> s;
    for (const char *p = ascii; *p; ++p) s.push_back(Ch(static_cast<unsigned char>(*p)));
    return s;
}

struct DropCase {
    const char *dropped;
    const char *want;  // null: the field stays as it is
    const char *why;
};

// Kinds: folders end nowhere special; "F:" marks a folder, "f:" a file.
const char *const kFolders[] = {"C:\\pics", "C:\\pics\\sub\\", "D:\\", "C:\\pics\\album.lnk", "\\\\srv\\share\\dir",
                                "C:\\target dir"};
const char *const kFiles[] = {"C:\\pics\\a.jpg",     "C:\\b.png",          "noroot.jpg",       "\\top.jpg",
                              "C:\\pics\\to_pic.lnk", "C:\\pics\\to_dir.LNK", "C:\\pics\\bad.lnk", "C:\\pics\\gone.lnk",
                              "\\\\srv\\share\\c.gif", "C:\\other\\d.bmp",   "C:\\pics\\to_root.lnk"};
const char *const kLinks[][2] = {{"C:\\pics\\to_pic.lnk", "C:\\other\\d.bmp"},
                                 {"C:\\pics\\to_dir.LNK", "C:\\target dir"},
                                 {"C:\\pics\\gone.lnk", "E:\\missing\\e.jpg"},
                                 {"C:\\pics\\to_root.lnk", "D:\\"}};

const DropCase kDropCases[] = {
    {"C:\\pics", "C:\\pics", "a folder is taken as it is"},
    {"C:\\pics\\sub\\", "C:\\pics\\sub\\", "a folder keeps its trailing separator"},
    {"D:\\", "D:\\", "a drive root"},
    {"C:\\pics\\album.lnk", "C:\\pics\\album.lnk", "a folder named like a shortcut is a folder"},
    {"Z:\\nowhere\\x.jpg", "Z:\\nowhere\\x.jpg", "unreadable attributes: taken as it is"},
    {"C:\\pics\\a.jpg", "C:\\pics", "a file gives its folder"},
    {"C:\\b.png", "C:\\", "a file at a drive root keeps the root's separator"},
    {"\\\\srv\\share\\c.gif", "\\\\srv\\share", "a file on a share"},
    {"noroot.jpg", nullptr, "a bare name names no folder"},
    {"\\top.jpg", nullptr, "a name within the first character names no folder"},
    {"C:\\pics\\to_pic.lnk", "C:\\other", "shortcut to a picture: the picture's folder"},
    {"C:\\pics\\to_dir.LNK", "C:\\target dir", "shortcut to a folder (any case): the folder"},
    {"C:\\pics\\to_root.lnk", "D:\\", "shortcut to a drive root: the root"},
    {"C:\\pics\\bad.lnk", "C:\\pics", "an unresolvable shortcut: its own folder"},
    {"C:\\pics\\gone.lnk", "E:\\missing", "a shortcut to a missing file: the folder it named"},
};

template <class Ch>
void RunDropTable() {
    FakeFs<Ch> fs;
    for (const char *f : kFolders) fs.kinds[T<Ch>(f)] = CpyMvNameKind::Folder;
    for (const char *f : kFiles) fs.kinds[T<Ch>(f)] = CpyMvNameKind::File;
    for (const auto &l : kLinks) fs.links[T<Ch>(l[0])] = T<Ch>(l[1]);
    const CpyMvDropEnv<Ch> env = fs.Env();
    for (const DropCase &c : kDropCases) {
        Ch out[kCpyMvPathChars];
        const auto keep = T<Ch>("unchanged");
        qvtext::CopyInto(out, kCpyMvPathChars, keep.c_str());
        const bool changed = CpyMvCore_DropText(T<Ch>(c.dropped).c_str(), env, out, kCpyMvPathChars);
        if (c.want == nullptr) {
            EXPECT_FALSE(changed) << c.why;
            EXPECT_TRUE(std::basic_string<Ch>(out) == keep) << c.why;
        } else {
            EXPECT_TRUE(changed) << c.why;
            EXPECT_TRUE(std::basic_string<Ch>(out) == T<Ch>(c.want)) << c.why;
        }
    }
}

TEST(CpyMvCore, DroppedNameGivesAFolderUtf16) { RunDropTable<char16_t>(); }
TEST(CpyMvCore, DroppedNameGivesAFolderAnsi) { RunDropTable<char>(); }

TEST(CpyMvCore, DroppedTextThatDoesNotFitLeavesTheField) {
    FakeFs<char16_t> fs;
    const std::u16string longFolder = u"C:\\" + std::u16string(300, u'x');
    const std::u16string longFile = longFolder + u"\\a.jpg";
    fs.kinds[longFolder] = CpyMvNameKind::Folder;
    fs.kinds[longFile] = CpyMvNameKind::File;
    fs.kinds[u"C:\\l.lnk"] = CpyMvNameKind::File;
    fs.links[u"C:\\l.lnk"] = longFile;
    const auto env = fs.Env();
    for (const std::u16string &name : {longFolder, longFile, std::u16string(u"C:\\l.lnk")}) {
        char16_t out[kCpyMvPathChars] = u"kept";
        EXPECT_FALSE(CpyMvCore_DropText(name.c_str(), env, out, kCpyMvPathChars)) << name.size();
        EXPECT_EQ(std::u16string(out), u"kept");
    }
    char16_t tiny[4] = u"abc";
    EXPECT_FALSE(CpyMvCore_FolderOf(u"C:\\pics\\a.jpg", tiny, 4)) << "no cut folder";
    EXPECT_EQ(std::u16string(tiny), u"abc");
}

TEST(CpyMvCore, ShortcutNamesByExtension) {
    struct Case {
        const char16_t *name;
        bool shortcut;
    };
    const Case cases[] = {{u"a.lnk", true},        {u"C:\\x\\A.LnK", true}, {u"a.lnkx", false},
                          {u"a.ln", false},        {u"lnk", false},         {u"C:\\x.lnk\\a.jpg", false},
                          {u"C:\\x\\.lnk", true},  {u"", false}};
    for (const Case &c : cases) EXPECT_EQ(CpyMvCore_IsShortcutName(c.name), c.shortcut);
}

}  // namespace
