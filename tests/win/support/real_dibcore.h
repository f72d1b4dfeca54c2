// Binds the build's own dibcore.dll of this text flavour into g_dibcore for a
// test, the way the program binds it. A library that still lacks some entry
// points (a codec that lands later) stays bound with what it has; the test
// asks HasJpeg() and skips what needs the rest.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

class RealDibcore {
public:
    RealDibcore();
    ~RealDibcore();
    RealDibcore(const RealDibcore &) = delete;
    RealDibcore &operator=(const RealDibcore &) = delete;
    // True when the storage, BMP, PNG and GIF entry points are bound.
    bool ok() const { return ok_; }
    static bool HasJpeg();
    const std::string &problem() const { return problem_; }

private:
    bool ok_ = false;
    std::string problem_;
};

// A suite whose tests share one binding of the library (binding is not free)
// and the natural-order compare that file lists sort with.
class RealDibcoreSuite : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    static RealDibcore *lib_;
};

#define QV_SKIP_WITHOUT_JPEG()                                                                           \
    do {                                                                                                 \
        if (!RealDibcore::HasJpeg())                                                                     \
            GTEST_SKIP() << "dibcore.dll has no JPEG codec yet (JPGMtoDIB is not bound); JPEG case skipped"; \
    } while (0)
