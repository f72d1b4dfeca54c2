// The BMP panel: row order and RLE compression; the note on compression is
// enabled only while compression is asked for.
#include "../../res/resource.h"
#include "dlg/qv_SavePanels.h"

namespace {

const SavePanelControl kControls[] = {
    {IDC_SAVE_CHECK1, SaveCtl::Check, SaveOpt::BmpTop, 0, 0},
    {IDC_SAVE_CHECK2, SaveCtl::Check, SaveOpt::BmpRle, 0, 0},
};
const SavePanelEnable kEnable[] = {
    {IDC_SAVE_CHECK2, SaveCtl::Check, 1, {IDC_SAVE_NOTE, 0, 0}},
    {0, SaveCtl::Check, 0, {0, 0, 0}},
};

}  // namespace

const SavePanelSpec g_saveBmpPanel = {
    TEXT("DLG_SAVE_BMP"), TEXT("d_save_bmp.htm"), TEXT("qv_SaveBmpDlg"), 67, kControls, 2, kEnable, 0,
};
