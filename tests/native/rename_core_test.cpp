// The rename rules (split, join, name checks) and the file operations'
// decisions (flags, success after the shell, what the current file allows,
// target joining, the missing folders of a target).
#include <gtest/gtest.h>

#include <string>

#include "dlg/qv_RenameCore.h"
#include "image/qv_FileOpeCore.h"

namespace {

using u16 = std::u16string;

struct SplitCase {
    const char16_t *name;
    const char16_t *stem;
    const char16_t *extension;  // null: no dot
};

TEST(RenameCore, SplitsAtTheLastDot) {
    const SplitCase cases[] = {
        {u"a.b.jpg", u"a.b", u"jpg"},
        {u"photo", u"photo", nullptr},
        {u"photo.", u"photo", u""},
        {u".profile", u"", u"profile"},
        {u"", u"", nullptr},
    };
    for (const SplitCase &c : cases) {
        const RenameParts<char16_t> parts = RenameCore_Split(c.name);
        EXPECT_EQ(u16(c.name, parts.stemLength), u16(c.stem)) << std::string(c.name, c.name + 0);
        if (c.extension == nullptr) {
            EXPECT_EQ(parts.extension, nullptr);
        } else {
            ASSERT_NE(parts.extension, nullptr);
            EXPECT_EQ(u16(parts.extension), u16(c.extension));
        }
    }
}

TEST(RenameCore, SplitKeepsADoubleByteCharacterWhole) {
    // 0x81 leads a two-byte character whose second byte is '.'.
    qvtext::g_leadByteTest = [](unsigned char b) { return b == 0x81; };
    const char name[] = {'a', char(0x81), '.', 'b', 0};
    const RenameParts<char> parts = RenameCore_Split(name);
    EXPECT_EQ(parts.extension, nullptr);
    EXPECT_EQ(parts.stemLength, 4u);
    EXPECT_EQ(RenameCore_Check(name), kRenameOk);
    const char slashTrail[] = {'a', char(0x81), '\\', 0};  // not a separator
    EXPECT_EQ(RenameCore_Check(slashTrail), kRenameOk);
    qvtext::g_leadByteTest = nullptr;
}

struct JoinCase {
    u16 stem;
    u16 extension;
    RenameFault fault;
    u16 joined;
};

TEST(RenameCore, JoinsAndRefusesWhatDoesNotFit) {
    const u16 s255(255, u'n'), s259(259, u'n'), s260(260, u'n');
    const JoinCase cases[] = {
        {u"a.b", u"jpg", kRenameOk, u"a.b.jpg"},
        {u"photo", u"", kRenameOk, u"photo"},  // a cleared extension leaves no dot
        {s255, u"jpeg", kRenameTooLong, u""},  // 255 + 1 + 4 reaches 260
        {s255, u"jpg", kRenameOk, s255 + u".jpg"},
        {s259, u"", kRenameOk, s259},
        {s260, u"", kRenameTooLong, u""},
    };
    for (const JoinCase &c : cases) {
        char16_t out[kRenameCapacity];
        out[0] = u'x';
        EXPECT_EQ(RenameCore_Join(c.stem.c_str(), c.extension.c_str(), out, kRenameCapacity), c.fault)
            << c.stem.size() << "+" << c.extension.size();
        EXPECT_EQ(u16(out), c.joined);
    }
}

struct CheckCase {
    u16 name;
    RenameFault fault;
};

TEST(RenameCore, ChecksNewNames) {
    const CheckCase cases[] = {
        {u"holiday.jpg", kRenameOk},
        {u16(259, u'n'), kRenameOk},
        {u16(260, u'n'), kRenameTooLong},
        {u"", kRenameEmpty},
        {u"a:b.jpg", kRenameBadChar},
        {u"a\"b", kRenameBadChar},
        {u"a/b", kRenameBadChar},
        {u"a|b", kRenameBadChar},
        {u16(u"tab\tname"), kRenameControlChar},
        {u16(u"nul\x1f"), kRenameControlChar},
        {u".", kRenameDotName},
        {u"..", kRenameDotName},
        {u"...", kRenameTrailingDot},
        {u"name.", kRenameTrailingDot},
        {u"name ", kRenameTrailingDot},
        {u"con", kRenameDeviceName},
        {u"Con.txt", kRenameDeviceName},
        {u"NUL .jpg", kRenameDeviceName},
        {u"aux.tar.gz", kRenameDeviceName},
        {u"lpt9", kRenameDeviceName},
        {u"COM1.png", kRenameDeviceName},
        {u"com0", kRenameOk},
        {u"lpt10", kRenameOk},
        {u"console.jpg", kRenameOk},
        {u"my con.jpg", kRenameOk},
        {u".con", kRenameOk},
    };
    for (const CheckCase &c : cases)
        EXPECT_EQ(RenameCore_Check(c.name.c_str()), c.fault) << std::string(c.name.begin(), c.name.end());
}

TEST(FileOpeCore, ShellFlagsFromTheOptions) {
    EXPECT_EQ(FileOpe_TransferFlags(true), 0x40);
    EXPECT_EQ(FileOpe_TransferFlags(false), 0x50);
    struct Case {
        bool confirm, bin, permanent;
        uint16_t flags;
    };
    const Case cases[] = {
        {true, true, false, 0x4040},   // the shell warns where no bin takes the file
        {false, true, false, 0x4050},
        {true, true, true, 0x00},      // delete for good still asks when asked to
        {false, true, true, 0x10},
        {true, false, false, 0x00},
        {false, false, false, 0x10},
    };
    for (const Case &c : cases)
        EXPECT_EQ(FileOpe_DeleteFlags(c.confirm, c.bin, c.permanent), c.flags)
            << c.confirm << c.bin << c.permanent;
}

TEST(FileOpeCore, DoneOnlyWhenTheFilesShowIt) {
    struct Case {
        int operation;
        FileOpeAfter after;
        bool done;
    };
    const Case cases[] = {
        {kOpeCopy, {0, false, true, true}, true},
        {kOpeCopy, {0, true, true, true}, false},     // an overwrite declined
        {kOpeCopy, {1223, false, true, true}, false},
        {kOpeCopy, {0, false, true, false}, false},   // no target
        {kOpeMove, {0, false, false, true}, true},
        {kOpeMove, {0, false, true, true}, false},    // the source stayed
        {kOpeRename, {0, false, true, true}, true},
        {kOpeRename, {0, false, true, false}, false}, // "photo." left "photo"
        {kOpeDelete, {0, false, false, false}, true},
        {kOpeDelete, {0, true, true, false}, false},  // "No" to the confirmation
        {kOpeDelete, {0, false, true, false}, false},
        {kOpeDelete, {2, false, false, false}, false},
    };
    for (const Case &c : cases) EXPECT_EQ(FileOpe_IsDone(c.operation, c.after), c.done) << c.operation;
}

TEST(FileOpeCore, ArchiveMembersCanOnlyBeCopied) {
    const FileOpeFacts file{true, false, true, true, true};
    const FileOpeFacts member{true, true, true, true, true};
    for (int op = kOpeCopy; op <= kOpeDelete; ++op) {
        EXPECT_TRUE(FileOpe_IsAllowed(op, file)) << op;
        EXPECT_EQ(FileOpe_IsAllowed(op, member), op == kOpeCopy) << op;
    }
    const FileOpeFacts refused[] = {
        {false, false, true, true, true},
        {true, false, false, true, true},
        {true, false, true, false, true},
        {true, false, true, true, false},
    };
    for (const FileOpeFacts &f : refused) EXPECT_FALSE(FileOpe_IsAllowed(kOpeCopy, f));
    EXPECT_FALSE(FileOpe_IsAllowed(0, file));
    EXPECT_EQ(FileOpe_FromMenuOperation(0), kOpeRename);
    EXPECT_EQ(FileOpe_FromMenuOperation(1), kOpeMove);
    EXPECT_EQ(FileOpe_FromMenuOperation(2), kOpeCopy);
    EXPECT_EQ(FileOpe_FromMenuOperation(3), kOpeDelete);
    EXPECT_EQ(FileOpe_FromMenuOperation(4), 0);
}

TEST(FileOpeCore, JoinsTargetsWithTwoTerminators) {
    char16_t out[300];
    ASSERT_TRUE(FileOpe_JoinTarget(u"C:\\pics", u"a.jpg", out, 300));
    EXPECT_EQ(u16(out), u"C:\\pics\\a.jpg");
    EXPECT_EQ(out[u16(out).size() + 1], 0);
    ASSERT_TRUE(FileOpe_JoinTarget(u"C:\\", u"a.jpg", out, 300));
    EXPECT_EQ(u16(out), u"C:\\a.jpg");
    const u16 nonames[] = {u"", u"D:x.jpg", u"\\\\srv\\share", u"\\a.jpg", u16(260, u'n')};
    for (const u16 &name : nonames) {
        out[0] = u'x';
        EXPECT_FALSE(FileOpe_JoinTarget(u"C:\\pics", name.c_str(), out, 300)) << name.size();
        EXPECT_EQ(out[0], 0);
    }
    // The second terminator must fit too.
    EXPECT_TRUE(FileOpe_JoinTarget(u"C:\\p", u"abc", out, 10));
    EXPECT_FALSE(FileOpe_JoinTarget(u"C:\\p", u"abcd", out, 10));
}

TEST(FileOpeCore, PlansTheFolderLevelsOfATarget) {
    struct Case {
        u16 path;
        bool ok;
        u16 root, folder;
        std::vector<u16> levels;  // the prefixes walked from the root down
    };
    const Case cases[] = {
        {u"D:\\new\\deeper\\a.jpg", true, u"D:", u"D:\\new\\deeper", {u"D:\\new", u"D:\\new\\deeper"}},
        {u"D:\\a.jpg", true, u"D:", u"D:", {}},
        {u"\\\\srv\\share\\x\\a.jpg", true, u"\\\\srv\\share", u"\\\\srv\\share\\x", {u"\\\\srv\\share\\x"}},
        {u"D:\\new\\\\a.jpg", true, u"D:", u"D:\\new", {u"D:\\new"}},
        {u"relative\\a.jpg", false, u"", u"", {}},
        {u"D:\\folder\\", false, u"", u"", {}},
        {u"D:\\bad?\\a.jpg", false, u"", u"", {}},
        {u"D:\\a:b\\a.jpg", false, u"", u"", {}},
        {u"a.jpg", false, u"", u"", {}},
    };
    for (const Case &c : cases) {
        FileOpeFolderPlan plan{};
        const bool ok = FileOpe_PlanFolder(c.path.c_str(), &plan);
        ASSERT_EQ(ok, c.ok) << std::string(c.path.begin(), c.path.end());
        if (!ok) continue;
        EXPECT_EQ(c.path.substr(0, plan.rootEnd), c.root);
        EXPECT_EQ(c.path.substr(0, plan.folderEnd), c.folder);
        std::vector<u16> levels;
        for (size_t at = plan.rootEnd; at < plan.folderEnd;) {
            at = FileOpe_NextLevelEnd(c.path.c_str(), at, plan.folderEnd);
            levels.push_back(c.path.substr(0, at));
        }
        EXPECT_EQ(levels, c.levels) << std::string(c.path.begin(), c.path.end());
    }
}

}  // namespace
