// Writing over a file safely: a save that fails at any step leaves the
// original byte for byte and no temporary behind; a save that succeeds keeps
// the original's marks and times; the checks before a save ask and refuse as
// they should.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "../../res/resource.h"
#include "dlg/qv_SaveChecks.h"
#include "image/qv_DibApi.h"
#include "other/qv_SysSeams.h"
#include "support/capture_boxes.h"
#include "support/real_dibcore.h"
#include "support/temp_folder.h"
#include "util/qv_SafeSave.h"

namespace {

const std::string kOld = "the original picture, which must survive every failure";
const std::string kNew = "the new picture written in full";

std::vector<tstring> Listing(const tstring &folder) {
    std::vector<tstring> names;
    WIN32_FIND_DATA data;
    HANDLE find = FindFirstFile((folder + TEXT("\\*")).c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        const tstring name = data.cFileName;
        if (name != TEXT(".") && name != TEXT("..")) names.push_back(name);
    } while (FindNextFile(find, &data));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

uint64_t Ticks(const FILETIME &t) { return uint64_t(t.dwHighDateTime) << 32 | t.dwLowDateTime; }
FILETIME Time(uint64_t ticks) { return FILETIME{DWORD(ticks), DWORD(ticks >> 32)}; }

struct FileTimes {
    uint64_t creation = 0, write = 0;
};
FileTimes TimesOf(const tstring &path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    FileTimes t;
    if (GetFileAttributesEx(path.c_str(), GetFileExInfoStandard, &data)) {
        t.creation = Ticks(data.ftCreationTime);
        t.write = Ticks(data.ftLastWriteTime);
    }
    return t;
}

bool SetTimes(const tstring &path, uint64_t creation, uint64_t write) {
    HANDLE f = CreateFile(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    const FILETIME c = Time(creation), w = Time(write);
    const BOOL ok = SetFileTime(f, &c, nullptr, &w);
    CloseHandle(f);
    return ok != FALSE;
}

// Writers standing in for the image library's.
struct WriterPlan {
    std::string bytes;
    bool fail = false;          // write half the bytes, then report failure
    bool ownTemporary = false;  // write beside the path and move over it, as the library does
};
int PlannedWriter(void *context, const TCHAR *tempPath) {
    const auto *plan = static_cast<const WriterPlan *>(context);
    const std::string bytes = plan->fail ? plan->bytes.substr(0, plan->bytes.size() / 2) : plan->bytes;
    if (!plan->ownTemporary) return WriteFileBytes(tempPath, bytes) && !plan->fail;
    const tstring own = tstring(tempPath) + TEXT(".qvtmp");
    if (!WriteFileBytes(own, bytes)) return 0;
    return MoveFileEx(own.c_str(), tempPath, MOVEFILE_REPLACE_EXISTING) && !plan->fail;
}

BOOL WINAPI FailingFlush(HANDLE) {
    SetLastError(ERROR_DISK_FULL);
    return FALSE;
}
BOOL WINAPI FailingMove(LPCTSTR, LPCTSTR, DWORD) {
    SetLastError(ERROR_SHARING_VIOLATION);
    return FALSE;
}

struct SeamScope {
    ~SeamScope() { SafeSave_ResetSeams(); }
};

// Message boxes recorded and answered with a chosen button.
class AnswerBoxes {
public:
    explicit AnswerBoxes(int answer) : saved_(g_sys) {
        answer_ = answer;
        shown_.clear();
        g_sys.messageBox = Answer;
    }
    ~AnswerBoxes() { g_sys = saved_; }
    AnswerBoxes(const AnswerBoxes &) = delete;
    AnswerBoxes &operator=(const AnswerBoxes &) = delete;
    const std::vector<ShownBox> &boxes() const { return shown_; }

private:
    static int WINAPI Answer(HWND, LPCTSTR text, LPCTSTR caption, UINT type) {
        shown_.push_back({text, caption, type});
        return answer_;
    }
    static int answer_;
    static std::vector<ShownBox> shown_;
    SysSeams saved_;
};
int AnswerBoxes::answer_ = 0;
std::vector<ShownBox> AnswerBoxes::shown_;

TEST(SafeSave, FailureAtAnyStepKeepsTheOriginalAndLeavesNoTemporary) {
    struct Case {
        const char *name;
        WriterPlan plan;
        bool failFlush, failMove, ok;
    };
    const Case cases[] = {
        {"writer fails half-way", {kNew, true, false}, false, false, false},
        {"writer fails after its own move", {kNew, true, true}, false, false, false},
        {"flush fails", {kNew, false, false}, true, false, false},
        {"replace fails", {kNew, false, false}, false, true, false},
        {"all steps succeed", {kNew, false, false}, false, false, true},
        {"library-style writer succeeds", {kNew, false, true}, false, false, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder(TEXT("safesave"));
        const tstring target = folder.Join(TEXT("photo.png"));
        ASSERT_TRUE(WriteFileBytes(target, kOld));
        ASSERT_TRUE(SetFileAttributes(target.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
        SeamScope seams;
        if (c.failFlush) g_safeSaveSeams.flushFileBuffers = FailingFlush;
        if (c.failMove) g_safeSaveSeams.moveFileEx = FailingMove;
        EXPECT_EQ(SafeSave_Write(target.c_str(), PlannedWriter, const_cast<WriterPlan *>(&c.plan), nullptr),
                  c.ok ? 1 : 0);
        EXPECT_EQ(ReadFileBytes(target), c.ok ? kNew : kOld);
        EXPECT_EQ(GetFileAttributes(target.c_str()) & ~FILE_ATTRIBUTE_NORMAL,
                  DWORD(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
        EXPECT_EQ(Listing(folder.path()), std::vector<tstring>{TEXT("photo.png")});
    }
}

TEST(SafeSave, SuccessKeepsTheOriginalsMarks) {
    const DWORD cases[] = {FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE, FILE_ATTRIBUTE_SYSTEM,
                           FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_NORMAL};
    for (DWORD marks : cases) {
        SCOPED_TRACE(marks);
        TempFolder folder(TEXT("safesave"));
        const tstring target = folder.Join(TEXT("photo.jpg"));
        ASSERT_TRUE(WriteFileBytes(target, kOld));
        ASSERT_TRUE(SetFileAttributes(target.c_str(), marks));
        const DWORD before = GetFileAttributes(target.c_str());
        ASSERT_EQ(SafeSave_WriteBytes(target.c_str(), kNew.data(), kNew.size()), 1);
        EXPECT_EQ(ReadFileBytes(target), kNew);
        EXPECT_EQ(GetFileAttributes(target.c_str()) & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM),
                  before & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
        EXPECT_EQ(Listing(folder.path()), std::vector<tstring>{TEXT("photo.jpg")});
    }
}

TEST(SafeSave, TimesGivenOrTheOriginalsCreationTimeKept) {
    const uint64_t kCreated = 0x01D0000012345678ull, kWritten = 0x01D5000087654321ull;
    const uint64_t kSourceCreated = 0x01C0000011112222ull, kSourceWritten = 0x01C1000033334444ull;
    TempFolder folder(TEXT("safesave"));
    const tstring target = folder.Join(TEXT("photo.bmp"));
    ASSERT_TRUE(WriteFileBytes(target, kOld));
    ASSERT_TRUE(SetTimes(target, kCreated, kWritten));
    const FileTimes original = TimesOf(target);
    ASSERT_EQ(original.write, kWritten);
    // Wine keeps no creation time of its own (it reports the change time):
    // the creation checks run where the file system stores one.
    const bool creationStored = original.creation == kCreated;

    // Without times: the replaced file keeps its creation time, the write
    // time is now.
    ASSERT_EQ(SafeSave_WriteBytes(target.c_str(), kNew.data(), kNew.size()), 1);
    FileTimes after = TimesOf(target);
    if (creationStored) {
        EXPECT_EQ(after.creation, kCreated);
    }
    EXPECT_GT(after.write, kWritten);

    // Times asked for (a source file's): both given to the new file.
    SafeSaveTimes times{Time(kSourceCreated), Time(kSourceWritten), 1, 1};
    WriterPlan plan{kOld, false, true};
    ASSERT_EQ(SafeSave_Write(target.c_str(), PlannedWriter, &plan, &times), 1);
    after = TimesOf(target);
    if (creationStored) {
        EXPECT_EQ(after.creation, kSourceCreated);
    }
    EXPECT_EQ(after.write, kSourceWritten);
    EXPECT_EQ(ReadFileBytes(target), kOld);
}

TEST(SafeSave, TemporaryNeverTakesAnExistingName) {
    TempFolder folder(TEXT("safesave"));
    const tstring target = folder.Join(TEXT("photo.gif"));
    TCHAR first[MAX_PATH], second[MAX_PATH];
    ASSERT_EQ(SafeSave_TempName(target.c_str(), 0, first, MAX_PATH), 1);
    ASSERT_EQ(SafeSave_TempName(target.c_str(), 1, second, MAX_PATH), 1);
    EXPECT_EQ(tstring(first), target + TEXT(".~qv0"));
    ASSERT_TRUE(WriteFileBytes(target, kOld));
    ASSERT_TRUE(WriteFileBytes(first, "someone else's file"));
    const tstring thirdName = target + TEXT(".~qv2");
    ASSERT_TRUE(CreateDirectory(second, nullptr));
    {
        SafeSave save;
        const TCHAR *temp = SafeSave_Begin(&save, target.c_str());
        ASSERT_NE(temp, nullptr);
        EXPECT_EQ(tstring(temp), thirdName);
        ASSERT_TRUE(WriteFileBytes(temp, kNew));
        ASSERT_EQ(SafeSave_Commit(&save, nullptr), 1);
    }
    EXPECT_EQ(ReadFileBytes(target), kNew);
    EXPECT_EQ(ReadFileBytes(first), "someone else's file");
    EXPECT_NE(GetFileAttributes(second) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_EQ(GetFileAttributes(thirdName.c_str()), INVALID_FILE_ATTRIBUTES);

    // Dropped without a commit, the save takes its temporary with it.
    {
        SafeSave save;
        ASSERT_NE(SafeSave_Begin(&save, target.c_str()), nullptr);
        EXPECT_NE(GetFileAttributes(thirdName.c_str()), INVALID_FILE_ATTRIBUTES);
    }
    EXPECT_EQ(GetFileAttributes(thirdName.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(ReadFileBytes(target), kNew);
}

TEST(SafeSave, TemporaryNamesForLongPathsAndUnusableTargets) {
    TempFolder folder(TEXT("safesave"));
    // A name so long that ".~qv0" would not fit: a short name in the folder.
    const tstring folderPart = folder.path() + TEXT("\\");
    const tstring longTarget = folderPart + tstring(kSafeSaveTempChars - 3 - folderPart.size(), TEXT('n'));
    TCHAR temp[MAX_PATH];
    ASSERT_EQ(SafeSave_TempName(longTarget.c_str(), 7, temp, kSafeSaveTempChars), 1);
    EXPECT_EQ(tstring(temp), folderPart + TEXT("~qv7.tmp"));

    // A folder as the target, a missing folder, no name: nothing begins.
    const tstring sub = folder.Join(TEXT("sub"));
    ASSERT_TRUE(CreateDirectory(sub.c_str(), nullptr));
    const tstring bad[] = {sub, folder.Join(TEXT("missing\\photo.png")), TEXT("")};
    for (const tstring &target : bad) {
        SCOPED_TRACE(int(&target - bad));
        SafeSave save;
        EXPECT_EQ(SafeSave_Begin(&save, target.c_str()), nullptr);
        EXPECT_EQ(SafeSave_Commit(&save, nullptr), 0);
    }
    EXPECT_EQ(Listing(folder.path()), std::vector<tstring>{TEXT("sub")});

    // A new file (no original) is simply created.
    const tstring fresh = folder.Join(TEXT("new.png"));
    ASSERT_EQ(SafeSave_WriteBytes(fresh.c_str(), kNew.data(), kNew.size()), 1);
    EXPECT_EQ(ReadFileBytes(fresh), kNew);
}

TEST(SafeSave, ReadOnlyTargetIsRefusedWithABoxAndKept) {
    TempFolder folder(TEXT("safesave"));
    const tstring target = folder.Join(TEXT("photo.png"));
    const tstring writable = folder.Join(TEXT("other.png"));
    ASSERT_TRUE(WriteFileBytes(target, kOld));
    ASSERT_TRUE(WriteFileBytes(writable, kOld));
    ASSERT_TRUE(SetFileAttributes(target.c_str(), FILE_ATTRIBUTE_READONLY));
    {
        CaptureBoxes boxes;
        EXPECT_EQ(SaveFileDlg_CheckReadOnly(writable.c_str(), nullptr), 0);
        EXPECT_EQ(SaveFileDlg_CheckReadOnly(folder.Join(TEXT("none.png")).c_str(), nullptr), 0);
        EXPECT_TRUE(boxes.boxes().empty());
        EXPECT_EQ(SaveFileDlg_CheckReadOnly(target.c_str(), nullptr), 1);
        ASSERT_EQ(boxes.boxes().size(), 1u);
        EXPECT_NE(boxes.boxes()[0].text.find(target), tstring::npos);
        EXPECT_EQ(boxes.boxes()[0].type & MB_ICONMASK, UINT(MB_ICONEXCLAMATION));
    }
    // Even without the check, the replace itself refuses a read-only file.
    EXPECT_EQ(SafeSave_WriteBytes(target.c_str(), kNew.data(), kNew.size()), 0);
    EXPECT_EQ(ReadFileBytes(target), kOld);
    EXPECT_EQ(Listing(folder.path()), (std::vector<tstring>{TEXT("other.png"), TEXT("photo.png")}));
    SetFileAttributes(target.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// The image library writes a file of its own beside the path it is given and
// moves it over that path: through a safe save it lands on the target.
class SafeSaveWithLibrary : public RealDibcoreSuite {};

int LibraryBmpWriter(void *context, const TCHAR *tempPath) {
    return Dibcore_DIBtoBMP(tempPath, *static_cast<DibHandle *>(context)) != 0;
}

TEST_F(SafeSaveWithLibrary, LibraryWriterReplacesTheTarget) {
    ASSERT_TRUE(lib_->ok()) << lib_->problem();
    BITMAPINFOHEADER header{sizeof(BITMAPINFOHEADER), 2, 2, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    const uint8_t bits[16] = {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0};
    DibHandle picture = Dibcore_CreateDIB(&header, bits);
    ASSERT_NE(picture, DibHandle{});
    TempFolder folder(TEXT("safesave"));
    const tstring target = folder.Join(TEXT("photo.bmp"));
    ASSERT_TRUE(WriteFileBytes(target, kOld));
    EXPECT_EQ(SafeSave_Write(target.c_str(), LibraryBmpWriter, &picture, nullptr), 1);
    Dibcore_DeleteDIB(picture);
    const std::string written = ReadFileBytes(target);
    ASSERT_GE(written.size(), 54u + 16u);
    EXPECT_EQ(written.substr(0, 2), "BM");
    EXPECT_EQ(written.substr(written.size() - 16), std::string(reinterpret_cast<const char *>(bits), 16));
    EXPECT_EQ(Listing(folder.path()), std::vector<tstring>{TEXT("photo.bmp")});
}

TEST(SaveChecks, OverwriteIsAskedAndOnlyYesGoesOn) {
    TempFolder folder(TEXT("safesave"));
    ASSERT_TRUE(WriteFileBytes(folder.Join(TEXT("photo.png")), kOld));
    const tstring joined = folder.Join(TEXT("photo.png"));
    struct Case {
        const TCHAR *name;
        int answer;
        int capacity;
        int result;
        bool asked;
    };
    const Case cases[] = {
        {TEXT("photo.png"), IDNO, MAX_PATH, 0, true},
        {TEXT("photo.png"), IDCANCEL, MAX_PATH, 0, true},
        {TEXT("photo.png"), IDYES, MAX_PATH, 1, true},
        {TEXT("fresh.png"), IDNO, MAX_PATH, 1, false},
        // The joined path must be shorter than the buffer.
        {TEXT("photo.png"), IDYES, int(joined.size()), 0, false},
        {TEXT("photo.png"), IDYES, int(joined.size()) + 1, 1, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "answer " << c.answer << " capacity " << c.capacity);
        AnswerBoxes boxes(c.answer);
        const TCHAR *pieces[] = {folder.path().c_str(), c.name, nullptr};
        TCHAR out[MAX_PATH + 1];
        lstrcpy(out, TEXT("untouched"));
        EXPECT_EQ(SaveFileDlg_ConfirmOverwrite(out, pieces, nullptr, c.capacity), c.result);
        EXPECT_EQ(tstring(out), c.result ? folder.Join(c.name) : tstring(TEXT("untouched")));
        ASSERT_EQ(boxes.boxes().size(), c.asked ? 1u : 0u);
        if (c.asked) {
            EXPECT_NE(boxes.boxes()[0].text.find(joined), tstring::npos);
            EXPECT_EQ(boxes.boxes()[0].type, UINT(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2));
        }
        EXPECT_EQ(ReadFileBytes(joined), kOld);
    }
}

TEST(SaveChecks, FailedWriteIsReportedWithThePath) {
    CaptureBoxes boxes;
    SaveFileDlg_ReportWriteFailed(TEXT("C:\\pictures\\photo.png"), nullptr);
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_NE(boxes.boxes()[0].text.find(TEXT("C:\\pictures\\photo.png")), tstring::npos);
    EXPECT_EQ(boxes.boxes()[0].type & MB_ICONMASK, UINT(MB_ICONERROR));
}

}  // namespace
