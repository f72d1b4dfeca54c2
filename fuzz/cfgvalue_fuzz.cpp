// Reading a configuration value table: a hand-edited or corrupt file gives
// any text for any key. Each input line is the value of one key of the
// option table in turn; afterwards every option must still satisfy its
// rule, and formatting and reading back must give the same values.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "other/qv_CfgValue.h"
#include "other/qv_OptTable.h"
#include "other/qv_Settings.h"

namespace {

bool Checked(const OptRow &r) {
    switch (r.kind) {
        case OptKind::Byte:
        case OptKind::BitOfByte:
        case OptKind::Int:
        case OptKind::Field:
        case OptKind::ZoomQ:
        case OptKind::SelGrid: return r.section != CfgSection::None;
        default: return false;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    Settings_InitBoth(61);
    size_t count = 0;
    const OptRow *table = Opt_Table(&count);
    const OptRow *end = table + count;
    // UTF-16 units from byte pairs; lines end at '\n'.
    std::vector<std::u16string> lines(1);
    for (size_t i = 0; i + 1 < size; i += 2) {
        const char16_t c = char16_t(data[i] | data[i + 1] << 8);
        if (c == u'\n')
            lines.emplace_back();
        else if (c != 0)
            lines.back().push_back(c);
    }
    size_t line = 0;
    for (const OptRow *r = table; r < end;) {
        const size_t n = Opt_KeyRowCount(r, end) ? Opt_KeyRowCount(r, end) : 1;
        const std::u16string &text = lines[line++ % lines.size()];
        Cfg_ApplyKey(&g_settings, r, n, text.c_str(), &g_defaultSettings);
        r += n;
    }
    for (const OptRow *r = table; r < end; ++r) {
        if (!Checked(*r)) continue;
        if (!Opt_RowAccepts(r, Opt_ReadRow(&g_settings, r))) __builtin_trap();
    }
    // Written values read back unchanged.
    Settings before = g_settings;
    for (const OptRow *r = table; r < end;) {
        const size_t n = Opt_KeyRowCount(r, end) ? Opt_KeyRowCount(r, end) : 1;
        char16_t text[64];
        if (Cfg_FormatKey(&g_settings, r, n, text, 64) > 0) Cfg_ApplyKey(&g_settings, r, n, text, &g_defaultSettings);
        r += n;
    }
    for (const OptRow *r = table; r < end; ++r)
        if (Checked(*r) && Opt_ReadRow(&g_settings, r) != Opt_ReadRow(&before, r)) __builtin_trap();
    return 0;
}
