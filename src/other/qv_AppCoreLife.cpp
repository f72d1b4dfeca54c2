// Static lifetime of the application core's records: the settings are
// ready before the entry function runs, and the command-line block, the
// hand-over mapping and the mutex are released after it.
#include "other/qv_Cfg.h"
#include "other/qv_CmdLine.h"
#include "other/qv_Instance.h"
#include "other/qv_Settings.h"
#include "util/qv_SysVersion.h"

namespace {

struct AppCoreLife {
    AppCoreLife() { Settings_InitBoth(Sys_GetOsVersionCode()); }
    ~AppCoreLife() {
        Instance_Release();
        CmdLine_Release();
        Settings_Destroy(&g_settings);
        Settings_Destroy(&g_defaultSettings);
    }
    AppCoreLife(const AppCoreLife &) = delete;
    AppCoreLife &operator=(const AppCoreLife &) = delete;
};

AppCoreLife s_life;

}  // namespace
