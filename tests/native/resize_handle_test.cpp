// The resampler over library pictures: handles and holders, with a small
// library that moves storage on every in-place call and fails on demand.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "common/fake_dibcore.h"
#include "image/qv_ResizeHandle.h"
#include "image/resample/qv_Resample.h"
#include "image/resample/qv_ResampleDib.h"

namespace {

// A w x h 24-bit picture with a gradient, bottom-up.
DibHandle MakePicture(int32_t w, int32_t h) {
    DibInfoHeader header{};
    header.biSize = 40;
    header.biWidth = w;
    header.biHeight = h;
    header.biPlanes = 1;
    header.biBitCount = 24;
    const size_t stride = ((size_t(w) * 24 + 31) / 32) * 4;
    std::vector<uint8_t> bits(stride * size_t(h));
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            for (int c = 0; c < 3; ++c) bits[y * stride + x * 3 + c] = uint8_t(x * 7 + y * 3 + c * 50);
    return Dibcore_CreateDIB(&header, bits.data());
}

TEST(ResizeHandle, SameBytesAsTheMemoryEntryAndNoLeaks) {
    fake::Scope scope;
    const DibHandle src = MakePicture(37, 23);
    ASSERT_NE(src, 0);
    const DibHandle small = Resize_Filtered(src, 11, 7, 100, 100);
    ASSERT_NE(small, 0);
    // The memory entry on the same pixels gives the same result.
    const DibData *d = Dibcore_DataDIB(src);
    const DibView view{d->header, d->headerSize, d->bits, d->bitsSize};
    ResampledDibOwner direct;
    ASSERT_EQ(Resize_Filtered(&view, 11, 7, 100, 100, direct.get()), 1);
    const DibData *r = Dibcore_DataDIB(small);
    ASSERT_EQ(r->header->biWidth, 11);
    ASSERT_EQ(r->header->biHeight, 7);
    ASSERT_EQ(uint64_t(r->bitsSize), direct->bitsBytes);
    EXPECT_EQ(std::memcmp(r->bits, direct->bits, r->bitsSize), 0);

    // Nearest neighbour keeps the depth; the same size is a copy.
    const DibHandle same = Resize_Simple(src, 37, 23);
    ASSERT_NE(same, 0);
    EXPECT_NE(same, src);
    EXPECT_EQ(Resize_Simple(0, 5, 5), 0);

    Dibcore_DeleteDIB(small);
    Dibcore_DeleteDIB(same);
    Dibcore_DeleteDIB(src);
    EXPECT_EQ(scope.lib.Live(), 0u);
    EXPECT_EQ(scope.lib.doubleFrees, 0);
}

TEST(ResizeHandle, HolderTargetMustBeEmptyAndFailuresLeaveNothing) {
    fake::Scope scope;
    DibHolder source, target, busy;
    ASSERT_EQ(DibHolder_Attach(source, MakePicture(20, 10)), 1);
    ASSERT_EQ(DibHolder_Attach(busy, MakePicture(3, 3)), 1);
    const DibHandle busyHandle = busy.handle;
    EXPECT_EQ(DibHolder_CreateResized(source, busy, 5, 5, 40, 40), 0);
    EXPECT_EQ(busy.handle, busyHandle) << "a holder that holds a picture is left alone";

    ASSERT_EQ(DibHolder_CreateResized(source, target, 40, 20, 40, 40), 1);
    ASSERT_NE(target.data, nullptr);
    EXPECT_EQ(target.data->header->biWidth, 40);

    // The new picture cannot be locked: it is deleted, the target stays empty.
    DibHolder second;
    scope.lib.failAt[fake::kData] = scope.lib.calls[fake::kData] + 2;  // the second fetch is the lock
    EXPECT_EQ(DibHolder_CreateResized(source, second, 8, 4, 40, 40), 0);
    EXPECT_TRUE(second.empty());
    DibHolder_Free(source);
    DibHolder_Free(target);
    DibHolder_Free(busy);
    EXPECT_EQ(scope.lib.Live(), 0u);
}

TEST(ResizeHandle, SharpenKeepsAFlatPictureFlat) {
    fake::Scope scope;
    DibInfoHeader header{};
    header.biSize = 40;
    header.biWidth = 9;
    header.biHeight = -5;  // top-down
    header.biPlanes = 1;
    header.biBitCount = 24;
    std::vector<uint8_t> bits(5 * 28, 77);
    const DibHandle h = Dibcore_CreateDIB(&header, bits.data());
    ASSERT_EQ(Resample_Sharpen3x3(h, kResampleSharpenKernel), 1);
    const DibData *d = Dibcore_DataDIB(h);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 27; ++x) ASSERT_EQ(d->bits[y * 28 + x], 77) << x << "," << y;
    Dibcore_DeleteDIB(h);
}

}  // namespace
