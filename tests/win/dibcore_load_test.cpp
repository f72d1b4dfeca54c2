// Loading data\dibcore.dll: the version word and entry-point checks against
// small stand-in libraries, in both text flavours, with the reports shown.
#include <gtest/gtest.h>

#include "image/qv_DibApi.h"
#include "image/qv_DibcoreLoad.h"
#include "other/qv_Globals.h"
#include "other/qv_Msg.h"
#include "support/capture_boxes.h"

namespace {

#if defined(QV_ANSI)
const char *const kBuild = "A";
#else
const char *const kBuild = "W";
#endif

tstring Folder(const std::string &name) {
    std::string path = std::string(QV_BUILD_DIR) + "/fakedll/" + name + "/";
    for (char &c : path)
        if (c == '/') c = '\\';
    return tstring(path.begin(), path.end());
}

struct Outcome {
    int result;
    tstring text;
};

Outcome Load(const std::string &name) {
    Msg_ResetForTests();
    Dibcore_UnloadForTests();
    CaptureBoxes capture;
    const tstring folder = Folder(name);
    Outcome o{Dibcore_Load(folder.c_str()), TEXT("")};
    if (!capture.boxes().empty()) o.text = capture.boxes()[0].text;
    EXPECT_LE(capture.boxes().size(), 1u) << name;
    return o;
}

TEST(DibcoreLoad, VersionWordTable) {
    const bool utf16 = kBuild[0] == 'W';
    struct Case {
        std::string folder;
        bool acceptedByUtf16, acceptedByAnsi;
    } cases[] = {{"v1", false, true}, {"v65537", true, false}, {"v65538", false, false}};
    for (const Case &c : cases) {
        const Outcome o = Load(c.folder);
        const bool accepted = utf16 ? c.acceptedByUtf16 : c.acceptedByAnsi;
        EXPECT_EQ(o.result, accepted ? 1 : -1) << c.folder;
        if (!accepted) {
            EXPECT_TRUE(o.text == TEXT("dibcore.dll version error")) << c.folder;
        }
        EXPECT_NE(g_dibcore.module, nullptr);
        if (accepted) {
            EXPECT_NE(reinterpret_cast<void *>(g_dibcore.GIFMAniToDIB), nullptr);
        }
    }
    Dibcore_UnloadForTests();
}

TEST(DibcoreLoad, MissingEntryPointsNameTheLastOne) {
    Outcome o = Load(std::string("miss1_") + kBuild);
    EXPECT_EQ(o.result, -1);
    EXPECT_TRUE(o.text == TEXT("dibcore : GetProcAddress : PNGtoDIB"));
    EXPECT_EQ(g_dibcore.PNGtoDIB, nullptr);
    EXPECT_NE(g_dibcore.JPGtoDIB, nullptr);  // looked up after the miss
    o = Load(std::string("miss2_") + kBuild);
    EXPECT_EQ(o.result, -1);
    EXPECT_TRUE(o.text == TEXT("dibcore : GetProcAddress : InfoGIFM"));
    Dibcore_UnloadForTests();
}

TEST(DibcoreLoad, MissingLibraryReportsLayoutOnce) {
    Outcome o = Load("no_such_case");
    EXPECT_EQ(o.result, -1);
    EXPECT_NE(o.text.find(TEXT("not laid out correctly")), tstring::npos);
    // A second call once a module is bound does nothing.
    Load(std::string("v65537"));
    const void *module = g_dibcore.module;
    const tstring folder = Folder("v1");
    EXPECT_EQ(Dibcore_Load(folder.c_str()), 0);
    EXPECT_EQ(g_dibcore.module, module);
    EXPECT_EQ(Dibcore_Load(nullptr), 0);
    Dibcore_UnloadForTests();
    Msg_ResetForTests();
}

}  // namespace
