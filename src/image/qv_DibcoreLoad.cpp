#include "image/qv_DibcoreLoad.h"

#include "../../res/resource.h"
#include "image/qv_DibApi.h"
#include "other/qv_Msg.h"
#include "util/qv_Path.h"
#include "util/qv_Str.h"
#include "util/qv_Text.h"

namespace {

constexpr int kMissingTextChars = 256;

void *LookUp(void *module, const char *name) {
    return reinterpret_cast<void *>(GetProcAddress(static_cast<HMODULE>(module), name));
}

void ReportFatal(const TCHAR *text) { Msg_ReportError(nullptr, nullptr, text, -1, 1); }

}  // namespace

int Dibcore_Load(const TCHAR *programFolder) {
    if (g_dibcore.module != nullptr || programFolder == nullptr) return 0;
    TCHAR path[kPathChars];
    qvtext::CopyInto(path, kPathChars, programFolder);
    if (Path_Append(kPathChars, path, TEXT("data\\dibcore.dll"), 0) == nullptr) return 0;
    HMODULE module = LoadLibrary(path);
    if (module == nullptr) {
        if (Path_Exists(path)) return 0;
        return Msg_ErrorFromString(nullptr, IDS_FILES_NOT_LAID_OUT, 1) ? -1 : 0;
    }
#if defined(QV_ANSI)
    const bool utf16Build = false;
#else
    const bool utf16Build = true;
#endif
    const char *missing = nullptr;
    DibcoreApi api;
    const DibcoreBindResult result = Dibcore_Bind(module, LookUp, module, utf16Build, &api, &missing);
    // The module stays loaded on failure; start-up decides what happens next.
    g_dibcore = api;
    if (result == kDibcoreBadVersion) {
        ReportFatal(TEXT("dibcore.dll version error"));
        return -1;
    }
    if (result == kDibcoreMissingEntry) {
        TCHAR text[kMissingTextChars + 1] = TEXT("dibcore : GetProcAddress : ");
        size_t n = qvtext::Length(text);
        for (const char *p = missing; *p != 0 && n < kMissingTextChars; ++p) text[n++] = TCHAR(*p);
        text[n] = 0;
        ReportFatal(text);
        return -1;
    }
    return 1;
}

void Dibcore_UnloadForTests() {
    if (g_dibcore.module != nullptr) FreeLibrary(static_cast<HMODULE>(g_dibcore.module));
    Dibcore_ClearEntryTable();
}
