#include "image/qv_FileListOptions.h"

#include "other/qv_Settings.h"
#include "util/qv_SysVersion.h"

namespace {

constexpr int kOptListHidden = 33;        // LoadFAHid
constexpr int kOptListSystem = 34;        // LoadFASys
constexpr int kOptListHiddenSystem = 35;  // LoadFA_HS
constexpr int kOptSpiPrior = 88;          // SpiPrior

}  // namespace

void FileList_SettingsFromOptions(FileListSettings *out) {
    if (out == nullptr) return;
    *out = FileListSettings{};
    out->sortType = uint32_t(Opt_GetSortType());
    out->naturalOption = g_settings.option[kOptSortNatural] != 0;
    out->systemAbove50 = Sys_GetOsVersionCode() > 50;
    out->filter.listHidden = g_settings.option[kOptListHidden] != 0;
    out->filter.listSystem = g_settings.option[kOptListSystem] != 0;
    out->filter.listHiddenSystem = g_settings.option[kOptListHiddenSystem] != 0;
    out->spiPrior = g_settings.option[kOptSpiPrior] != 0;
}
