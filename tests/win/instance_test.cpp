// Single instance with two (and more) real processes under Wine: a later
// start hands its file to the registered instance and ends; /newwnd and
// Multi start a second instance; the role passes on when the first ends.
// The processes are instance_child_<flavour>.exe, which runs the program's
// start-up steps with a hidden frame and logs what it receives.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/temp_folder.h"

namespace {

#if defined(QV_ANSI)
const TCHAR kChild[] = TEXT("instance_child_A.exe");
#else
const TCHAR kChild[] = TEXT("instance_child_W.exe");
#endif

tstring Widen(const char *s) { return tstring(s, s + lstrlenA(s)); }

struct Child {
    PROCESS_INFORMATION info{};
    bool running = false;
};

BOOL CALLBACK CloseWindowsOf(HWND window, LPARAM pid) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == DWORD(pid)) PostMessage(window, WM_CLOSE, 0, 0);
    return TRUE;
}

class TwoProcesses : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = Widen(QV_BUILD_DIR) + (sizeof(TCHAR) == 1 ? TEXT("\\wintests\\child_A") : TEXT("\\wintests\\child_W"));
        TCHAR user[64];
        wsprintf(user, TEXT("it%lu%s"), GetCurrentProcessId(), sizeof(TCHAR) == 1 ? TEXT("a") : TEXT("w"));
        user_ = user;
        userFolder_ = folder_ + TEXT("\\user\\") + user_;
        CreateDirectory((folder_ + TEXT("\\user")).c_str(), nullptr);
        CreateDirectory(userFolder_.c_str(), nullptr);
    }
    void TearDown() override {
        for (Child &c : children_) {
            if (c.running && WaitForSingleObject(c.info.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(c.info.hProcess, 9);
            CloseHandle(c.info.hProcess);
            CloseHandle(c.info.hThread);
        }
        RemoveTree(userFolder_);
        RemoveDirectory((folder_ + TEXT("\\user")).c_str());  // only when no other test uses it
    }

    // Starts the child with `/user=` and the arguments, in `directory`.
    size_t Start(const tstring &args, const tstring &directory) {
        tstring line = TEXT("\"") + folder_ + TEXT("\\") + kChild + TEXT("\" /user=") + user_ + TEXT(" ") + args;
        std::vector<TCHAR> buffer(line.begin(), line.end());
        buffer.push_back(0);
        STARTUPINFO si{};
        si.cb = sizeof si;
        Child c;
        // Under a loaded Wine a process start now and then fails at once;
        // a few tries tell that from a child that cannot start.
        bool started = false;
        DWORD error = 0;
        for (int attempt = 0; attempt < 3 && !started; ++attempt) {
            if (attempt > 0) Sleep(500);
            started = CreateProcess(nullptr, buffer.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                                    directory.c_str(), &si, &c.info) != 0;
            if (!started) error = GetLastError();
        }
        if (!started) {
            ADD_FAILURE() << "the child program did not start (error " << error << ")";
            return size_t(-1);
        }
        c.running = true;
        children_.push_back(c);
        return children_.size() - 1;
    }
    tstring LogPath(size_t child) {
        TCHAR name[64];
        wsprintf(name, TEXT("\\log_%lu.txt"), children_[child].info.dwProcessId);
        return userFolder_ + name;
    }
    // Waits until the child's log holds `text` (20 s at most).
    bool WaitForLog(size_t child, const tstring &text) {
        for (int i = 0; i < 400; ++i) {
            if (ReadLog(child).find(text) != tstring::npos) return true;
            Sleep(50);
        }
        ADD_FAILURE() << "missing in the log of child " << child;
        return false;
    }
    tstring ReadLog(size_t child) {
        const std::string bytes = ReadFileBytes(LogPath(child));
        return tstring(reinterpret_cast<const TCHAR *>(bytes.data()), bytes.size() / sizeof(TCHAR));
    }
    // The exit code once the child ended, or -1 after 20 s.
    int WaitForEnd(size_t child) {
        if (WaitForSingleObject(children_[child].info.hProcess, 20000) != WAIT_OBJECT_0) return -1;
        DWORD code = 0;
        GetExitCodeProcess(children_[child].info.hProcess, &code);
        children_[child].running = false;
        return int(code);
    }
    void Close(size_t child) { EnumWindows(CloseWindowsOf, LPARAM(children_[child].info.dwProcessId)); }

    tstring folder_, user_, userFolder_;
    std::vector<Child> children_;
};

TEST_F(TwoProcesses, HandOverNewWindowMultiAndRolePassing) {
    TempFolder work(TEXT("inst"));
    const size_t first = Start(TEXT(""), work.path());
    ASSERT_TRUE(WaitForLog(first, TEXT("role 1")));

    // A second start with a file hands it over and ends without a window.
    const size_t second = Start(TEXT("\"pic one.jpg\""), work.path());
    EXPECT_EQ(WaitForEnd(second), 0);
    EXPECT_NE(ReadLog(second).find(TEXT("handed")), tstring::npos);
    ASSERT_TRUE(WaitForLog(first, TEXT("|pic one.jpg\n")));
    const tstring log = ReadLog(first);
    // The sender's directory and program path come with it.
    EXPECT_NE(log.find(TEXT("recv ") + work.path() + TEXT("|")), tstring::npos) << "directory";
    EXPECT_NE(log.find(tstring(kChild) + TEXT("|/user=") + user_ + TEXT("|pic one.jpg")), tstring::npos);

    // /newwnd starts a second instance that does not take the role.
    const size_t third = Start(TEXT("/newwnd"), work.path());
    ASSERT_TRUE(WaitForLog(third, TEXT("role 0")));

    // The first ends: the role passes to the one still running.
    Close(first);
    EXPECT_EQ(WaitForEnd(first), 0);
    ASSERT_TRUE(WaitForLog(third, TEXT("reeval 1")));

    const size_t fourth = Start(TEXT("x.png"), work.path());
    EXPECT_EQ(WaitForEnd(fourth), 0);
    ASSERT_TRUE(WaitForLog(third, TEXT("|x.png\n")));

    // With Multi on, a start is a new instance although one is registered.
    WriteFileBytes(userFolder_ + TEXT("\\Quivelta.cfg"), "[Boot]\r\nMulti=1\r\n");
    const size_t fifth = Start(TEXT("y.png"), work.path());
    ASSERT_TRUE(WaitForLog(fifth, TEXT("role 0")));
    EXPECT_EQ(ReadLog(third).find(TEXT("y.png")), tstring::npos);

    Close(third);
    Close(fifth);
    EXPECT_EQ(WaitForEnd(third), 0);
    EXPECT_EQ(WaitForEnd(fifth), 0);
    EXPECT_NE(ReadLog(third).find(TEXT("end")), tstring::npos);
}

}  // namespace
