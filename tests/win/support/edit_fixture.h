// The program's frame with a small picture shown at actual size, for tests
// that run edit commands and operation dialogs as the menu runs them and
// read the result back from the view's pixels on screen and from the held
// picture's bytes.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "support/capture_boxes.h"
#include "support/real_dibcore.h"
#include "support/user_folder.h"

// The fixture's picture: kFixtureSide x kFixtureSide, seed 7.
constexpr int32_t kFixtureSide = 32;

using Pixels = std::vector<COLORREF>;

struct Shot {
    int32_t width = 0, height = 0;
    Pixels pixels;
    COLORREF At(int32_t x, int32_t y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
    bool operator==(const Shot &o) const { return width == o.width && height == o.height && pixels == o.pixels; }
};
void PrintTo(const Shot &s, std::ostream *os);

// The bytes of the held picture: header, table and rows. The image size
// field is left out: a turn and its inverse may leave it 0, which is valid
// for uncompressed rows.
std::string HeldBytes();

class EditFixture : public ::testing::Test {
protected:
    // `tag` names the test's own user folder (tests run side by side).
    explicit EditFixture(const TCHAR *tag = TEXT("edit")) : folder_(tag, tag) {}
    void SetUp() override;
    void TearDown() override;

    // The picture as the view shows it.
    Shot Screen();
    // The held picture's colours, read through the library.
    static Shot Held();
    // A command sent as the menu sends it, and what it posted run.
    void Command(UINT id);
    bool UndoEnabledInMenu();
    // Shows a side x side picture of `colour` at actual size, with no undo.
    static void Show(const std::function<COLORREF(int32_t, int32_t)> &colour, int32_t side = kFixtureSide);
    static void Select(int32_t left, int32_t top, int32_t right, int32_t bottom);

    RealDibcore lib_;
    std::unique_ptr<CaptureBoxes> boxes_;
    TestUserFolder folder_;
    HWND frame_ = nullptr;
};
