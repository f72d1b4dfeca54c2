#include "other/qv_MenuStateCore.h"

#include <initializer_list>

#include "other/qv_Settings.h"

namespace {

class Steps {
public:
    Steps(MenuStep *out, int capacity) : out_(out), capacity_(out != nullptr && capacity > 0 ? capacity : 0) {}
    void Gray(uint16_t id, bool on) { Add({MenuAct::Gray, false, on, id, 0, 0}); }
    void GrayAt(uint16_t position, bool on) { Add({MenuAct::Gray, true, on, position, 0, 0}); }
    void GrayRange(uint16_t first, uint16_t last, bool on) {
        for (uint32_t id = first; id <= last; ++id) Gray(uint16_t(id), on);
    }
    void Check(uint16_t id, bool on) { Add({MenuAct::Check, false, on, id, 0, 0}); }
    void CheckAt(uint16_t position, bool on) { Add({MenuAct::Check, true, on, position, 0, 0}); }
    // The mark goes to `selected` when it lies in the group, else to the
    // first item, so a value out of range still leaves one item marked.
    void Radio(uint16_t first, uint16_t last, int32_t selected) {
        const uint16_t s = selected >= first && selected <= last ? uint16_t(selected) : first;
        Add({MenuAct::Radio, false, true, first, last, s});
    }
    int count() const { return count_; }

private:
    void Add(const MenuStep &s) {
        if (count_ < capacity_) out_[count_++] = s;
    }
    MenuStep *out_;
    int capacity_;
    int count_ = 0;
};

void DecideFile(const MenuFacts &f, Steps &s) {
    s.Gray(40002, !f.hasFile);
    s.Gray(40003, !f.canRename);
    s.Gray(40004, !f.canMove);
    s.Gray(40005, !f.canCopy);
    s.Gray(40006, !f.canDelete);
    s.GrayRange(40007, 40009, !f.still);
    s.GrayAt(13, !f.hasRecent);  // recent folders
}

void DecideEdit(const MenuFacts &f, Steps &s) {
    // Selection state
    s.Gray(40024, !f.hasSelection);
    s.Gray(40027, !f.hasSelection);
    s.Gray(40022, f.fullScreen);
    s.Gray(40023, f.fullScreen || !f.still);
    s.GrayAt(4, f.fullScreen);  // selection grid
    s.Check(40022, f.selectionMode);
    // Paste state
    s.Gray(40026, !f.clipboardPicture);
    s.Gray(40029, !f.clipboardPicture);
    s.Gray(40021, !f.hasUndo);
    s.Gray(40025, !f.still);
    s.Gray(40030, !f.anything);
}

void DecideImage(const MenuFacts &f, Steps &s) {
    s.Gray(40041, !f.canShow);
    s.GrayAt(4, !f.canShow);  // rotate and flip
    s.GrayRange(40042, 40046, !f.still);
    s.Gray(40048, !f.still);
    s.GrayRange(40050, 40053, !f.still);
    for (uint16_t position : {15, 16, 20}) s.GrayAt(position, !f.still);  // sharpen, masks, channel swap
    // The palette editor only works on pictures with a colour table.
    s.Gray(40049, !f.still || f.bitsPerPixel > 8);
}

void DecideList(const MenuFacts &f, Steps &s) {
    s.Gray(40074, !f.hasList || f.listPictures <= 0);
    s.Gray(40072, !f.hasList);
    s.Check(40072, f.slideRunning);
}

void DecideView(const MenuFacts &f, Steps &s) {
    s.GrayRange(40082, 40087, !f.canShow);
    s.Gray(40089, f.selectionMode);
    s.Check(40081, f.fullScreen);
    s.Check(40086, (f.zoomMode & 0x3u) == 0);
    s.Check(40087, (f.zoomMode & 0x1u) != 0);
    s.Check(40085, f.zoomLock);
    s.Check(40089, f.hoverScroll);
    s.Check(40088, f.comicMode);
    s.CheckAt(5, f.rotateOption != 0);  // automatic rotation
}

void DecideWindow(const MenuFacts &f, Steps &s) {
    const bool fs = f.fullScreen;
    s.Gray(41001, !(fs || f.canRestore));
    s.Gray(41003, fs);
    s.Gray(41005, fs);
    s.Gray(41006, fs || f.caption);  // a frame border only goes without a caption
    s.Gray(41007, fs);
    s.Gray(41008, fs);
    s.Check(41002, f.minimised);
    s.Check(41003, f.maximised && !fs);
    s.Check(41004, f.topMost);
    s.Check(41005, f.caption && !fs);
    s.Check(41006, f.frame && !fs);
    s.Check(41007, f.edge && !fs);
    s.Check(41008, f.menuBar && !fs);
    s.Check(41009, f.toolbar);
    s.Check(41010, f.statusBar);
    s.Check(41011, f.scrollBars);
}

void DecideWallpaper(const MenuFacts &f, Steps &s) {
    s.GrayRange(41201, 41203, !f.still);
    // Fit and fill exist as wallpaper styles only after platform code 60.
    s.Gray(41205, !f.still || f.platformCode <= 60);
    s.Gray(41206, !f.still || f.platformCode <= 60);
    s.Gray(41204, !f.wallpaperExists);
}

}  // namespace

int MenuState_Decide(int index, const MenuFacts &f, MenuStep *out, int capacity) {
    Steps s(out, capacity);
    switch (index) {
        case kMenuFile: DecideFile(f, s); break;
        case kMenuEdit: DecideEdit(f, s); break;
        case kMenuImage: DecideImage(f, s); break;
        case kMenuList: DecideList(f, s); break;
        case kMenuView: DecideView(f, s); break;
        case kMenuSelGrid: s.Radio(40401, 40407, Opt_SelGridFromMenu(f.selGrid, 0)); break;
        case kMenuRotate:
            s.GrayRange(40601, 40604, !f.canShow);
            s.Gray(40605, !f.still);
            break;
        case kMenuSort:
            s.Radio(40801, 40805, Opt_SortTypeFromMenu(f.sortKey, 0));
            s.Check(40806, f.sortDescending);
            s.Check(40807, f.sortNatural);
            break;
        case kMenuWindow: DecideWindow(f, s); break;
        case kMenuDisplayMode:
            s.Radio(41021, 41026, Opt_ShowModeFromMenu(f.showMode, 0));
            for (uint16_t id : {41021, 41024, 41025}) s.Gray(id, f.fullScreen);
            break;
        case kMenuFitType: s.Radio(41041, 41044, Opt_FitTypeFromMenu(f.fitType, 0)); break;
        case kMenuAutoRotation: s.Radio(41061, 41068, Opt_RotateFromMenu(f.rotateOption, 0)); break;
        case kMenuComic:
            s.Radio(41083, 41084, f.comicLeftToRight ? 41084 : 41083);
            s.Check(41085, f.comicAuto);
            break;
        case kMenuWallpaper: DecideWallpaper(f, s); break;
        default: break;  // recent folders and other applications are filled, not decided
    }
    return s.count();
}

namespace {

// 45002 -> 0, 45003..45008 -> 1..6, 45023 -> 7, 45009..45012 -> 8..11,
// 45022 -> 12, 45013..45021 -> 13..21.
const PopupCommandRow kPopupCommands[] = {
    {45002, kMenuFile, PopupNeed::None},          {45003, kMenuEdit, PopupNeed::None},
    {45004, kMenuImage, PopupNeed::None},         {45005, kMenuList, PopupNeed::None},
    {45006, kMenuView, PopupNeed::None},          {45007, kMenuOther, PopupNeed::None},
    {45008, kMenuRecent, PopupNeed::RecentEntry}, {45009, kMenuOtherApps, PopupNeed::None},
    {45010, kMenuSelGrid, PopupNeed::None},       {45011, kMenuCopyName, PopupNeed::None},
    {45012, kMenuRotate, PopupNeed::CanShow},     {45013, kMenuMasks, PopupNeed::Still},
    {45014, kMenuChannelSwap, PopupNeed::Still},  {45015, kMenuSort, PopupNeed::None},
    {45016, kMenuWindow, PopupNeed::None},        {45017, kMenuDisplayMode, PopupNeed::None},
    {45018, kMenuFitType, PopupNeed::None},       {45019, kMenuAutoRotation, PopupNeed::None},
    {45020, kMenuComic, PopupNeed::None},         {45021, kMenuWallpaper, PopupNeed::None},
    {45022, kMenuSharpen, PopupNeed::Still},      {45023, kMenuNewInstance, PopupNeed::None},
};

const uint16_t kMainPopupCommands[] = {45002, 45003, 45004, 45005, 45006, 45007, 0};
const uint16_t kFileCommands[] = {45008, 45023, 45009, 0};
const uint16_t kEditCommands[] = {45010, 45011, 0};
const uint16_t kImageCommands[] = {45012, 45022, 45013, 45014, 0};
const uint16_t kListCommands[] = {45015, 0};
const uint16_t kViewCommands[] = {45016, 45017, 45018, 45019, 45020, 0};
const uint16_t kOtherCommands[] = {45021, 0};

}  // namespace

const PopupCommandRow *MenuState_PopupCommand(uint32_t id) {
    if (id < 45002 || id > 45023) return nullptr;
    return &kPopupCommands[id - 45002];
}

const uint16_t *MenuState_SubMenuCommands(int menu) {
    static const uint16_t *const lists[] = {kMainPopupCommands, kFileCommands, kEditCommands, kImageCommands,
                                            kListCommands,      kViewCommands, kOtherCommands};
    if (menu < -1 || menu > kMenuOther) return nullptr;
    return lists[menu + 1];
}
