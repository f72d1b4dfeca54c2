// The GIF panel: interlace, no compression and the transparent colour; the
// index edit, its up-down and its label are enabled only for the "given
// index" mode.
#include "../../res/resource.h"
#include "dlg/qv_SavePanels.h"

namespace {

const SavePanelControl kControls[] = {
    {IDC_SAVE_CHECK1, SaveCtl::Check, SaveOpt::GifLace, 0, 0},
    {IDC_SAVE_CHECK2, SaveCtl::Check, SaveOpt::GifNoCmp, 0, 0},
    {IDC_SAVE_COMBO1, SaveCtl::Combo, SaveOpt::GifTrans, IDC_SAVE_ITEMS1, 6},
    {IDC_SAVE_EDIT, SaveCtl::Edit, SaveOpt::GifTraCol, IDC_SAVE_UPDOWN, 0},
};
const SavePanelEnable kEnable[] = {
    {IDC_SAVE_COMBO1, SaveCtl::Combo, kGifTransIndex, {IDC_SAVE_EDIT, IDC_SAVE_UPDOWN, IDC_SAVE_NOTE}},
    {0, SaveCtl::Check, 0, {0, 0, 0}},
};

}  // namespace

const SavePanelSpec g_saveGifPanel = {
    TEXT("DLG_SAVE_GIF"), TEXT("d_save_gif.htm"), TEXT("qv_SaveGifDlg"), 72, kControls, 4, kEnable, 1,
};
