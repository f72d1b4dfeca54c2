#include "other/qv_OptTable.h"

#include <climits>

#include "other/qv_Settings.h"

namespace {

using S = CfgSection;
using K = OptKind;
using R = OptRule;
using E = OptEffect;

constexpr int32_t kColourMax = 0xFFFFFF;

// Row builders: each names what differs between rows, the rest is filled in.
constexpr OptRow Row(S s, const char *key, uint8_t slot, uint8_t slots, K kind, int target, R rule, int32_t lo,
                     int32_t hi, int32_t def, E effect = E::None) {
    return OptRow{s, key, slot, slots, 0, kind, int16_t(target), rule, lo, hi, def, 0, 0, 0, 0, effect};
}
// A flag in one option byte.
constexpr OptRow Flag(S s, const char *key, int byte, int32_t def, E effect = E::None) {
    return Row(s, key, 0, 1, K::Byte, byte, R::Flag, 0, 1, def, effect);
}
// One value of a list key in an option byte.
constexpr OptRow ListFlag(S s, const char *key, uint8_t slot, uint8_t slots, int byte, int32_t def,
                          E effect = E::None) {
    return Row(s, key, slot, slots, K::Byte, byte, R::Flag, 0, 1, def, effect);
}
constexpr OptRow Byte(S s, const char *key, int byte, R rule, int32_t lo, int32_t hi, int32_t def,
                      E effect = E::None) {
    return Row(s, key, 0, 1, K::Byte, byte, rule, lo, hi, def, effect);
}
constexpr OptRow Int(S s, const char *key, int index, R rule, int32_t lo, int32_t hi, int32_t def) {
    OptRow r = Row(s, key, 0, 1, K::Int, index, rule, lo, hi, def);
    r.isSigned = rule == R::Mask ? 0 : 1;
    return r;
}
constexpr OptRow Colour(S s, const char *key, int index, int32_t def) {
    return Row(s, key, 0, 1, K::Int, index, R::Mask, 0, kColourMax, def);
}
constexpr OptRow Field(S s, const char *key, OptField f, R rule, int32_t lo, int32_t hi, int32_t def,
                       E effect = E::None) {
    OptRow r = Row(s, key, 0, 1, K::Field, int(f), rule, lo, hi, def, effect);
    r.isSigned = rule == R::Mask ? 0 : 1;
    return r;
}
constexpr OptRow Signed(OptRow r) {
    r.isSigned = 1;
    return r;
}
constexpr OptRow NeedAll(OptRow r) {
    r.needAll = 1;
    return r;
}
constexpr OptRow FromDefaults(OptRow r) {
    r.fromDefaults = 1;
    return r;
}
constexpr OptRow Bit(OptRow r, uint8_t bit) {
    r.kind = K::BitOfByte;
    r.bit = bit;
    return r;
}
constexpr OptRow Lazy(OptRow r) {
    r.lazy = 1;
    return r;
}
constexpr OptRow ZoomQ(const char *key, int mode, int32_t reduceDef, int32_t enlargeDef, uint8_t slot) {
    return Row(S::Other, key, slot, 2, K::ZoomQ, slot == 0 ? mode : mode + kZoomModes, R::Refuse, 0, 10,
               slot == 0 ? reduceDef : enlargeDef);
}
constexpr OptRow Text(S s, const char *key, OptText t) { return Row(s, key, 0, 1, K::Text, int(t), R::Any, 0, 0, 0); }
constexpr OptRow Remembered(const char *key, OptRemembered r, uint8_t slot, uint8_t slots) {
    OptRow row = Row(S::Wnd, key, slot, slots, K::Remembered, int(r), R::Any, INT_MIN, INT_MAX, 0);
    row.isSigned = 1;
    row.needAll = 1;
    return row;
}
// Options of the dialogs and lists: their modules own value and default; the
// table keeps the key, the number of values and the acceptance.
constexpr OptRow Ext(S s, const char *key, uint8_t slot, uint8_t slots, R rule, int32_t lo, int32_t hi) {
    OptRow r = Row(s, key, slot, slots, K::External, -1, rule, lo, hi, 0);
    r.isSigned = 1;
    r.lazy = s == S::Dlg || s == S::Save || s == S::CpMv;
    return r;
}
constexpr OptRow ExtFlag(S s, const char *key) { return Ext(s, key, 0, 1, R::Flag, 0, 1); }
constexpr OptRow ExtColour(S s, const char *key) {
    OptRow r = Ext(s, key, 0, 1, R::Mask, 0, kColourMax);
    r.isSigned = 0;
    return r;
}
constexpr OptRow RunTime(K kind, int target, int32_t def) {
    return Row(S::None, nullptr, 0, 1, kind, target, R::Any, INT_MIN, INT_MAX, def);
}

const OptRow kTable[] = {
    // [Boot]: read before the single-instance check.
    Flag(S::Boot, "Multi", kOptMulti, 0),
    Flag(S::Boot, "Active", kOptActive, 1),

    // [Wnd]
    Flag(S::Wnd, "WndCent", 37, 0),
    Flag(S::Wnd, "ImgCent", kOptImageCenter, 1, E::ImageCenter),
    Flag(S::Wnd, "IfMax", 39, 1),
    Flag(S::Wnd, "IfFull", 40, 0),
    Flag(S::Wnd, "BGTile", 32, 1),
    Flag(S::Wnd, "TlbDvd", 12, 1),
    Flag(S::Wnd, "TlbCnt", 13, 0),
    Byte(S::Wnd, "IniPos", 22, R::Refuse, 0, 1, 0),
    Byte(S::Wnd, "IniShow", 38, R::Refuse, 0, 2, 0),
    Colour(S::Wnd, "BGCol1", 0, 0x202020),
    Colour(S::Wnd, "BGCol2", 1, 0x303030),
    Int(S::Wnd, "PattSize", 2, R::Refuse, 0, 4, 2),
    Flag(S::Wnd, "Capb", kOptCaption, 1),
    Flag(S::Wnd, "Frame", 1, 1),
    Flag(S::Wnd, "Edge", 2, 1),
    Flag(S::Wnd, "TlbSiz", 14, 0),
    NeedAll(Signed(Row(S::Wnd, "UserRect", 0, 4, K::Int, 11, R::Any, INT_MIN, INT_MAX, 0, E::UserRect))),
    NeedAll(Signed(Row(S::Wnd, "UserRect", 1, 4, K::Int, 12, R::Any, INT_MIN, INT_MAX, 0, E::UserRect))),
    NeedAll(Signed(Row(S::Wnd, "UserRect", 2, 4, K::Int, 13, R::Any, INT_MIN, INT_MAX, 480, E::UserRect))),
    NeedAll(Signed(Row(S::Wnd, "UserRect", 3, 4, K::Int, 14, R::Any, INT_MIN, INT_MAX, 360, E::UserRect))),
    ListFlag(S::Wnd, "Tpmst", 0, 2, 105, 0, E::TopMostWindow),
    ListFlag(S::Wnd, "Tpmst", 1, 2, 106, 0, E::TopMostFull),
    Remembered("Rect", OptRemembered::Rect, 0, 4),
    Remembered("Rect", OptRemembered::Rect, 1, 4),
    Remembered("Rect", OptRemembered::Rect, 2, 4),
    Remembered("Rect", OptRemembered::Rect, 3, 4),
    Remembered("Show", OptRemembered::Show, 0, 1),
    Remembered("Full", OptRemembered::Full, 0, 1),

    // [Other]
    Row(S::Other, "SlctBgn", 0, 2, K::SelGrid, 0, R::Clamp, 1, 999, 1),
    Row(S::Other, "SlctBgn", 1, 2, K::SelGrid, 1, R::Clamp, 1, 999, 1),
    Row(S::Other, "SlctSel", 0, 2, K::SelGrid, 2, R::Clamp, 1, 999, 1),
    Row(S::Other, "SlctSel", 1, 2, K::SelGrid, 3, R::Clamp, 1, 999, 1),
    ZoomQ("ZmQNml", 0, 2, 1, 0),
    ZoomQ("ZmQNml", 0, 2, 1, 1),
    ZoomQ("ZmQMax", 1, 2, 1, 0),
    ZoomQ("ZmQMax", 1, 2, 1, 1),
    ZoomQ("ZmQFul", 2, 2, 1, 0),
    ZoomQ("ZmQFul", 2, 2, 1, 1),
    ZoomQ("ZmQZom", 3, 1, 1, 0),
    ZoomQ("ZmQZom", 3, 1, 1, 1),
    ZoomQ("ZmQCmc", 4, 2, 1, 0),
    ZoomQ("ZmQCmc", 4, 2, 1, 1),
    Signed(Row(S::Other, "ZmStep", 0, 2, K::Int, 20, R::Clamp, 1, 100, 10)),
    Signed(Row(S::Other, "ZmStep", 1, 2, K::Int, 21, R::Clamp, 1, 5000, 25)),
    Row(S::Other, "ShowOpt", 0, 2, K::Byte, 84, R::ShowMode, 0, 5, 2, E::RefitWindow),
    Row(S::Other, "ShowOpt", 1, 2, K::Byte, 85, R::ShowMode, 0, 5, 1, E::RefitFull),
    Row(S::Other, "FitOpt", 0, 2, K::Byte, 80, R::Refuse, 0, 3, 0, E::RefitWindow),
    Row(S::Other, "FitOpt", 1, 2, K::Byte, 81, R::Refuse, 0, 3, 0, E::RefitFull),
    ListFlag(S::Other, "PreDirTop", 0, 3, 69, 0),
    ListFlag(S::Other, "PreDirTop", 1, 3, 70, 0),
    ListFlag(S::Other, "PreDirTop", 2, 3, 71, 0),
    ListFlag(S::Other, "ITxtShow", 0, 3, kOptInfoFull, 0),
    ListFlag(S::Other, "ITxtShow", 1, 3, kOptInfoWindow, 0),
    ListFlag(S::Other, "ITxtShow", 2, 3, 102, 0),
    Text(S::Other, "FontName", OptText::FontName),
    Text(S::Other, "FontPrm", OptText::FontParams),
    Int(S::Other, "WheelSpd", 3, R::Clamp, 1, 10000, 40),
    Field(S::Other, "FileSkip", OptField::FileSkip, R::Clamp, 2, 10000, 10),
    Int(S::Other, "ZmLock", kIntZoomLock, R::Clamp, 0, 500000000, 0),
    Colour(S::Other, "BGColA", 4, 0x808080),
    Colour(S::Other, "CutCol", 5, 0),
    Colour(S::Other, "CmcMargCol", 6, 0),
    Int(S::Other, "SimpleZm", 22, R::Clamp, 0, INT_MAX, 0),
    Int(S::Other, "SmplZmZm", 23, R::Clamp, 0, INT_MAX, 0),
    Int(S::Other, "MaxFitZm", 24, R::Clamp, 100, 5000, 5000),
    Field(S::Other, "TmAutoNx", OptField::SlideInterval, R::Clamp, 100, 86400000, 5000, E::SlideTimer),
    Field(S::Other, "UndoMax", OptField::UndoMax, R::Clamp, 0, INT_MAX, 1, E::UndoOff),
    Field(S::Other, "ITxtCol", OptField::InfoTextColour, R::Mask, 0, kColourMax, 0xFFFFFF),
    Field(S::Other, "ITxtColBk", OptField::InfoTextBack, R::Mask, 0, kColourMax, 0),
    Field(S::Other, "DragMargin", OptField::DragMargin, R::Clamp, 0, 999, 4),
    Byte(S::Other, "GIFAniLmt", 24, R::GifLimit, 0, 4, 0),
    Flag(S::Other, "ComicLR", 49, 0),
    Byte(S::Other, "CapbFN", 21, R::Refuse, 0, 2, 2, E::Caption),
    Byte(S::Other, "ComicMarg", 52, R::Refuse, 0, 2, 0),
    Byte(S::Other, "NxtLstAsk", 67, R::Refuse, 0, 3, 1),
    Byte(S::Other, "WheelIdle", 78, R::Clamp, 0, 1, 0),
    Byte(S::Other, "DragBst", 79, R::Clamp, 1, 10, 1),
    Byte(S::Other, "SelSize", 83, R::SelGrid, 0, 32, 1, E::SelGrid),
    Byte(S::Other, "RotaOpt", 86, R::Refuse, 0, 7, 0),
    Byte(S::Other, "DragZmSpd", 89, R::Refuse, 0, 2, 1),
    Byte(S::Other, "DragZmDir", 90, R::Refuse, 0, 3, 0),
    Byte(S::Other, "ITxtPos", 103, R::Refuse, 0, 8, 7),
    Byte(S::Other, "ITxtBk", 104, R::Refuse, 0, 2, 2),
    Byte(S::Other, "HovScrMgn", 108, R::Clamp, 0, 50, 25),
    Byte(S::Other, "HovScrSpd", 109, R::Clamp, 0, 10, 0),
    Byte(S::Other, "SortType", 82, R::Refuse, 1, 5, 1, E::Resort),

    // [Flag]: read and written in this order.
    Flag(S::Flag, "DropActv", 16, 1),
    Flag(S::Flag, "FScrnCur", 18, 1),
    Flag(S::Flag, "FSWaitCur", 19, 1),
    Flag(S::Flag, "FSTaskBar", 20, 0),
    Flag(S::Flag, "LoadFAHid", 33, 1),
    Flag(S::Flag, "LoadFASys", 34, 1),
    Flag(S::Flag, "LoadFA_HS", 35, 0),
    Flag(S::Flag, "RenmSort", 41, 1),
    Flag(S::Flag, "FDelAsk", 93, 1),
    Flag(S::Flag, "FDelUndo", 42, 1),
    Flag(S::Flag, "FMoveNext", 43, 0),
    Flag(S::Flag, "SortFNXP", kOptSortNatural, 1),  // 0 before Windows XP (Settings_Init)
    Flag(S::Flag, "SortDsnd", kOptSortReverse, 0),
    Flag(S::Flag, "ComicMode", 48, 0),
    Flag(S::Flag, "ComicAuto", 50, 0),
    Flag(S::Flag, "ComicPreRt", 51, 0),
    Flag(S::Flag, "OverMem", 53, 0),
    Flag(S::Flag, "LoadBF24", 54, 1),
    Flag(S::Flag, "FitToTlb", 55, 1),
    Flag(S::Flag, "OvWrAsk", 57, 1),
    Flag(S::Flag, "OvWrDlg", 58, 1),
    Flag(S::Flag, "SvSvPath", 59, 1),
    Flag(S::Flag, "NxtPrvBp", 66, 0),
    Flag(S::Flag, "NxtDirMRU", 68, 0),
    Flag(S::Flag, "AtNxtLp", 73, 1),
    Flag(S::Flag, "AtNxtDir", 74, 0),
    Flag(S::Flag, "AtNxtPrnt", 75, 1),
    Flag(S::Flag, "AtNxtFS", 76, 1),
    Flag(S::Flag, "AtNxtRand", 77, 0),
    Flag(S::Flag, "SpiPrior", 88, 0),
    Flag(S::Flag, "DragZmQ", 91, 1),
    Flag(S::Flag, "ZmType", 92, 0),
    Flag(S::Flag, "MangaRevTB", 94, 1),
    Flag(S::Flag, "MangaRevJm", 95, 1),
    Flag(S::Flag, "ActvNoCmnd", 98, 0),
    Flag(S::Flag, "PasteEx", 99, 1),
    Flag(S::Flag, "HoverScrl", 107, 0),
    Flag(S::Flag, "DisableIME", 110, 1),

    // [ChildWnd]: a missing Menub, or first value of Tlb or Sttb, takes the
    // defaults block's value so the bars are laid out in any case.
    FromDefaults(Flag(S::ChildWnd, "Menub", 3, 0, E::MenuBar)),
    FromDefaults(Bit(ListFlag(S::ChildWnd, "Tlb", 0, 2, kOptToolbar, 0), 0)),
    FromDefaults(Bit(ListFlag(S::ChildWnd, "Tlb", 0, 2, kOptToolbarEdge, 0), 1)),
    ListFlag(S::ChildWnd, "Tlb", 1, 2, 6, 1),
    FromDefaults(Bit(ListFlag(S::ChildWnd, "Sttb", 0, 2, kOptStatus, 0), 0)),
    FromDefaults(Bit(ListFlag(S::ChildWnd, "Sttb", 0, 2, kOptStatusEdge, 0), 1)),
    ListFlag(S::ChildWnd, "Sttb", 1, 2, 9, 1),
    ListFlag(S::ChildWnd, "Scrb", 0, 2, 10, 1),
    ListFlag(S::ChildWnd, "Scrb", 1, 2, 11, 0),

    // [Mask]: channel bit sets are masked to their bits.
    Byte(S::Mask, "Nega", 60, R::Mask, 0, 7, 7),
    Byte(S::Mask, "XOR", 61, R::Mask, 0, 7, 7),
    Byte(S::Mask, "Q0", 62, R::Mask, 0, 63, 7),
    Field(S::Mask, "GlsSize", OptField::GlassSize, R::Clamp, 2, 999, 8),
    Flag(S::Mask, "GlsEx", 63, 0),
    Byte(S::Mask, "RGB", 65, R::Clamp, 0, 4, 3),
    Flag(S::Mask, "FLNega", 64, 1),

    // [Dlg] (lazy): options of the editing and output dialogs.
    Ext(S::Dlg, "NewImgSize", 0, 2, R::Refuse, 1, 65535),
    Ext(S::Dlg, "NewImgSize", 1, 2, R::Refuse, 1, 65535),
    Ext(S::Dlg, "RsizQual", 0, 2, R::Refuse, 0, 10),
    Ext(S::Dlg, "RsizQual", 1, 2, R::Refuse, 0, 10),
    Ext(S::Dlg, "HSLUniPrm", 0, 3, R::Any, INT_MIN, INT_MAX),
    Ext(S::Dlg, "HSLUniPrm", 1, 3, R::Clamp, 0, 100),
    Ext(S::Dlg, "HSLUniPrm", 2, 3, R::Clamp, -100, 100),
    Ext(S::Dlg, "UnshMask", 0, 3, R::Clamp, 1, 100),
    Ext(S::Dlg, "UnshMask", 1, 3, R::Any, INT_MIN, INT_MAX),
    Ext(S::Dlg, "UnshMask", 2, 3, R::Any, INT_MIN, INT_MAX),
    Ext(S::Dlg, "GauBlur", 0, 2, R::Clamp, 1, 100),
    Ext(S::Dlg, "GauBlur", 1, 2, R::Any, INT_MIN, INT_MAX),
    NeedAll(Ext(S::Dlg, "PrintMgn", 0, 4, R::Clamp, 0, INT_MAX)),
    NeedAll(Ext(S::Dlg, "PrintMgn", 1, 4, R::Clamp, 0, INT_MAX)),
    NeedAll(Ext(S::Dlg, "PrintMgn", 2, 4, R::Clamp, 0, INT_MAX)),
    NeedAll(Ext(S::Dlg, "PrintMgn", 3, 4, R::Clamp, 0, INT_MAX)),
    NeedAll(Ext(S::Dlg, "PrintUsSz", 0, 2, R::Clamp, 0, INT_MAX)),
    NeedAll(Ext(S::Dlg, "PrintUsSz", 1, 2, R::Clamp, 0, INT_MAX)),
    NeedAll(Ext(S::Dlg, "SelPos", 0, 2, R::Any, INT_MIN, INT_MAX)),
    NeedAll(Ext(S::Dlg, "SelPos", 1, 2, R::Any, INT_MIN, INT_MAX)),
    NeedAll(Ext(S::Dlg, "BrightPos", 0, 2, R::Any, INT_MIN, INT_MAX)),
    NeedAll(Ext(S::Dlg, "BrightPos", 1, 2, R::Any, INT_MIN, INT_MAX)),
    NeedAll(Ext(S::Dlg, "CPMaskPos", 0, 2, R::Any, INT_MIN, INT_MAX)),
    NeedAll(Ext(S::Dlg, "CPMaskPos", 1, 2, R::Any, INT_MIN, INT_MAX)),
    NeedAll(Ext(S::Dlg, "NijiPos", 0, 2, R::Any, INT_MIN, INT_MAX)),
    NeedAll(Ext(S::Dlg, "NijiPos", 1, 2, R::Any, INT_MIN, INT_MAX)),
    NeedAll(Ext(S::Dlg, "PalPos", 0, 2, R::Any, INT_MIN, INT_MAX)),
    NeedAll(Ext(S::Dlg, "PalPos", 1, 2, R::Any, INT_MIN, INT_MAX)),
    NeedAll(Ext(S::Dlg, "ZoomPos", 0, 2, R::Any, INT_MIN, INT_MAX)),
    NeedAll(Ext(S::Dlg, "ZoomPos", 1, 2, R::Any, INT_MIN, INT_MAX)),
    NeedAll(Ext(S::Dlg, "LevelPos", 0, 2, R::Any, INT_MIN, INT_MAX)),
    NeedAll(Ext(S::Dlg, "LevelPos", 1, 2, R::Any, INT_MIN, INT_MAX)),
    Ext(S::Dlg, "RotateAng", 0, 1, R::Any, INT_MIN, INT_MAX),
    Ext(S::Dlg, "PrintBri", 0, 1, R::Refuse, -5, 5),
    ExtFlag(S::Dlg, "BrightPrev"),
    ExtFlag(S::Dlg, "ColDepDith"),
    ExtFlag(S::Dlg, "CPMaskPrev"),
    ExtFlag(S::Dlg, "ImgSizAspe"),
    ExtFlag(S::Dlg, "InfoColCnt"),
    ExtFlag(S::Dlg, "OpenPrev"),
    ExtFlag(S::Dlg, "PalPrev"),
    ExtFlag(S::Dlg, "NijiPrev"),
    ExtFlag(S::Dlg, "RsizRsiz"),
    ExtFlag(S::Dlg, "RsizAspe"),
    ExtFlag(S::Dlg, "RsizSharp"),
    ExtFlag(S::Dlg, "JumpPrev"),
    ExtFlag(S::Dlg, "FlagUniHSL"),
    ExtFlag(S::Dlg, "LevelPrev"),
    ExtFlag(S::Dlg, "PrintAspe"),
    Ext(S::Dlg, "ImgSizUnit", 0, 1, R::Refuse, 0, 3),
    Ext(S::Dlg, "ImgSizAnch", 0, 1, R::Refuse, 0, 8),
    Ext(S::Dlg, "PrintAnch", 0, 1, R::Refuse, 0, 8),
    ExtColour(S::Dlg, "ImgSizCol"),
    ExtColour(S::Dlg, "NewImgCol"),
    ExtColour(S::Dlg, "RotateCol"),
    Ext(S::Dlg, "NewImgBPP", 0, 1, R::Refuse, 0, 5),
    Ext(S::Dlg, "OpenQual", 0, 1, R::Clamp, 0, 2),
    Ext(S::Dlg, "JumpQual", 0, 1, R::Clamp, 0, 2),
    Ext(S::Dlg, "OpenFilter", 0, 1, R::Refuse, 1, 2),
    Ext(S::Dlg, "NijiSize", 0, 1, R::Any, INT_MIN, INT_MAX),
    Ext(S::Dlg, "RsizPrnt", 0, 1, R::Refuse, 0, 1),
    Ext(S::Dlg, "RsizReso", 0, 1, R::Refuse, 0, 1),
    Ext(S::Dlg, "PrintUnit", 0, 1, R::Refuse, 0, 1),
    Ext(S::Dlg, "HSLGray", 0, 1, R::Refuse, 0, 2),
    Ext(S::Dlg, "PrintRota", 0, 1, R::Refuse, 0, 2),
    Ext(S::Dlg, "PrintCopi", 0, 1, R::Refuse, 1, 1000),
    Ext(S::Dlg, "PrintSzTp", 0, 1, R::Refuse, 0, 4),
    Ext(S::Dlg, "CPMaskCode", 0, 1, R::Any, 0, 0),

    // [Save] (lazy): options of the save dialogs.
    Ext(S::Save, "Path", 0, 1, R::Any, 0, 0),
    Ext(S::Save, "Filter", 0, 1, R::Refuse, 1, 4),
    ExtFlag(S::Save, "OrigTime"),
    ExtFlag(S::Save, "ExtenUp"),
    ExtFlag(S::Save, "BmpTop"),
    ExtFlag(S::Save, "BmpRLE"),
    ExtFlag(S::Save, "GifLace"),
    ExtFlag(S::Save, "GifNoCmp"),
    ExtFlag(S::Save, "JpgProg"),
    ExtFlag(S::Save, "PngLace"),
    Ext(S::Save, "GifTrans", 0, 1, R::Clamp, 0, 5),
    Ext(S::Save, "GifTraCol", 0, 1, R::Clamp, 0, 255),
    Ext(S::Save, "JpgQual", 0, 1, R::Clamp, 1, 100),
    Ext(S::Save, "PngCmpLv", 0, 1, R::Clamp, 0, 9),
    Ext(S::Save, "PngFilt", 0, 1, R::Clamp, 0, 2),
    Ext(S::Save, "PngTrans", 0, 1, R::Clamp, 0, 4),

    // [CpMv] (lazy): the copy and move dialogs.
    Lazy(Flag(S::CpMv, "CpAskOvWr", 96, 1)),
    Lazy(Flag(S::CpMv, "MvAskOvWr", 97, 1)),
    ExtFlag(S::CpMv, "CpEx"),
    ExtFlag(S::CpMv, "MvEx"),
    Ext(S::CpMv, "CpD%02d", 0, 1, R::Any, 0, 9),
    Ext(S::CpMv, "MvD%02d", 0, 1, R::Any, 0, 9),

    // [Load]
    Flag(S::Load, "BmpTrans", 25, 1),
    Flag(S::Load, "GifTrans", 26, 1),
    Flag(S::Load, "GifFBGcol", 27, 0),
    Flag(S::Load, "GifAni", 28, 1),
    Flag(S::Load, "PngTrans", 29, 1),
    Flag(S::Load, "PngFBGcol", 30, 0),
    Flag(S::Load, "ExifRota", 31, 1),

    // [MRUF]
    Flag(S::MRUF, "OpenLast", kOptOpenLast, 0),
    Text(S::MRUF, "LastF", OptText::LastFile),
    Text(S::MRUF, "LastA", OptText::LastMember),
    Row(S::MRUF, "F00", 0, 1, K::Obsolete, -1, R::Any, 0, 0, 0),
    Row(S::MRUF, "A00", 0, 1, K::Obsolete, -1, R::Any, 0, 0, 0),

    // [MRUD]: the recent folders, most recent first.
    Flag(S::MRUD, "Save", 36, 1),
    Ext(S::MRUD, "D%02d", 0, 1, R::Any, 0, 19),
    Ext(S::MRUD, "F%02d", 0, 1, R::Any, 0, 19),

    // Options that only the program sets, and the one without a key.
    RunTime(K::Byte, kOptFullScreen, 0),
    RunTime(K::Byte, kOptMaxBeforeFull, 0),
    RunTime(K::Byte, 56, 25),  // largest clipboard copy, percent of physical memory
    RunTime(K::Byte, kOptSlideRunning, 0),
    RunTime(K::Int, kIntRectLeft + 0, 0),
    RunTime(K::Int, kIntRectLeft + 1, 0),
    RunTime(K::Int, kIntRectLeft + 2, 0),
    RunTime(K::Int, kIntRectLeft + 3, 0),
    RunTime(K::Int, kIntSavedRect + 0, 0),
    RunTime(K::Int, kIntSavedRect + 1, 0),
    RunTime(K::Int, kIntSavedRect + 2, 0),
    RunTime(K::Int, kIntSavedRect + 3, 0),
};

constexpr size_t kRows = sizeof kTable / sizeof kTable[0];

const char *const kSectionNames[] = {"", "Boot", "Wnd", "Other", "Flag", "ChildWnd", "Mask",
                                     "Dlg", "Save", "CpMv", "Load", "MRUF", "MRUD"};
static_assert(sizeof kSectionNames / sizeof kSectionNames[0] == size_t(CfgSection::Count), "one name per section");

bool SameKey(const OptRow &a, const OptRow &b) {
    if (a.section != b.section || a.key == nullptr || b.key == nullptr) return false;
    const char *x = a.key, *y = b.key;
    while (*x != 0 && *x == *y) ++x, ++y;
    return *x == *y;
}

int32_t *FieldPtr(Settings *s, OptField f) {
    switch (f) {
        case OptField::SlideInterval: return &s->slideInterval;
        case OptField::UndoMax: return &s->undoMax;
        case OptField::GlassSize: return &s->glassSize;
        case OptField::FileSkip: return &s->fileSkip;
        case OptField::DragMargin: return &s->dragMargin;
        case OptField::InfoTextColour: return reinterpret_cast<int32_t *>(&s->infoTextColour);
        case OptField::InfoTextBack: return reinterpret_cast<int32_t *>(&s->infoTextBack);
    }
    return nullptr;
}

// Where a byte-sized row keeps its value (option bytes and zoom qualities);
// null for rows stored in 32 bits.
uint8_t *BytePtr(Settings *s, const OptRow *row) {
    switch (row->kind) {
        case K::Byte:
        case K::BitOfByte:
            return row->target >= 0 && row->target < kOptByteCount ? &s->option[row->target] : nullptr;
        case K::ZoomQ:
            return row->target >= 0 && row->target < 2 * kZoomModes ? &s->zoomQuality[row->target] : nullptr;
        default: return nullptr;
    }
}

int32_t *IntPtr(Settings *s, const OptRow *row) {
    switch (row->kind) {
        case K::Int: return row->target >= 0 && row->target < kOptIntCount ? &s->optInt[row->target] : nullptr;
        case K::Field: return FieldPtr(s, OptField(row->target));
        case K::SelGrid:
            if (row->target < 0 || row->target > 3) return nullptr;
            return row->target < 2 ? &s->selGridStart[row->target] : &s->selGridSize[row->target - 2];
        default: return nullptr;
    }
}

// The value to store under the row's rule; false when refused.
bool Admit(const OptRow *row, int32_t value, int32_t *out) {
    switch (row->rule) {
        case R::Any: *out = value; return true;
        case R::Flag: *out = value != 0; return true;
        case R::Refuse:
            if (value < row->min || value > row->max) return false;
            *out = value;
            return true;
        case R::Clamp: *out = value < row->min ? row->min : (value > row->max ? row->max : value); return true;
        case R::Mask: *out = int32_t(uint32_t(value) & uint32_t(row->max)); return true;
        case R::GifLimit:
            if (value == 5) value = 4;
            if (value < 0 || value > 4) return false;
            *out = value;
            return true;
        case R::SelGrid:
            if (value != 0 && value != 1 && value != 2 && value != 4 && value != 8 && value != 16 && value != 32)
                return false;
            *out = value;
            return true;
        case R::ShowMode: {
            if (value < 0 || value > 5) return false;
            if (row->effect == E::RefitFull) {
                if (value == 0) return false;
                if (value == 3) value = 1;
                if (value == 4) value = 2;
            }
            *out = value;
            return true;
        }
    }
    return false;
}

void RunEffect(const OptRow *row, int32_t value) {
    const OptEffects &e = g_optEffects;
    switch (row->effect) {
        case E::ImageCenter: if (e.imageCenter) e.imageCenter(value); break;
        case E::Caption: if (e.captionChanged) e.captionChanged(); break;
        case E::RefitWindow: if (e.refit) e.refit(0); break;
        case E::RefitFull: if (e.refit) e.refit(1); break;
        case E::Resort: if (e.resort) e.resort(1); break;
        case E::SelGrid: if (e.selGridChanged) e.selGridChanged(); break;
        case E::SlideTimer: if (e.slideTimer) e.slideTimer(); break;
        case E::UndoOff: if (value == 0 && e.undoOff) e.undoOff(); break;
        case E::TopMostWindow: if (e.topMost) e.topMost(value, 0); break;
        case E::TopMostFull: if (e.topMost) e.topMost(value, 1); break;
        case E::MenuBar: if (e.menuBar) e.menuBar(value); break;
        case E::None:
        case E::UserRect: break;
    }
}

}  // namespace

const OptRow *Opt_Table(size_t *count) {
    if (count) *count = kRows;
    return kTable;
}

const char *Cfg_SectionName(CfgSection section) {
    const size_t i = size_t(section);
    return i < size_t(CfgSection::Count) ? kSectionNames[i] : "";
}

size_t Opt_KeyRowCount(const OptRow *first, const OptRow *end) {
    if (first == nullptr || first >= end) return 0;
    size_t n = 1;
    while (first + n < end && SameKey(first[0], first[n])) ++n;
    return n;
}

const OptRow *Opt_FindRow(OptKind kind, int target) {
    for (const OptRow &r : kTable)
        if (r.kind == kind && r.target == target) return &r;
    return nullptr;
}

bool Opt_RowAccepts(const OptRow *row, int32_t value) {
    int32_t stored = 0;
    return row != nullptr && Admit(row, value, &stored) && stored == value;
}

int32_t Opt_ReadRow(const Settings *s, const OptRow *row) {
    Settings *m = const_cast<Settings *>(s);
    if (row == nullptr || s == nullptr) return 0;
    if (const uint8_t *b = BytePtr(m, row)) return *b;
    if (const int32_t *i = IntPtr(m, row)) return *i;
    return 0;
}

void Opt_StoreRaw(Settings *s, const OptRow *row, int32_t value) {
    if (s == nullptr || row == nullptr) return;
    if (uint8_t *b = BytePtr(s, row))
        *b = uint8_t(value);
    else if (int32_t *i = IntPtr(s, row))
        *i = value;
}

int32_t Opt_ApplyRow(Settings *s, const OptRow *row, int32_t value, int *stored) {
    if (stored) *stored = 0;
    if (s == nullptr || row == nullptr) return 0;
    const int32_t previous = Opt_ReadRow(s, row);
    int32_t v = 0;
    if (!Admit(row, value, &v)) return previous;
    if (uint8_t *b = BytePtr(s, row)) {
        *b = uint8_t(v);
    } else if (int32_t *i = IntPtr(s, row)) {
        *i = v;
    } else {
        return previous;  // texts and outside options are not stored here
    }
    if (stored) *stored = 1;
    if (s == &g_settings && v != previous) RunEffect(row, v);
    return previous;
}
