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
