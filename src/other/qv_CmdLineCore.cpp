#include "other/qv_CmdLineCore.h"

#include <type_traits>

#include "util/qv_Crc32.h"
#include "util/qv_StrCore.h"

namespace {

template <class Ch>
bool IsBlank(Ch c) {
    return c == Ch(' ') || c == Ch('\t');
}

template <class Ch>
Ch AsciiUpper(Ch c) {
    return c >= Ch('a') && c <= Ch('z') ? Ch(c - 32) : c;
}

template <class Ch>
bool IsBadNameChar(Ch c) {
    const auto u = static_cast<std::make_unsigned_t<Ch>>(c);
    if (u < 32) return true;
    switch (u) {
        case '\\': case '/': case ':': case '*': case '?': case '"': case '<': case '>': case '|': return true;
        default: return false;
    }
}

// Bytes of the text as the system stores it (UTF-16 little-endian, or ANSI).
template <class Ch>
uint32_t CrcOfUnits(const Ch *text, size_t n) {
    if constexpr (sizeof(Ch) == 1) {
        return Util_Crc32(n, text);
    } else {
        uint32_t crc = 0;
        for (size_t i = 0; i < n; ++i) {
            const uint16_t u = uint16_t(text[i]);
            const uint8_t b[2] = {uint8_t(u & 0xFF), uint8_t(u >> 8)};
            crc = Util_Crc32Update(crc, b, 2);
        }
        return crc;
    }
}

}  // namespace

template <class Ch>
CmdLineParseResult CmdLine_ParseCore(const Ch *text, Ch *out, int *argc) {
    *argc = 0;
    if (text == nullptr || text[0] == 0) return kParseEmpty;
    const Ch *p = text;
    while (IsBlank(*p)) ++p;
    if (*p == 0) return kParseBlanksOnly;
    Ch *w = out;
    Ch *argStart = w;
    bool quoted = false;
    int count = 0;
    auto endArgument = [&]() {
        if (w != argStart) {  // an argument needs at least one character
            *w++ = 0;
            ++count;
        }
        argStart = w;
    };
    while (*p != 0) {
        if (!quoted && IsBlank(*p)) {
            endArgument();
            while (IsBlank(*p)) ++p;
            continue;
        }
        if (*p == Ch('\\')) {
            size_t n = 0;
            while (p[n] == Ch('\\')) ++n;
            if (p[n] == Ch('"')) {
                for (size_t i = 0; i < n / 2; ++i) *w++ = Ch('\\');
                if (n % 2 == 1) {
                    *w++ = Ch('"');  // an escaped quote is a character
                } else {
                    quoted = !quoted;
                }
                p += n + 1;
            } else {
                for (size_t i = 0; i < n; ++i) *w++ = Ch('\\');
                p += n;
            }
            continue;
        }
        if (*p == Ch('"')) {
            quoted = !quoted;
            ++p;
            continue;
        }
        *w++ = *p++;
    }
    endArgument();
    *argc = count;
    return kParseOk;
}

template <class Ch>
int CmdLine_FindSwitchT(const Ch *word, const Ch *const *argv, int argc, bool exact) {
    if (word == nullptr || word[0] == 0 || argv == nullptr || argc < 2) return -1;
    const size_t n = qvtext::Length(word);
    for (int i = 1; i < argc; ++i) {
        const Ch *a = argv[i];
        if (a == nullptr || a[0] != Ch('/')) continue;
        if (qvtext::CompareOrdinalN(n, a + 1, word) != 0) continue;
        if (exact && a[1 + n] != 0) continue;
        return i;
    }
    return -1;
}

template <class Ch>
bool File_IsReservedDeviceName(const Ch *name, size_t length) {
    // The system maps these names to devices whatever the extension.
    size_t base = 0;
    while (base < length && name[base] != Ch('.')) ++base;
    // Blanks before the dot are ignored by the system as well.
    while (base > 0 && name[base - 1] == Ch(' ')) --base;
    auto is = [&](const char *word) {
        size_t i = 0;
        for (; word[i] != 0; ++i)
            if (i >= base || AsciiUpper(name[i]) != Ch(word[i])) return false;
        return i == base;
    };
    if (is("CON") || is("PRN") || is("AUX") || is("NUL")) return true;
    if (base == 4) {
        const Ch a = AsciiUpper(name[0]), b = AsciiUpper(name[1]), c = AsciiUpper(name[2]);
        const bool com = a == Ch('C') && b == Ch('O') && c == Ch('M');
        const bool lpt = a == Ch('L') && b == Ch('P') && c == Ch('T');
        if ((com || lpt) && name[3] >= Ch('1') && name[3] <= Ch('9')) return true;
    }
    return false;
}

template <class Ch>
int File_SanitizeNameT(Ch *name) {
    if (name == nullptr || name[0] == 0) return 0;
    if (name[0] == Ch('.') && name[1] == 0) {
        name[0] = Ch('_');
        return 1;
    }
    if (name[0] == Ch('.') && name[1] == Ch('.') && name[2] == 0) {
        name[0] = name[1] = Ch('_');
        return 1;
    }
    int changed = 0;
    Ch *trailStart = nullptr;  // start of the run of dots and blanks at the end
    for (Ch *p = name; *p != 0;) {
        const size_t units = qvtext::CharUnits(p);
        if (units == 1 && IsBadNameChar(*p)) {
            *p = Ch('_');
            changed = 1;
        }
        if (units == 1 && (*p == Ch('.') || *p == Ch(' '))) {
            if (trailStart == nullptr) trailStart = p;
        } else {
            trailStart = nullptr;
        }
        p += units;
    }
    // The system drops trailing dots and blanks, so the name would not be
    // the one asked for.
    for (Ch *p = trailStart; p != nullptr && *p != 0; ++p) {
        *p = Ch('_');
        changed = 1;
    }
    const size_t length = qvtext::Length(name);
    if (File_IsReservedDeviceName(name, length)) {
        size_t base = 0;
        while (base < length && name[base] != Ch('.')) ++base;
        while (base > 1 && name[base - 1] == Ch(' ')) --base;
        name[base - 1] = Ch('_');
        changed = 1;
    }
    return changed;
}

template <class Ch>
void CmdLine_FormatHex8(uint32_t value, Ch *out9) {
    static const char kHex[] = "0123456789ABCDEF";
    for (int i = 7; i >= 0; --i) {
        out9[i] = Ch(kHex[value & 15]);
        value >>= 4;
    }
    out9[8] = 0;
}

template <class Ch>
size_t CmdLine_MakeUserPart(const Ch *name, LowerInPlace<Ch> lower, Ch *out) {
    out[0] = 0;
    if (name == nullptr) return 0;
    Ch copy[kUserNameUnits + 1];
    const size_t n = qvtext::CopyTruncated(name, kUserNameUnits, copy);
    size_t i = 0;
    while (i < n && IsBlank(copy[i])) ++i;
    if (i == n) return 0;
    size_t length;
    if (n > kUserPartUnits) {
        Ch folded[kUserNameUnits + 1];
        for (size_t k = 0; k <= n; ++k) folded[k] = copy[k];
        if (lower != nullptr) lower(folded, n);
        const uint32_t crc = CrcOfUnits(folded, n);
        length = qvtext::FitLength(kUserPartKeep, copy);
        for (size_t k = 0; k < length; ++k) out[k] = copy[k];
        out[length++] = Ch('_');
        CmdLine_FormatHex8(crc, out + length);
        length += 8;
        out[length] = 0;
    } else {
        length = n;
        for (size_t k = 0; k <= n; ++k) out[k] = copy[k];
    }
    File_SanitizeNameT(out);
    return length;
}

template <class Ch>
uint32_t CmdLine_InstanceCrc(const Ch *programDir, LowerInPlace<Ch> lower) {
    const size_t n = qvtext::Length(programDir);
    if (n == 0) return 0;
    Ch buffer[512];
    if (n < 512) {
        for (size_t i = 0; i < n; ++i) buffer[i] = programDir[i];
        if (lower != nullptr) lower(buffer, n);
        return CrcOfUnits(buffer, n);
    }
    // Long folders: fold piecewise, never splitting a surrogate pair or a
    // double-byte character.
    uint32_t crc = 0;
    size_t done = 0;
    while (done < n) {
        size_t take = qvtext::FitLength(511, programDir + done);
        if (take == 0) take = 1;
        for (size_t i = 0; i < take; ++i) buffer[i] = programDir[done + i];
        if (lower != nullptr) lower(buffer, take);
        if constexpr (sizeof(Ch) == 1) {
            crc = Util_Crc32Update(crc, buffer, take);
        } else {
            for (size_t i = 0; i < take; ++i) {
                const uint8_t b[2] = {uint8_t(uint16_t(buffer[i]) & 0xFF), uint8_t(uint16_t(buffer[i]) >> 8)};
                crc = Util_Crc32Update(crc, b, 2);
            }
        }
        done += take;
    }
    return crc;
}

template <class Ch>
bool CmdLine_UsesAppDataFolder(const Ch *programDir, const Ch *programFilesDir, Ch (*fold)(Ch)) {
    if (programDir == nullptr || programDir[0] == 0 || programFilesDir == nullptr || programFilesDir[0] == 0)
        return false;
    const int relation = qvtext::Relation(programDir, programFilesDir, fold);
    return relation == 1 || relation == 3;
}

template <class Ch>
int CmdLine_TakeArgv0Spelling(Ch *modulePath, const Ch *argv0, Ch (*fold)(Ch)) {
    if (modulePath == nullptr || argv0 == nullptr) return 0;
    const size_t n = qvtext::Length(modulePath);
    if (qvtext::Length(argv0) != n) return 0;
    if (qvtext::ComparePaths(modulePath, argv0, fold) != 1) return 0;
    for (size_t i = 0; i < n; ++i) modulePath[i] = argv0[i];
    return 1;
}

#define QV_CMDLINE_INSTANTIATE(Ch)                                                               \
    template CmdLineParseResult CmdLine_ParseCore<Ch>(const Ch *, Ch *, int *);                  \
    template int CmdLine_FindSwitchT<Ch>(const Ch *, const Ch *const *, int, bool);              \
    template size_t CmdLine_MakeUserPart<Ch>(const Ch *, LowerInPlace<Ch>, Ch *);                \
    template int File_SanitizeNameT<Ch>(Ch *);                                                    \
    template bool File_IsReservedDeviceName<Ch>(const Ch *, size_t);                              \
    template void CmdLine_FormatHex8<Ch>(uint32_t, Ch *);                                         \
    template uint32_t CmdLine_InstanceCrc<Ch>(const Ch *, LowerInPlace<Ch>);                      \
    template bool CmdLine_UsesAppDataFolder<Ch>(const Ch *, const Ch *, Ch (*)(Ch));              \
    template int CmdLine_TakeArgv0Spelling<Ch>(Ch *, const Ch *, Ch (*)(Ch));
QV_CMDLINE_INSTANTIATE(char)
QV_CMDLINE_INSTANTIATE(char16_t)
QV_CMDLINE_INSTANTIATE(wchar_t)
