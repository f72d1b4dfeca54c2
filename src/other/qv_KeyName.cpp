#include "other/qv_KeyName.h"

#include "../../res/resource.h"
#include "other/qv_Globals.h"
#include "other/qv_KeyNameCore.h"

namespace {

KeyNameTableT<TCHAR> s_table;

#ifdef UNICODE
bool Printable(uint16_t code) {
    WCHAR c = WCHAR(code);
    WORD type = 0;
    return GetStringTypeW(CT_CTYPE1, &c, 1, &type) && type != 0 && !(type & C1_CNTRL);
}
#else
bool Printable(uint16_t code) {
    if (code > 0xFF) return true;  // a double-byte character
    return code >= 0x20 && code != 0x7F;
}
#endif

}  // namespace

int KeyName_LoadTable() {
    if (s_table.Loaded()) return -1;
    const HMODULE module = g_process.instance != nullptr ? g_process.instance : GetModuleHandle(nullptr);
#ifdef UNICODE
    const int id = IDR_KEYNAMES_W;
#else
    const int id = IDR_KEYNAMES_A;
#endif
    HRSRC found = FindResource(module, MAKEINTRESOURCE(id), TEXT("FILE"));
    const DWORD size = found != nullptr ? SizeofResource(module, found) : 0;
    if (size < kKeyNameMinBytes || size > kKeyNameMaxBytes) return 0;
    HGLOBAL loaded = LoadResource(module, found);
    const auto *bytes = static_cast<const uint8_t *>(loaded != nullptr ? LockResource(loaded) : nullptr);
    if (bytes == nullptr) return 0;
#ifdef UNICODE
    // UTF-16 LE after a byte-order mark; the first character must not be 0.
    if (bytes[0] != 0xFF || bytes[1] != 0xFE || (bytes[2] == 0 && bytes[3] == 0)) return 0;
    const auto *text = reinterpret_cast<const TCHAR *>(bytes + 2);
    const size_t units = (size - 2) / sizeof(TCHAR);
#else
    if (bytes[0] == 0) return 0;
    const auto *text = reinterpret_cast<const TCHAR *>(bytes);
    const size_t units = size;
#endif
    return KeyName_ParseTable(text, units, &s_table);
}

bool KeyName_IsLoaded() { return s_table.Loaded(); }

int KeyName_Format(uint16_t key, TCHAR *out, uint8_t flags, int allowUnknown) {
    return KeyName_FormatText(&s_table, key, flags, allowUnknown, Printable, out, kKeyNameChars);
}

int KeyName_CharKeyCode(int code) { return KeyName_CharKeyCodeOf(code); }
