// The receiver of hand-overs in one process, with a message-only window as
// the frame: what it posts for each kind of command line, when it refuses,
// and that a hostile block is read safely.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "other/qv_CmdLine.h"
#include "other/qv_Instance.h"
#include "support/temp_folder.h"

namespace {

int s_files = 0;
int s_slides = 0;
bool s_busy = false;
tstring s_dir;
size_t s_bytes = 0;

int CountFiles(const TCHAR *dir, const TCHAR *const *, int count, size_t bytes) {
    s_dir = dir;
    s_bytes = bytes;
    s_files = count - 1;
    return count - 1;
}

class Receiver : public ::testing::Test {
protected:
    void SetUp() override {
        Instance_Release();
        g_cmdLine = CommandLine{};
        wsprintf(g_cmdLine.instanceId, TEXT("%08lX"), GetCurrentProcessId() * 7919u + GetTickCount());
        lstrcpy(g_cmdLine.userPart, TEXT("receiver"));
        ASSERT_EQ(Instance_CreateMutex(), 0);
        window_ = CreateWindow(TEXT("STATIC"), TEXT(""), 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        ASSERT_NE(window_, nullptr);
        ASSERT_EQ(Instance_Acquire(0), 1);
        ASSERT_EQ(Instance_Register(window_), 1);
        s_files = s_slides = 0;
        s_busy = false;
        g_handOverHooks = HandOverHooks{};
        g_handOverHooks.receiveFiles = CountFiles;
        g_handOverHooks.busy = [] { return s_busy; };
        g_handOverHooks.startSlideShow = [] { ++s_slides; };
    }
    void TearDown() override {
        g_handOverHooks = HandOverHooks{};
        DestroyWindow(window_);
        Instance_Release();
        g_cmdLine = CommandLine{};
    }
    void Send(const std::vector<tstring> &args) {
        std::vector<TCHAR> buffer;
        for (const auto &a : args) buffer.insert(buffer.end(), a.c_str(), a.c_str() + a.size() + 1);
        std::vector<const TCHAR *> argv;
        size_t at = 0;
        for (const auto &a : args) argv.push_back(buffer.data() + at), at += a.size() + 1;
        argv.push_back(nullptr);
        uint8_t *block = Instance_MapView();
        ASSERT_NE(block, nullptr);
        HandOver_Write<TCHAR>(block, kHandOverBytes, TEXT("C:\\sender"), buffer.data(), buffer.size() * sizeof(TCHAR),
                              argv.data(), int(args.size()));
        Instance_UnmapView();
    }
    // Commands and messages the receiver posted to the frame.
    std::vector<std::pair<UINT, WPARAM>> Posted() {
        std::vector<std::pair<UINT, WPARAM>> out;
        MSG msg;
        while (PeekMessage(&msg, window_, 0, 0, PM_REMOVE)) out.push_back({msg.message, msg.wParam});
        return out;
    }
    HWND window_ = nullptr;
};

TEST_F(Receiver, ReceiverHandleReadBackFromTheBlock) {
    uint8_t *block = Instance_MapView();
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(reinterpret_cast<HWND>(uintptr_t(HandOver_LoadReceiver(block))), window_);
    Instance_UnmapView();
    EXPECT_EQ(Instance_MapView() != nullptr, true);
    EXPECT_EQ(Instance_MapView(), nullptr);  // one view at a time
    Instance_UnmapView();
    EXPECT_EQ(Instance_Acquire(0), 4);       // already registered
}

TEST_F(Receiver, FilesSlideBlankAndGetclip) {
    Send({TEXT("q.exe"), TEXT("a.jpg"), TEXT("b.jpg"), TEXT("/slide")});
    Frame_OnHandOver(window_);
    EXPECT_EQ(s_files, 3);
    EXPECT_EQ(s_dir, TEXT("C:\\sender"));
    // The arguments may be read up to the end of the block and no further:
    // behind the receiver, the directory with its zero and the count.
    EXPECT_EQ(s_bytes, kHandOverBytes - (4 + 10 * sizeof(TCHAR) + 4));
    EXPECT_EQ(s_slides, 1);
    auto posted = Posted();
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].first, kMsgOpenPending);

    Send({TEXT("q.exe"), TEXT("/getclip"), TEXT("/blank")});  // /blank wins
    Frame_OnHandOver(window_);
    posted = Posted();
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].first, UINT(WM_COMMAND));
    EXPECT_EQ(posted[0].second, WPARAM(kCmdClosePicture));

    Send({TEXT("q.exe"), TEXT("/getclip")});
    Frame_OnHandOver(window_);
    posted = Posted();
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].second, WPARAM(kCmdPasteAsNew));

    Send({TEXT("q.exe")});  // the program path alone: nothing happens
    s_files = -1;
    Frame_OnHandOver(window_);
    EXPECT_EQ(s_files, -1);
    EXPECT_TRUE(Posted().empty());
}

TEST_F(Receiver, BusyReceiverIgnoresAndTheBlockIsResetAfterReading) {
    Send({TEXT("q.exe"), TEXT("a.jpg")});
    s_busy = true;
    Frame_OnHandOver(window_);
    EXPECT_EQ(s_files, 0);
    s_busy = false;
    Frame_OnHandOver(window_);  // still there: the busy receiver did not take it
    EXPECT_EQ(s_files, 1);
    s_files = 0;
    Frame_OnHandOver(window_);  // taken once only
    EXPECT_EQ(s_files, 0);
    Posted();
}

TEST_F(Receiver, HostileBlockIsReadInsideItsBounds) {
    uint8_t *block = Instance_MapView();
    ASSERT_NE(block, nullptr);
    // No zero anywhere after the receiver and a huge count: nothing is found.
    for (size_t i = 4; i < kHandOverBytes; ++i) block[i] = 0x41;
    Instance_UnmapView();
    Frame_OnHandOver(window_);
    EXPECT_EQ(s_files, 0);
    block = Instance_MapView();
    ASSERT_NE(block, nullptr);
    // An empty directory, then a count far beyond the texts that follow.
    block[4] = 0;
    if (sizeof(TCHAR) == 2) block[5] = 0;
    const size_t countAt = 4 + sizeof(TCHAR);
    block[countAt] = 0xFF, block[countAt + 1] = 0xFF, block[countAt + 2] = 0xFF, block[countAt + 3] = 0x7F;
    Instance_UnmapView();
    Frame_OnHandOver(window_);
    EXPECT_EQ(s_files, 0);  // the one text runs to the end of the block: not taken
    Posted();
}

}  // namespace
