#include "other/qv_FrameRules.h"

namespace {

// Keys of keyboards and mice that send application commands, and the menu
// command each one stands for.
const AppCommandRow kAppCommands[] = {
    {1, 40061},   // browser back: previous file
    {2, 40062},   // browser forward: next file
    {3, 40073},   // browser refresh: refresh the list
    {27, 40106},  // help
    {29, 40241},  // new: a new blank window
    {30, 40001},  // open
    {31, 40011},  // close: exit
    {32, 40008},  // save
    {33, 40009},  // print
    {34, 40021},  // undo
    {36, 40025},  // copy
    {37, 40024},  // cut
    {38, 40026},  // paste
};

}  // namespace

const AppCommandRow *Frame_AppCommandTable(int *count) {
    if (count) *count = int(sizeof kAppCommands / sizeof kAppCommands[0]);
    return kAppCommands;
}

uint16_t Frame_AppCommandToId(uint32_t appCommand) {
    for (const AppCommandRow &row : kAppCommands)
        if (row.appCommand == appCommand) return row.commandId;
    return 0;
}

MinTrackSize Frame_MinTrackSizeFor(bool captionBar, bool sizingBorder, int32_t systemMinX, int32_t systemMinY) {
    if (captionBar) return {systemMinX, systemMinY};
    if (!sizingBorder) return {1, 1};
    const int32_t side = systemMinX < systemMinY ? systemMinX : systemMinY;
    return {side, side};
}

bool Frame_SnapToWorkArea(Rect *r, const Rect &area) {
    if (r == nullptr) return false;
    const bool covers = r->left <= area.left && r->top <= area.top && r->right >= area.right && r->bottom >= area.bottom;
    if (!covers) return false;
    if (r->left == area.left && r->top == area.top && r->right == area.right && r->bottom == area.bottom) return false;
    *r = area;
    return true;
}
