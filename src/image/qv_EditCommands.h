// The commands that change the current picture without a dialog: undo, cut,
// copy, paste, crop, close, turn and flip, greyscale, negative, the channel
// swaps and the masks. Each finds the picture and its rectangle, takes the
// undo snapshot first, works under the wait cursor and refreshes the view;
// the undo module and the Q0 mask call some of them with the undo and
// refresh steps switched off.
#pragma once

#include <windows.h>

#include <cstdint>

#include "image/qv_DibCore.h"
#include "image/qv_DibHolder.h"

// Command ids of the edit, turn, mask and channel-swap menus.
enum EditCommandId : UINT {
    kCmdUndo = 40021,
    kCmdCut = 40024,
    kCmdCopy = 40025,
    kCmdPaste = 40026,
    kCmdCrop = 40027,
    kCmdNewImageDialog = 40028,
    kCmdPasteAsNew = 40029,
    kCmdCloseImage = 40030,
    kCmdResizeDialog = 40042,
    kCmdCanvasSizeDialog = 40043,
    kCmdGreyscale = 40044,
    kCmdNegative = 40045,
    kCmdColourDepthDialog = 40048,
    kCmdAutoLevel = 40052,
    kCmdAutoContrast = 40053,
    kCmdTurnLeft = 40601,
    kCmdTurnRight = 40602,
    kCmdFlipTopBottom = 40603,
    kCmdFlipLeftRight = 40604,
    kCmdRotateDialog = 40605,
    kCmdMaskGlassVertical = 40641,
    kCmdMaskGlassHorizontal = 40642,
    kCmdMaskNegative = 40643,
    kCmdMaskXor80 = 40644,
    kCmdMaskRgbSwap = 40645,
    kCmdMaskQ0 = 40646,
    kCmdMaskWin = 40647,
    kCmdMaskFl = 40648,
    kCmdMaskMeko = 40650,
    kCmdMaskMekoReverse = 40651,
    kCmdSwapFirst = 40661,
    kCmdSwapLast = 40665,
};

// The still picture of the current record (null when there is none). With
// `allowAnimation`, a record showing an animation also counts (turn, flip).
DibHolder *Edit_GetImage(int allowAnimation);

// Results as the dispatcher reads them: see each function.
int Edit_Undo();                                    // 1 when something was undone
int Edit_Copy(const SelRect *rect);                 // Clip_CopyImage's result; 0 without a picture
int Edit_Cut();                                     // 0 done, copy's result, -1 fill failed
int Edit_Paste();                                   // 1 done or nothing to do, 0 failed
int Edit_PasteAsNew();                              // 1 a new picture, 0 none
int Edit_Crop(int undo, int refresh, const SelRect *rect);
int Edit_CloseImage();
int Edit_RotateFlip(int undo, int refresh, const SelRect *rect, int32_t type);
int Edit_Greyscale();
int Edit_Negative();
// Auto contrast with `contrast` set (one range for the three channels), else
// auto level (each channel on its own).
int Edit_AutoLevel(int contrast);
int Edit_SwapChannels(int32_t row);                 // a row of the order table, 0..4
// optionOverride < 0: the setting.
int Edit_MaskGlass(int32_t optionOverride, int undo, int refresh, const SelRect *rect, int32_t strip, int vertical);
int Edit_MaskNegative(int undo, int refresh, const SelRect *rect);
int Edit_MaskXor80(int undo, int refresh, const SelRect *rect);
int Edit_MaskRgbSwap();
int Edit_MaskQ0();
int Edit_MaskWin(int undo, const SelRect *rect);
int Edit_MaskFl();
int Edit_MaskMeko(int reverse);                     // 0 done; Meko codes 1..3; 1 failed

// The refresh after an edit or an undo of `kind`; 0 for kinds that refresh
// nothing.
struct ImgData;
int Undo_FinishEdit(ImgData *record, int32_t kind);
int Edit_RefreshByKind(int32_t kind);
// The kind undone, or 0.
int Undo_Execute();

// Command blocks (0 handled, 1 not this block's).
int EditCommands_OnEdit(HWND frame, UINT id);
int EditCommands_OnImage(HWND frame, UINT id);
int EditCommands_OnRotateFlip(HWND frame, UINT id);
int EditCommands_OnMasks(HWND frame, UINT id);
int EditCommands_OnChannelSwap(HWND frame, UINT id);
int EditCommands_OnSharpenBlur(HWND frame, UINT id);

// Animations are turned and flipped frame by frame by the animation module;
// until it is there (null) an animation cannot be turned.
extern int (*g_editAnimationTransform)(int32_t how);
