#include "support/real_dibcore.h"

#include "image/qv_DibApi.h"
#include "image/qv_DibcoreLoad.h"
#include "other/qv_Msg.h"
#include "util/qv_Str.h"
#include "support/capture_boxes.h"

namespace {

std::basic_string<TCHAR> ProgramFolder() {
    const std::string flavour = sizeof(TCHAR) == 1 ? "/Quivelta98/" : "/Quivelta/";
    std::string path = std::string("Z:") + QV_BUILD_DIR + flavour;
    for (char &c : path)
        if (c == '/') c = '\\';
    return std::basic_string<TCHAR>(path.begin(), path.end());
}

}  // namespace

RealDibcore::RealDibcore() {
    Msg_ResetForTests();
    Dibcore_UnloadForTests();
    CaptureBoxes capture;  // a missing entry point is reported in a box
    const int result = Dibcore_Load(ProgramFolder().c_str());
    // The table keeps every entry point the library has, even when the load
    // is refused for a missing one.
    const void *needed[] = {
        reinterpret_cast<void *>(g_dibcore.DeleteDIB),   reinterpret_cast<void *>(g_dibcore.DataDIB),
        reinterpret_cast<void *>(g_dibcore.CreateDIB),   reinterpret_cast<void *>(g_dibcore.CutDIB),
        reinterpret_cast<void *>(g_dibcore.TurnDIB),     reinterpret_cast<void *>(g_dibcore.RLEtoDIB),
        reinterpret_cast<void *>(g_dibcore.BMPtoDIB),    reinterpret_cast<void *>(g_dibcore.PNGtoDIB),
        reinterpret_cast<void *>(g_dibcore.PNGMAtoDIB),  reinterpret_cast<void *>(g_dibcore.InfoPNGM),
        reinterpret_cast<void *>(g_dibcore.GIFtoDIBex),  reinterpret_cast<void *>(g_dibcore.GIFAniToDIB),
    };
    ok_ = g_dibcore.module != nullptr;
    for (const void *p : needed) ok_ = ok_ && p != nullptr;
    if (!ok_) {
        problem_ = "dibcore.dll could not be bound (result " + std::to_string(result) + ")";
        for (const ShownBox &b : capture.boxes()) problem_ += ": " + std::string(b.text.begin(), b.text.end());
    }
    Msg_ResetForTests();
}

RealDibcore::~RealDibcore() { Dibcore_UnloadForTests(); }

bool RealDibcore::HasJpeg() { return g_dibcore.JPGtoDIB != nullptr && g_dibcore.JPGMtoDIB != nullptr; }

RealDibcore *RealDibcoreSuite::lib_ = nullptr;

void RealDibcoreSuite::SetUpTestSuite() {
    Str_InitLogicalCompare();
    lib_ = new RealDibcore;
}

void RealDibcoreSuite::TearDownTestSuite() {
    delete lib_;
    lib_ = nullptr;
}
