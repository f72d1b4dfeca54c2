#include "other/qv_CommandBlocks.h"

namespace {

using B = CommandBlock;
using G = GuardRule;

const CommandBlockRow kRows[] = {
    {40001, 40020, B::File, G::RefuseBut, {40011}},
    {40021, 40040, B::Edit, G::RefuseAll, {}},
    {40041, 40060, B::Image, G::RefuseAll, {}},
    {40061, 40080, B::List, G::RefuseAll, {}},
    {40081, 40100, B::View, G::RefuseBut, {40081, 40082, 40083, 40086, 40087, 40089}},
    {40101, 40120, B::Other, G::RefuseBut, {40106}},
    {40121, 40220, B::RecentFolders, G::RefuseAll, {}},
    {40221, 40240, B::OtherApps, G::RefuseOnly, {40231}},
    {40241, 40260, B::NewInstance, G::RefuseAll, {}},
    {40401, 40420, B::SelectionGrid, G::Allowed, {}},
    {40421, 40425, B::CopyNameText, G::Allowed, {}},
    {40441, 40620, B::RotateFlip, G::RefuseAll, {}},
    {40621, 40640, B::Swallowed, G::Allowed, {}},
    {40641, 40660, B::Masks, G::RefuseAll, {}},
    {40661, 40680, B::ChannelSwap, G::RefuseAll, {}},
    {40681, 40700, B::SharpenBlur, G::RefuseAll, {}},
    {40801, 40820, B::Sort, G::Allowed, {}},
    {40821, 41020, B::Window, G::Allowed, {}},
    {41021, 41026, B::DisplayMode, G::Allowed, {}},
    {41041, 41044, B::FitType, G::Allowed, {}},
    {41061, 41080, B::AutoRotation, G::RefuseAll, {}},
    {41081, 41100, B::ComicPages, G::RefuseAll, {}},
    {41101, 41220, B::Wallpaper, G::RefuseAll, {}},
    {45001, 45040, B::PopupMenus, G::RefuseAll, {}},
    {45041, 45060, B::ExtraFile, G::RefuseAll, {}},
    {45061, 45080, B::ScrollToPosition, G::Allowed, {}},
    {45081, 45100, B::ScrollByKey, G::Allowed, {}},
    // 45119 and 45120 belong to no command: default handling.
    {45101, 45118, B::ComicNavigation, G::Allowed, {}},
    {45121, 45140, B::WheelScroll, G::Allowed, {}},
    {45141, 45160, B::ComicPrevNext, G::Allowed, {}},
    {45161, 45180, B::MoveToFolder, G::RefuseAll, {}},
    {45181, 45200, B::CopyToFolder, G::RefuseAll, {}},
};

bool Listed(const CommandBlockRow &row, uint32_t id) {
    for (uint16_t v : row.listed) {
        if (v == 0) break;
        if (v == id) return true;
    }
    return false;
}

}  // namespace

const CommandBlockRow *CommandBlocks_Table(size_t *count) {
    if (count) *count = sizeof kRows / sizeof kRows[0];
    return kRows;
}

const CommandBlockRow *CommandBlocks_Find(uint32_t id) {
    // Binary search over the sorted, non-overlapping rows.
    size_t lo = 0, hi = sizeof kRows / sizeof kRows[0];
    while (lo < hi) {
        const size_t mid = (lo + hi) / 2;
        if (id < kRows[mid].first) hi = mid;
        else if (id > kRows[mid].last) lo = mid + 1;
        else return &kRows[mid];
    }
    return nullptr;
}

Routing CommandBlocks_Route(uint32_t id, bool guardHeld) {
    const CommandBlockRow *row = CommandBlocks_Find(id);
    if (row == nullptr) return Routing::Default;
    if (row->block == CommandBlock::Swallowed) return Routing::Swallowed;
    if (guardHeld) {
        switch (row->rule) {
            case GuardRule::Allowed: break;
            case GuardRule::RefuseAll: return Routing::Swallowed;
            case GuardRule::RefuseBut:
                if (!Listed(*row, id)) return Routing::Swallowed;
                break;
            case GuardRule::RefuseOnly:
                if (Listed(*row, id)) return Routing::Swallowed;
                break;
        }
    }
    return Routing::Handler;
}

namespace {

using T = ScrollTarget;
const ScrollToRow kScrollTo[] = {
    {45061, T::Begin, T::Begin},   {45062, T::Begin, T::Centre},  {45063, T::Begin, T::End},
    {45064, T::Centre, T::Begin},  {45065, T::Centre, T::Centre}, {45066, T::Centre, T::End},
    {45067, T::End, T::Begin},     {45068, T::End, T::Centre},    {45069, T::End, T::End},
};

struct ComicRow {
    uint16_t id, normal, reversed;
};
const ComicRow kComic[] = {
    {45101, 40061, 40062}, {45102, 40062, 40061}, {45103, 40063, 40064}, {45104, 40064, 40063},
    {45105, 40065, 40066}, {45106, 40066, 40065}, {45107, 40067, 40068}, {45108, 40068, 40067},
    {45109, 40069, 40070}, {45110, 40070, 40069}, {45111, 41081, 41082}, {45112, 41082, 41081},
    {45141, 40061, 40062}, {45142, 40062, 40061},
};

}  // namespace

const ScrollToRow *CommandBlocks_ScrollTo(uint32_t id) {
    for (const auto &row : kScrollTo)
        if (row.id == id) return &row;
    return nullptr;
}

int64_t Scroll_CentreTarget(int64_t displayed, int64_t client, int64_t current) {
    const int64_t target = (displayed - client) / 2;
    if (target < 0 || target == current) return -1;
    return target;
}

uint16_t CommandBlocks_ComicTarget(uint32_t id, bool reversed) {
    for (const auto &row : kComic)
        if (row.id == id) return reversed ? row.reversed : row.normal;
    return 0;
}
