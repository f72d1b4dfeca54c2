// Menu texts from outside the program: a recent folder read from the
// recent-folder file becomes a menu item (shortened, then written with key
// text rules), and the catalogue's names pass the mnemonic stripper. Any
// text must keep every result inside its buffer and terminated, and the
// rules must hold: no TAB survives stripping, a key name is appended once.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "other/qv_MenuTextCore.h"
#include "other/qv_TitleCore.h"

namespace {

size_t Units(const char16_t *t) {
    size_t n = 0;
    while (t[n] != 0) ++n;
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    // UTF-16 units from byte pairs, cut at the first 0.
    std::u16string text;
    for (size_t i = 0; i + 1 < size; i += 2) {
        const char16_t c = char16_t(data[i] | data[i + 1] << 8);
        if (c == 0) break;
        text.push_back(c);
    }

    std::u16string stripped = text;
    const size_t n = MenuText_StripMnemonic(stripped.data());
    if (n != Units(stripped.c_str()) || n > text.size()) abort();
    for (size_t i = 0; i < n; ++i)
        if (stripped[i] == u'\t') abort();

    // The recent-folder item: shortened to 65 units like the menu does.
    char16_t shortened[65];
    if (TitleCore_ShortenPath(shortened, text.c_str(), 65) && Units(shortened) >= 65) abort();

    char16_t item[kMenuKeyTextUnits];
    const size_t keep = text.size() < kMenuKeyTextUnits - 1 ? text.size() : kMenuKeyTextUnits - 1;
    std::copy(text.begin(), text.begin() + long(keep), item);
    item[keep] = 0;
    const size_t once = MenuText_SetKeyName(item, kMenuKeyTextUnits, u"Ctrl+Shift+F12");
    const size_t twice = MenuText_SetKeyName(item, kMenuKeyTextUnits, u"Ctrl+Shift+F12");
    if (once != twice || once != Units(item) || once >= kMenuKeyTextUnits) abort();

    char16_t field[16];
    for (int index = 0; index < 8; ++index)
        if (MenuText_Field(text.c_str(), index, field, 16) && Units(field) >= 16) abort();
    return 0;
}
