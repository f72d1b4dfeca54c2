// The key map in the program: the default map resource of each build, reset
// to the defaults, the accelerator table answering real key messages, and
// key names from the build's key-name resource.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "other/qv_Globals.h"
#include "other/qv_KeyMap.h"
#include "other/qv_KeyName.h"

namespace {

using tstring = std::basic_string<TCHAR>;
using KeyList = std::vector<std::pair<uint8_t, uint16_t>>;

KeyList KeysOf(const KeyTable &t, uint16_t command) {
    KeyList out;
    const int at = KeyMap_FindCommand(&t, command, 0, 0, 0);
    if (at < 0) return out;
    for (int k = 0; k < t.items[at].count; ++k) out.emplace_back(t.items[at].flags[k], t.items[at].key[k]);
    return out;
}

TEST(KeyMapResources, DefaultMapOfThisBuild) {
    KeyTable t{0, nullptr};
    ASSERT_EQ(KeyMap_LoadDefault(&t), 0);
    EXPECT_EQ(t.count, 105);
    EXPECT_EQ(KeyMap_AccelCount(&t), 111);
    EXPECT_EQ(KeysOf(t, 40062), (KeyList{{FVIRTKEY, VK_SPACE}, {FVIRTKEY, VK_NUMPAD0}}));
    EXPECT_EQ(KeysOf(t, 40082), (KeyList{{0, '+'}, {FVIRTKEY, VK_ADD}, {0, ';'}}));
    EXPECT_EQ(KeysOf(t, 40066), (KeyList{{FVIRTKEY | FCONTROL, VK_END}}));
    EXPECT_EQ(KeysOf(t, 45001), (KeyList{{FVIRTKEY, VK_APPS}, {FVIRTKEY | FSHIFT, VK_F10}}));
    KeyMap_Free(&t);
}

TEST(KeyMapResources, ResetTakesTheDefaults) {
    KeyTable t{0, nullptr};
    ASSERT_EQ(KeyMap_Alloc(&t, 2), 1);
    t.items[0].command = 40062;
    t.items[0].count = 1;
    t.items[0].flags[0] = FVIRTKEY;
    t.items[0].key[0] = VK_F12;
    t.items[1].command = 49999;  // no default: left without keys
    t.items[1].count = 1;
    KeyMap_ResetToDefault(&t);
    EXPECT_EQ(KeysOf(t, 40062), (KeyList{{FVIRTKEY, VK_SPACE}, {FVIRTKEY, VK_NUMPAD0}}));
    EXPECT_EQ(t.items[1].count, 0);
    KeyMap_Free(&t);
}

// A window that records the commands it receives.
std::vector<WORD> g_commands;
LRESULT CALLBACK RecordProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_COMMAND) g_commands.push_back(LOWORD(wParam));
    return DefWindowProc(hwnd, msg, wParam, lParam);
}

class Accelerators : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASS wc = {};
        wc.lpfnWndProc = RecordProc;
        wc.hInstance = GetModuleHandle(nullptr);
        wc.lpszClassName = TEXT("QvKeyMapTest");
        RegisterClass(&wc);
        window_ = CreateWindow(TEXT("QvKeyMapTest"), TEXT(""), WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                               GetModuleHandle(nullptr), nullptr);
        ASSERT_NE(window_, nullptr);
        g_commands.clear();
        ASSERT_EQ(KeyMap_LoadDefault(&g_keyMap), 0);
    }
    void TearDown() override {
        KeyMap_InstallAccelerators(nullptr, 0);
        KeyMap_Free(&g_keyMap);
        DestroyWindow(window_);
        SetModifiers(false);
    }
    static void SetModifiers(bool ctrl) {
        BYTE state[256];
        GetKeyboardState(state);
        state[VK_CONTROL] = state[VK_LCONTROL] = ctrl ? 0x80 : 0;
        state[VK_SHIFT] = state[VK_MENU] = 0;
        SetKeyboardState(state);
    }
    // Posts a key press and passes it through the accelerator table as the
    // main loop does; the commands that arrived.
    std::vector<WORD> Press(UINT vk, bool ctrl, UINT message = WM_KEYDOWN) {
        SetModifiers(ctrl);
        g_commands.clear();
        PostMessage(window_, message, vk, 1);
        MSG msg;
        while (PeekMessage(&msg, window_, 0, 0, PM_REMOVE)) {
            if (!TranslateAccelerator(window_, g_process.accelerators, &msg)) {
                TranslateMessage(&msg);
                DispatchMessage(&msg);
            }
        }
        return g_commands;
    }
    HWND window_ = nullptr;
};

TEST_F(Accelerators, KeyPressesBecomeCommands) {
    ASSERT_EQ(KeyMap_BuildAccelerators(), 1);
    ASSERT_NE(g_process.accelerators, nullptr);
    EXPECT_EQ(CopyAcceleratorTable(g_process.accelerators, nullptr, 0), 111);
    EXPECT_EQ(Press(VK_SPACE, false), std::vector<WORD>{40062});
    EXPECT_EQ(Press(VK_NUMPAD0, false), std::vector<WORD>{40062});
    EXPECT_EQ(Press(VK_END, true), std::vector<WORD>{40066});
    EXPECT_EQ(Press(VK_END, false), std::vector<WORD>{45096});
    EXPECT_EQ(Press(VK_F12, false), std::vector<WORD>{});
    // character keys answer the typed character
    EXPECT_EQ(Press('+', false, WM_CHAR), std::vector<WORD>{40082});
    EXPECT_EQ(Press(';', false, WM_CHAR), std::vector<WORD>{40082});
}

TEST_F(Accelerators, RebuildReplacesAndEmptyMapRemoves) {
    ASSERT_EQ(KeyMap_BuildAccelerators(), 1);
    HACCEL first = g_process.accelerators;
    const int at = KeyMap_FindCommand(&g_keyMap, 40062, 0, 0, 0);
    ASSERT_GE(at, 0);
    EXPECT_EQ(KeyMap_RemoveKey(&g_keyMap.items[at], 0, 0, 0), 1);  // Space no longer pages
    ASSERT_EQ(KeyMap_BuildAccelerators(), 1);
    EXPECT_NE(g_process.accelerators, first);
    EXPECT_EQ(CopyAcceleratorTable(g_process.accelerators, nullptr, 0), 110);
    EXPECT_EQ(Press(VK_SPACE, false), std::vector<WORD>{});
    KeyMap_Free(&g_keyMap);
    ASSERT_EQ(KeyMap_BuildAccelerators(), 1);
    EXPECT_EQ(g_process.accelerators, nullptr);
}

TEST(KeyNames, FormatsWithTheBuildsTable) {
    TCHAR out[kKeyNameChars];
    out[0] = TEXT('x');
    if (!KeyName_IsLoaded()) {
        EXPECT_EQ(KeyName_Format(VK_SPACE, out, FVIRTKEY, 0), -1);
        EXPECT_EQ(out[0], 0);
    }
    EXPECT_NE(KeyName_LoadTable(), 0);
    EXPECT_EQ(KeyName_LoadTable(), -1);
    ASSERT_TRUE(KeyName_IsLoaded());
    struct Case {
        uint16_t key;
        uint8_t flags;
        int allowUnknown;
        const TCHAR *expect;
    } cases[] = {
        {VK_SHIFT, FVIRTKEY | FSHIFT, 1, TEXT("")},
        {'A', FVIRTKEY | FSHIFT | FCONTROL, 0, TEXT("Ctrl+Shift+A")},
        {VK_SPACE, FVIRTKEY, 0, TEXT("Space")},
        {VK_ADD, FVIRTKEY, 0, TEXT("Num+")},
        {VK_F24, FVIRTKEY | FALT, 0, TEXT("Alt+F24")},
        {0xE8, FVIRTKEY, 1, TEXT("??")},
        {0xE8, FVIRTKEY, 0, TEXT("")},
        {'+', 0, 0, TEXT("+")},
#ifdef UNICODE
        {VK_LEFT, FVIRTKEY | FSHIFT, 0, L"Shift+\x2190"},
#else
        {VK_LEFT, FVIRTKEY | FSHIFT, 0, "Shift+\x81\xA9"},  // the code page 932 bytes of the arrow
#endif
    };
    for (const Case &c : cases) {
        const int n = KeyName_Format(c.key, out, c.flags, c.allowUnknown);
        EXPECT_EQ(tstring(out), tstring(c.expect)) << c.key;
        EXPECT_EQ(n, lstrlen(c.expect));
    }
    EXPECT_EQ(KeyName_Format(VK_SPACE, nullptr, FVIRTKEY, 0), -1);
    EXPECT_EQ(KeyName_CharKeyCode('Q'), 'Q');
    EXPECT_EQ(KeyName_CharKeyCode(VK_SPACE), 0);
}

}  // namespace
