// The PNG panel: interlace, compression level, row filters and the
// transparent corner.
#include "../../res/resource.h"
#include "dlg/qv_SavePanels.h"

namespace {

const SavePanelControl kControls[] = {
    {IDC_SAVE_CHECK1, SaveCtl::Check, SaveOpt::PngLace, 0, 0},
    {IDC_SAVE_EDIT, SaveCtl::Edit, SaveOpt::PngCmpLv, IDC_SAVE_UPDOWN, 0},
    {IDC_SAVE_COMBO1, SaveCtl::Combo, SaveOpt::PngFilt, IDC_SAVE_ITEMS1, 3},
    {IDC_SAVE_COMBO2, SaveCtl::Combo, SaveOpt::PngTrans, IDC_SAVE_ITEMS2, 5},
};

}  // namespace

const SavePanelSpec g_savePngPanel = {
    TEXT("DLG_SAVE_PNG"), TEXT("d_save_png.htm"), TEXT("qv_SavePngDlg"), 72, kControls, 4, nullptr, 1,
};
