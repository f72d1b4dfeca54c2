#include "dlg/qv_RenameCore.h"

namespace {

// Names the system opens as devices wherever they stand, in upper case; a
// trailing '#' takes one digit 1..9.
constexpr const char *kDeviceNames[] = {"CON", "PRN", "AUX", "NUL", "COM#", "LPT#"};

char16_t Upper(char16_t c) { return c >= u'a' && c <= u'z' ? char16_t(c - u'a' + u'A') : c; }

bool Matches(const char *pattern, const char16_t *stem, size_t length) {
    size_t i = 0;
    for (; pattern[i] != 0; ++i) {
        if (i >= length) return false;
        const char16_t c = Upper(stem[i]);
        if (pattern[i] == '#') {
            if (c < u'1' || c > u'9') return false;
        } else if (c != char16_t(pattern[i])) {
            return false;
        }
    }
    return i == length;
}

}  // namespace

bool RenameCore_IsDeviceStem(const char16_t *stem, size_t length) {
    for (const char *pattern : kDeviceNames)
        if (Matches(pattern, stem, length)) return true;
    return false;
}
