// The next-picture command on a folder of large photos, timed from the
// command to the painted view, next to the decode of the same file alone.
// The frame and the view are the program's own, with the default settings,
// so the time includes paging, fitting, the display copy and the paint.
//   nextpic_bench_W.exe FOLDER [ROUNDS]
// The image library is read from data\dibcore.dll beside the program.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench_support.h"
#include "image/qv_DibcoreLoad.h"
#include "image/qv_FileList.h"
#include "image/qv_Format.h"
#include "image/qv_ImgData.h"
#include "image/qv_ImgLoad.h"
#include "image/qv_Open.h"
#include "image/qv_View.h"
#include "other/qv_Frame.h"
#include "other/qv_Globals.h"
#include "other/qv_IniAndEnd.h"
#include "other/qv_KeyMap.h"
#include "other/qv_Settings.h"
#include "other/qv_SysFacts.h"
#include "util/qv_Str.h"
#include "util/qv_Text.h"

namespace {

void Pump() {
    MSG m;
    while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessage(&m);
    }
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// The decode alone, as the loader does it for the record.
double DecodeMs(const TCHAR *path, int32_t loaderId) {
    LoadOptions options;
    ImgData_FillLoadOptions(&options);
    LoadedImage record;
    const double t0 = Bench_NowMs();
    const int failed = ImgLoad_FromSource(&record, path, nullptr, nullptr, 0, loaderId, 0, 0, options);
    const double t1 = Bench_NowMs();
    ImgLoad_FreeAll(&record);
    return failed ? -1 : t1 - t0;
}

// The next-picture command, until the view is painted.
double NextMs() {
    const double t0 = Bench_NowMs();
    SendMessage(g_process.frameWindow, WM_COMMAND, 40062, 0);
    UpdateWindow(g_process.frameWindow);
    if (g_process.viewWindow != nullptr) UpdateWindow(g_process.viewWindow);
    GdiFlush();
    return Bench_NowMs() - t0;
}

// Runs the program's own loop step on everything queued, then paints.
void PumpAndPaint() {
    MSG m;
    while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) MainLoop_Dispatch(&m);
    UpdateWindow(g_process.frameWindow);
    if (g_process.viewWindow != nullptr) UpdateWindow(g_process.viewWindow);
    GdiFlush();
}

// A command posted to the frame, through the loop, until painted.
double PostedCommandMs(UINT id) {
    const double t0 = Bench_NowMs();
    PostMessage(g_process.frameWindow, WM_COMMAND, id, 0);
    PumpAndPaint();
    return Bench_NowMs() - t0;
}

// A key as the keyboard delivers it to the view: the loop's accelerator
// table turns it into the command. Until painted.
double KeyPressMs(UINT virtualKey) {
    const double t0 = Bench_NowMs();
    PostMessage(g_process.viewWindow, WM_KEYDOWN, virtualKey, 1);
    PumpAndPaint();
    return Bench_NowMs() - t0;
}

// The display copy alone: the zoom recomputed in its mode, copy remade.
double DisplayCopyMs() {
    const double t0 = Bench_NowMs();
    ImgData_ApplyZoomMode(kZoomReqRecompute, 0);
    return Bench_NowMs() - t0;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: nextpic_bench FOLDER [ROUNDS]\n");
        return 2;
    }
    TCHAR folder[kPathChars];
    if (!Bench_FolderArgument(argv[1], folder)) return 2;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 2;

    TCHAR programFolder[kPathChars];
    const DWORD n = GetModuleFileName(nullptr, programFolder, kPathChars);
    if (n == 0 || n >= DWORD(kPathChars)) return 1;
    for (DWORD i = n; i > 0; --i)
        if (programFolder[i - 1] == TEXT('\\')) {
            programFolder[i] = 0;
            break;
        }
    Settings_InitBoth(61);
    g_settings.option[67] = 2;  // NxtLstAsk: wrap at the end of the list
    Str_InitLogicalCompare();
    Sys_ReadDpi();
    Sys_ReadDefaultSize();
    Sys_ReadMetrics();
    if (Dibcore_Load(programFolder) != 1 || !Format_RegisterBuiltins()) {
        std::fprintf(stderr, "data\\dibcore.dll could not be bound\n");
        return 1;
    }
    // The default key map, as start-up builds it when Custom.dat has none.
    if (KeyMap_LoadDefault(&g_keyMap) != 0 || !KeyMap_BuildAccelerators()) {
        std::fprintf(stderr, "the default key map could not be built\n");
        return 1;
    }
    if (Frame_Create(GetModuleHandle(nullptr), SW_SHOWNORMAL) != 0 || !View_AttachState()) {
        std::fprintf(stderr, "no frame\n");
        return 1;
    }
    if (!Open_Path(folder, nullptr, 0)) {
        std::fprintf(stderr, "the folder could not be opened\n");
        return 1;
    }
    Pump();
    const FileList *list = FileList_Current();
    const int32_t pictures = list != nullptr ? list->imageCount : 0;
    if (pictures < 2) {
        std::fprintf(stderr, "fewer than two pictures\n");
        return 1;
    }
    RECT client{};
    GetClientRect(g_process.viewWindow, &client);
    std::printf("%d pictures, view %ldx%ld, %d rounds (median per picture)\n", int(pictures), client.right,
                client.bottom, rounds);

    // One warm-up lap, so every file is in the system's cache for both.
    for (int32_t i = 0; i < pictures; ++i) {
        NextMs();
        Pump();
    }
    // Per picture: the index the next command lands on, its decode and its
    // next-command time.
    std::vector<std::vector<double>> decode(size_t(list->files.count)), next(size_t(list->files.count)),
        copy(size_t(list->files.count));
    for (int r = 0; r < rounds; ++r)
        for (int32_t i = 0; i < pictures; ++i) {
            const double ms = NextMs();
            Pump();
            const int32_t at = g_imgData.listIndex;
            if (at < 0 || at >= list->files.count || g_imgData.pathText == nullptr) continue;
            next[size_t(at)].push_back(ms);
            decode[size_t(at)].push_back(DecodeMs(g_imgData.pathText, list->files.items[at].type));
            copy[size_t(at)].push_back(DisplayCopyMs());
        }
    double sumDecode = 0, sumNext = 0, sumCopy = 0;
    for (int32_t i = 0; i < list->files.count; ++i) {
        if (next[size_t(i)].empty()) continue;
        const double d = Median(decode[size_t(i)]), t = Median(next[size_t(i)]), c = Median(copy[size_t(i)]);
        sumDecode += d;
        sumNext += t;
        sumCopy += c;
        char name[kPathChars];
#if defined(QV_ANSI)
        lstrcpynA(name, list->files.items[i].find.name, kPathChars);
#else
        WideCharToMultiByte(CP_UTF8, 0, list->files.items[i].find.name, -1, name, kPathChars, nullptr, nullptr);
#endif
        std::printf("%-32s decode %6.1f ms  next %6.1f ms  overhead %6.1f %%  (display copy %5.1f ms)\n", name, d,
                    t, d > 0 ? (t - d) * 100.0 / d : 0.0, c);
    }
    // The keyboard path next to the posted command. Per step both load the
    // same two pictures (posted next, key back, key next, posted back), so
    // the decode times cancel out of the comparison.
    std::vector<double> posted, keyed;
    double sumPosted = 0, sumKeyed = 0;
    for (int r = 0; r < rounds; ++r)
        for (int32_t i = 0; i < pictures; ++i) {
            const double p1 = PostedCommandMs(40062), k1 = KeyPressMs(VK_BACK), k2 = KeyPressMs(VK_SPACE),
                         p2 = PostedCommandMs(40061);
            posted.push_back(p1 + p2);
            keyed.push_back(k1 + k2);
            sumPosted += p1 + p2;
            sumKeyed += k1 + k2;
            PostedCommandMs(40062);
        }
    std::printf("next+previous, same pictures: posted commands %.1f ms, keys %.1f ms in all; median pair %.2f / "
                "%.2f ms\n", sumPosted, sumKeyed, Median(posted), Median(keyed));
    // The accelerator path alone: Home (45095) on a picture that fits the
    // view scrolls nothing, so what is timed is the message path.
    std::vector<double> postedHome, keyedHome;
    for (int n = 0; n < 2000; ++n) {
        postedHome.push_back(PostedCommandMs(45095));
        keyedHome.push_back(KeyPressMs(VK_HOME));
    }
    std::printf("a command that does nothing: posted %.4f ms, by its key %.4f ms (medians of %zu)\n",
                Median(postedHome), Median(keyedHome), keyedHome.size());
    std::printf("all pictures: decode %.1f ms, next %.1f ms, overhead %.1f %% (display copies %.1f ms)\n", sumDecode,
                sumNext, sumDecode > 0 ? (sumNext - sumDecode) * 100.0 / sumDecode : 0.0, sumCopy);
    DestroyWindow(g_process.frameWindow);
    return 0;
}
