// The command id space (40001..45200) divided into blocks of handlers, with
// the rule for each block while a guarded dialog or message box is open. The
// table is data: the dispatcher walks it and the tests check it.
#pragma once

#include <cstddef>
#include <cstdint>

enum class CommandBlock : uint8_t {
    None,  // no block: default handling
    Swallowed,
    File,
    Edit,
    Image,
    List,
    View,
    Other,
    RecentFolders,
    OtherApps,
    NewInstance,
    SelectionGrid,
    CopyNameText,
    RotateFlip,
    Masks,
    ChannelSwap,
    SharpenBlur,
    Sort,
    Window,
    DisplayMode,
    FitType,
    AutoRotation,
    ComicPages,
    Wallpaper,
    PopupMenus,
    ExtraFile,
    ScrollToPosition,
    ScrollByKey,
    ComicNavigation,
    WheelScroll,
    ComicPrevNext,
    MoveToFolder,
    CopyToFolder,
};

// What a block does with its ids while a guarded dialog is open.
enum class GuardRule : uint8_t {
    Allowed,    // runs as usual
    RefuseAll,  // every id swallowed
    RefuseBut,  // swallowed except the listed ids
    RefuseOnly, // only the listed ids swallowed
};

struct CommandBlockRow {
    uint16_t first;
    uint16_t last;  // inclusive
    CommandBlock block;
    GuardRule rule;
    uint16_t listed[6];  // ids excepted (RefuseBut) or refused (RefuseOnly); 0 ends
};

// The rows in id order; gaps between rows are default handling.
const CommandBlockRow *CommandBlocks_Table(size_t *count);

// The row of an id, or null when no block holds it.
const CommandBlockRow *CommandBlocks_Find(uint32_t id);

enum class Routing : uint8_t {
    Handler,    // goes to its block's handler
    Swallowed,  // nothing happens, no default handling
    Default,    // DefWindowProc
};

// The routing of an id with the dialog guard free or held, before any handler
// has looked at it.
Routing CommandBlocks_Route(uint32_t id, bool guardHeld);

// Scroll to a position (45061..45069): per id, where each axis goes.
enum class ScrollTarget : uint8_t { Begin, Centre, End };
struct ScrollToRow {
    uint16_t id;
    ScrollTarget horizontal;
    ScrollTarget vertical;
};
// The row of an id, or null outside 45061..45069.
const ScrollToRow *CommandBlocks_ScrollTo(uint32_t id);

// The centring position on one axis: (displayed - client) / 2, or -1 when
// there is nothing to do (the picture fits, so the value is negative, or it
// equals the current position). The sign decides, not a single bit.
int64_t Scroll_CentreTarget(int64_t displayed, int64_t client, int64_t current);

// Comic-aware navigation (45101..45112, 45141, 45142): the id dispatched in
// its place, normal or reversed for right-to-left comics; 0 for other ids.
uint16_t CommandBlocks_ComicTarget(uint32_t id, bool reversed);
