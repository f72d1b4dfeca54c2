// The version word the program checks before binding: the low half is the
// interface version, bit 16 tells which path flavour this build takes.
#include <type_traits>

#include "dibcore_api.h"
#include "dll_support.h"

DIBCORE_API uint32_t DIBCORE_CALL DibcoreVersionDW() {
#if DIBCORE_UTF16
    return kDibcoreVersionUtf16Bit | kDibcoreVersionLow;
#else
    return kDibcoreVersionLow;
#endif
}

static_assert(std::is_same<decltype(&DibcoreVersionDW), DibcoreVersionDW_t>::value, "DibcoreVersionDW signature");
