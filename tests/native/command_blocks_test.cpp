// The routing of command ids to blocks and the refusal rules while a guarded
// dialog is open.
#include <gtest/gtest.h>

#include "other/qv_CommandBlocks.h"

namespace {

TEST(CommandBlocks, TableIsSortedAndWithinTheIdSpace) {
    size_t count = 0;
    const CommandBlockRow *rows = CommandBlocks_Table(&count);
    ASSERT_GT(count, 0u);
    for (size_t i = 0; i < count; ++i) {
        EXPECT_LE(rows[i].first, rows[i].last);
        EXPECT_GE(rows[i].first, 40001);
        EXPECT_LE(rows[i].last, 45200);
        if (i > 0) {
            EXPECT_GT(rows[i].first, rows[i - 1].last) << "rows overlap at " << rows[i].first;
        }
        for (uint16_t id : rows[i].listed) {
            if (id != 0) {
                EXPECT_TRUE(id >= rows[i].first && id <= rows[i].last) << id;
            }
        }
    }
}

struct Case {
    uint32_t id;
    CommandBlock block;
    Routing free;   // guard free
    Routing held;   // guard held
};

TEST(CommandBlocks, OneIdOfEachBlockFreeAndHeld) {
    using R = Routing;
    using B = CommandBlock;
    const Case cases[] = {
        {40000, B::None, R::Default, R::Default},
        {40001, B::File, R::Handler, R::Swallowed},
        {40011, B::File, R::Handler, R::Handler},   // exit still works
        {40010, B::File, R::Handler, R::Swallowed},
        {40026, B::Edit, R::Handler, R::Swallowed},
        {40042, B::Image, R::Handler, R::Swallowed},
        {40062, B::List, R::Handler, R::Swallowed},  // next file refused under a dialog
        {40082, B::View, R::Handler, R::Handler},    // zoom in works
        {40084, B::View, R::Handler, R::Swallowed},
        {40101, B::Other, R::Handler, R::Swallowed},
        {40106, B::Other, R::Handler, R::Handler},
        {40201, B::RecentFolders, R::Handler, R::Swallowed},
        {40221, B::OtherApps, R::Handler, R::Handler},
        {40231, B::OtherApps, R::Handler, R::Swallowed},
        {40241, B::NewInstance, R::Handler, R::Swallowed},
        {40300, B::None, R::Default, R::Default},
        {40401, B::SelectionGrid, R::Handler, R::Handler},
        {40423, B::CopyNameText, R::Handler, R::Handler},
        {40430, B::None, R::Default, R::Default},
        {40601, B::RotateFlip, R::Handler, R::Swallowed},
        {40630, B::Swallowed, R::Swallowed, R::Swallowed},
        {40641, B::Masks, R::Handler, R::Swallowed},
        {40661, B::ChannelSwap, R::Handler, R::Swallowed},
        {40684, B::SharpenBlur, R::Handler, R::Swallowed},
        {40750, B::None, R::Default, R::Default},
        {40801, B::Sort, R::Handler, R::Handler},
        {41001, B::Window, R::Handler, R::Handler},
        {41021, B::DisplayMode, R::Handler, R::Handler},
        {41030, B::None, R::Default, R::Default},
        {41041, B::FitType, R::Handler, R::Handler},
        {41050, B::None, R::Default, R::Default},
        {41061, B::AutoRotation, R::Handler, R::Swallowed},
        {41081, B::ComicPages, R::Handler, R::Swallowed},
        {41201, B::Wallpaper, R::Handler, R::Swallowed},
        {43000, B::None, R::Default, R::Default},
        {45001, B::PopupMenus, R::Handler, R::Swallowed},
        {45042, B::ExtraFile, R::Handler, R::Swallowed},
        {45069, B::ScrollToPosition, R::Handler, R::Handler},
        {45081, B::ScrollByKey, R::Handler, R::Handler},
        {45101, B::ComicNavigation, R::Handler, R::Handler},
        {45118, B::ComicNavigation, R::Handler, R::Handler},
        {45119, B::None, R::Default, R::Default},
        {45120, B::None, R::Default, R::Default},
        {45121, B::WheelScroll, R::Handler, R::Handler},
        {45141, B::ComicPrevNext, R::Handler, R::Handler},
        {45161, B::MoveToFolder, R::Handler, R::Swallowed},
        {45181, B::CopyToFolder, R::Handler, R::Swallowed},
        {45200, B::CopyToFolder, R::Handler, R::Swallowed},
        {45201, B::None, R::Default, R::Default},
        {65535, B::None, R::Default, R::Default},
    };
    for (const auto &k : cases) {
        const CommandBlockRow *row = CommandBlocks_Find(k.id);
        EXPECT_EQ(row ? row->block : CommandBlock::None, k.block) << k.id;
        EXPECT_EQ(CommandBlocks_Route(k.id, false), k.free) << k.id;
        EXPECT_EQ(CommandBlocks_Route(k.id, true), k.held) << k.id;
    }
}

TEST(CommandBlocks, ScrollToTableCentreByTheSignAndComicTargets) {
    const ScrollToRow *corner = CommandBlocks_ScrollTo(45069);
    ASSERT_NE(corner, nullptr);
    EXPECT_EQ(corner->horizontal, ScrollTarget::End);
    EXPECT_EQ(corner->vertical, ScrollTarget::End);
    EXPECT_EQ(CommandBlocks_ScrollTo(45065)->horizontal, ScrollTarget::Centre);
    EXPECT_EQ(CommandBlocks_ScrollTo(45070), nullptr);

    struct Case {
        int64_t displayed, client, current, want;
    } cases[] = {
        {1000, 600, 0, 200},
        {1000, 600, 200, -1},           // already there
        {600, 1000, 0, -1},             // fits: negative, nothing to do
        {0x90000000LL, 0, 0, 0x48000000LL},  // bit 30 set in a positive value: still a target
        {1, 2, 0, -1},
    };
    for (const auto &k : cases) EXPECT_EQ(Scroll_CentreTarget(k.displayed, k.client, k.current), k.want) << k.displayed;

    EXPECT_EQ(CommandBlocks_ComicTarget(45101, false), 40061);
    EXPECT_EQ(CommandBlocks_ComicTarget(45101, true), 40062);  // right-to-left: back becomes next
    EXPECT_EQ(CommandBlocks_ComicTarget(45111, true), 41082);
    EXPECT_EQ(CommandBlocks_ComicTarget(45142, true), 40061);
    EXPECT_EQ(CommandBlocks_ComicTarget(45113, false), 0);
}

}  // namespace
