// The image holder against a library that fails on purpose: every operation
// leaves the holder unchanged, holding the new picture, or empty, and no
// handle is leaked or freed twice. Also the binding's version and entry
// checks.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "common/fake_dibcore.h"
#include "image/qv_DibHolder.h"
#include "image/qv_DibOps.h"

namespace {

DibHandle MakePicture(int32_t w, int32_t h, int depth) {
    DibRgbQuad grey[256];
    for (int i = 0; i < 256; ++i) grey[i] = DibRgbQuad{uint8_t(i), uint8_t(i), uint8_t(i), 0};
    return Dib_Create(w, h, depth, 256, 1, depth <= 8 ? grey : nullptr);
}

// The holder is empty, or holds a live handle whose data pointer is the
// library's current one.
void ExpectSound(const DibHolder &h, fake::Library &lib, size_t othersLive, const std::string &what) {
    EXPECT_EQ(lib.doubleFrees, 0) << what;
    if (h.handle == 0) {
        EXPECT_EQ(h.data, nullptr) << what;
        EXPECT_EQ(lib.Live(), othersLive) << what;
    } else {
        fake::Pic *p = lib.Get(h.handle);
        ASSERT_NE(p, nullptr) << what;
        EXPECT_EQ(h.data, &p->data) << what;
        EXPECT_EQ(lib.Live(), othersLive + 1) << what;
    }
}

struct Op {
    const char *name;
    bool startsFull;  // the holder holds a picture before the call
    std::function<int(DibHolder &, DibHandle other)> run;
};

TEST(DibHolder, EveryOperationSurvivesEveryInjectedFailure) {
    const Op ops[] = {
        {"CopyFrom", false, [](DibHolder &h, DibHandle other) {
             DibHolder src;
             DibHolder_Attach(src, other);
             const int r = DibHolder_CopyFrom(h, src);
             DibHolder_Take(src);
             return r;
         }},
        {"Create", false, [](DibHolder &h, DibHandle) { return DibHolder_Create(h, 5, 3, 24, 0, 0, nullptr); }},
        {"Turn", true, [](DibHolder &h, DibHandle) { return DibHolder_Turn(h, 90); }},
        {"To24Bit in place", true, [](DibHolder &h, DibHandle) { return DibHolder_To24Bit(h, 0); }},
        {"To24Bit copy", false, [](DibHolder &h, DibHandle other) { return DibHolder_To24Bit(h, other); }},
        {"Mirror whole", true, [](DibHolder &h, DibHandle) { return DibHolder_Mirror(h, nullptr, 0); }},
        {"Mirror part", true, [](DibHolder &h, DibHandle) {
             const SelRect r{1, 1, 4, 3};
             return DibHolder_Mirror(h, &r, 1);
         }},
        {"JPGMtoDIB", false, [](DibHolder &h, DibHandle) { return DibHolder_JPGMtoDIB(h, "x", 1); }},
        {"Alpha", true, [](DibHolder &h, DibHandle other) {
             return DibHolder_ApplyTransparency(h, nullptr, other, 0xFFFFFF, 0, 0, 0);
         }},
        {"Paste", true, [](DibHolder &h, DibHandle other) {
             DibHolder src;
             DibHolder_Attach(src, other);
             const int r = DibHolder_PasteRect(h, src, 0, 0, 2, 2, 0, 0);
             DibHolder_Take(src);
             return r;
         }},
    };
    const fake::Entry entries[] = {fake::kData, fake::kCreate, fake::kCopy, fake::kCut,
                                   fake::kTurn, fake::kTo24,   fake::kRle,  fake::kJpgM};
    for (const Op &op : ops)
        for (fake::Entry e : entries)
            for (int n = 0; n <= 4; ++n) {
                fake::Scope scope;
                fake::Library &lib = scope.lib;
                const DibHandle other = MakePicture(6, 4, 8);  // the alpha / source / decoded picture
                lib.decoded = other;
                DibHolder h;
                if (op.startsFull) ASSERT_TRUE(DibHolder_Attach(h, MakePicture(6, 4, 8)));
                std::fill(std::begin(lib.calls), std::end(lib.calls), 0);
                lib.failAt[e] = n;
                op.run(h, other);
                const std::string what = std::string(op.name) + " entry " + std::to_string(e) + " call " +
                                         std::to_string(n);
                ExpectSound(h, lib, 1, what);
                if (h.handle) EXPECT_GT(DibHolder_GetWidth(h), 0) << what;  // reads through the pointer
                DibHolder_Free(h);
                EXPECT_EQ(lib.Live(), 1u) << what;
            }
}

TEST(DibHolder, AttachIntoAFullHolderLeavesBothUntouched) {
    fake::Scope scope;
    DibHolder h;
    const DibHandle first = MakePicture(2, 2, 24), second = MakePicture(3, 3, 24);
    ASSERT_TRUE(DibHolder_Attach(h, first));
    DibData *data = h.data;
    EXPECT_EQ(DibHolder_Attach(h, second), 0);
    EXPECT_EQ(h.handle, first);
    EXPECT_EQ(h.data, data);
    EXPECT_EQ(scope.lib.Live(), 2u);
    // A failing lock leaves the caller owning the handle.
    DibHolder empty;
    scope.lib.failAt[fake::kData] = scope.lib.calls[fake::kData] + 1;
    EXPECT_EQ(DibHolder_Attach(empty, second), 0);
    EXPECT_EQ(empty.handle, 0);
    EXPECT_EQ(Dibcore_DeleteDIB(second), 1);
    EXPECT_EQ(scope.lib.doubleFrees, 0);
}

TEST(DibHolder, UnboundLibraryFailsQuietly) {
    const DibcoreApi saved = g_dibcore;
    Dibcore_ClearEntryTable();
    DibHolder h;
    EXPECT_EQ(DibHolder_Create(h, 2, 2, 24, 0, 0, nullptr), 0);
    EXPECT_EQ(DibHolder_JPGMtoDIB(h, "x", 1), 0);
    EXPECT_EQ(Dibcore_CopyDIB(5), 0);
    EXPECT_EQ(Dibcore_DataDIB(5), nullptr);
    EXPECT_TRUE(h.empty());
    g_dibcore = saved;
}

// The version word and entry points a library must offer.
struct FakeModule {
    uint32_t version;
    std::vector<std::string> missing;
};
FakeModule *s_module = nullptr;
uint32_t DIBCORE_CALL VersionWord() { return s_module->version; }
int32_t DIBCORE_CALL AnyEntry(DibHandle) { return 0; }
void *Lookup(void *, const char *name) {
    if (std::string(name) == "DibcoreVersionDW") return reinterpret_cast<void *>(&VersionWord);
    for (const auto &m : s_module->missing)
        if (m == name) return nullptr;
    return reinterpret_cast<void *>(&AnyEntry);
}

TEST(DibcoreBinding, VersionWordsAndMissingEntries) {
    struct Case {
        uint32_t version;
        std::vector<std::string> missing;
        DibcoreBindResult utf16, ansi;
        const char *lastMissing;
    } cases[] = {
        {1, {}, kDibcoreBadVersion, kDibcoreBound, nullptr},
        {65537, {}, kDibcoreBound, kDibcoreBadVersion, nullptr},
        {65538, {}, kDibcoreBadVersion, kDibcoreBadVersion, nullptr},
        {65537, {"PNGtoDIB"}, kDibcoreMissingEntry, kDibcoreBadVersion, "PNGtoDIB"},
        {1, {"InfoGIFM", "CopyDIB"}, kDibcoreBadVersion, kDibcoreMissingEntry, "InfoGIFM"},
    };
    for (const Case &c : cases) {
        FakeModule module{c.version, c.missing};
        s_module = &module;
        for (bool utf16 : {true, false}) {
            DibcoreApi api;
            const char *missing = nullptr;
            const DibcoreBindResult r = Dibcore_Bind(&module, Lookup, nullptr, utf16, &api, &missing);
            EXPECT_EQ(r, utf16 ? c.utf16 : c.ansi) << c.version << " utf16=" << utf16;
            if (r == kDibcoreMissingEntry) {
                EXPECT_STREQ(missing, c.lastMissing);
                // Every other name was still bound.
                int bound = 0;
                for (int i = 0; i < kDibcoreEntryCount; ++i) bound += Dibcore_GetSlot(&api, i) != nullptr;
                EXPECT_EQ(bound, kDibcoreEntryCount - int(c.missing.size()));
            }
            if (r == kDibcoreBound) EXPECT_EQ(reinterpret_cast<void *>(api.GIFMAniToDIB), reinterpret_cast<void *>(&AnyEntry));
        }
    }
    s_module = nullptr;
}

}  // namespace
