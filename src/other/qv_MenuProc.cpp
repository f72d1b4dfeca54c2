#include "other/qv_MenuProc.h"

#include "image/qv_Clip.h"
#include "image/qv_EditCommands.h"
#include "image/qv_ScrollCommands.h"
#include "image/qv_SelectionCommands.h"
#include "image/qv_ViewZoom.h"
#include "other/qv_Dlg.h"
#include "other/qv_FileCommands.h"
#include "other/qv_Help.h"
#include "other/qv_ListCommands.h"
#include "other/qv_PopupCommands.h"
#include "other/qv_RecentCommands.h"
#include "other/qv_WindowCommands.h"

namespace {

int OnOther(HWND frame, UINT id) {
    if (id == 40106) {
        Help_ShowTopic(frame, TEXT("faq.htm"));
        return 0;
    }
    return 1;
}

struct HandlerRow {
    CommandBlock block;
    CommandHandler handler;
};

// Blocks whose modules are part of the program. The others are added here
// as their modules arrive.
const HandlerRow kHandlers[] = {
    {CommandBlock::File, FileCommands_OnFile},
    {CommandBlock::Edit, EditCommands_OnEdit},
    {CommandBlock::Image, EditCommands_OnImage},
    {CommandBlock::RotateFlip, EditCommands_OnRotateFlip},
    {CommandBlock::Masks, EditCommands_OnMasks},
    {CommandBlock::ChannelSwap, EditCommands_OnChannelSwap},
    {CommandBlock::SharpenBlur, EditCommands_OnSharpenBlur},
    {CommandBlock::SelectionGrid, SelectionCommands_OnSelectionGrid},
    {CommandBlock::List, ListCommands_OnList},
    {CommandBlock::ComicPages, ListCommands_OnComicPages},
    {CommandBlock::Other, OnOther},
    {CommandBlock::RecentFolders, RecentCommands_OnCommand},
    {CommandBlock::View, WindowCommands_OnView},
    {CommandBlock::ExtraFile, FileCommands_OnExtraFile},
    {CommandBlock::MoveToFolder, FileCommands_OnMoveToFolder},
    {CommandBlock::CopyToFolder, FileCommands_OnCopyToFolder},
    {CommandBlock::Window, WindowCommands_OnWindow},
    {CommandBlock::PopupMenus, PopupCommands_OnCommand},
    {CommandBlock::ScrollToPosition, ScrollCommands_OnScrollTo},
    {CommandBlock::ScrollByKey, ScrollCommands_OnScrollByKey},
    {CommandBlock::WheelScroll, ScrollCommands_OnWheelScroll},
    {CommandBlock::CopyNameText, Clip_OnCopyNameText},
};

}  // namespace

CommandHandler MenuProc_HandlerOf(CommandBlock block) {
    for (const auto &row : kHandlers)
        if (row.block == block) return row.handler;
    return nullptr;
}

LRESULT MenuProc_OnCommand(const CommandMessage &m) {
    const UINT id = LOWORD(m.wParam);
    const bool guardHeld = DlgGuard_OpenName() != nullptr;
    int result = 1;
    switch (CommandBlocks_Route(id, guardHeld)) {
        case Routing::Swallowed:
            return 0;
        case Routing::Default:
            break;
        case Routing::Handler: {
            const CommandBlockRow *row = CommandBlocks_Find(id);
            if (row != nullptr && row->block == CommandBlock::ComicNavigation && id >= 45113) {
                // The comic-aware scroll keys belong to the scroll-by-key handler.
                result = ScrollCommands_OnScrollByKey(m.window, id);
                break;
            }
            if (row != nullptr && (row->block == CommandBlock::ComicNavigation ||
                                   row->block == CommandBlock::ComicPrevNext)) {
                result = int(ListCommands_Redispatch(m, id));
                break;
            }
            CommandHandler handler = row ? MenuProc_HandlerOf(row->block) : nullptr;
            if (handler != nullptr) result = handler(m.window, id);
            break;
        }
    }
    if (result == 0) return 0;
    if (m.message == 0) return result;
    return DefWindowProc(m.window, m.message, m.wParam, m.lParam);
}
