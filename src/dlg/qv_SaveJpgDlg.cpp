// The JPEG panel: progressive coding and the quality.
#include "../../res/resource.h"
#include "dlg/qv_SavePanels.h"

namespace {

const SavePanelControl kControls[] = {
    {IDC_SAVE_CHECK1, SaveCtl::Check, SaveOpt::JpgProg, 0, 0},
    {IDC_SAVE_EDIT, SaveCtl::Edit, SaveOpt::JpgQual, IDC_SAVE_UPDOWN, 0},
};

}  // namespace

const SavePanelSpec g_saveJpgPanel = {
    TEXT("DLG_SAVE_JPG"), TEXT("d_save_jpeg.htm"), TEXT("qv_SaveJpgDlg"), 68, kControls, 2, nullptr, 1,
};
