// The rename dialog's rules over plain text: a file name split into the part
// before its last dot and the extension, the two joined again, and the
// checks a new name must pass before the shell is asked to rename.
#pragma once

#include <cstddef>

#include "util/qv_StrCore.h"

// Characters of a file name, terminator included.
constexpr size_t kRenameCapacity = 260;

enum RenameFault : int {
    kRenameOk = 0,
    kRenameEmpty,
    kRenameTooLong,      // 260 characters or more
    kRenameBadChar,      // one of \ / : * ? " < > |
    kRenameControlChar,  // a character below the blank
    kRenameDotName,      // "." or "..": the folder itself or its parent
    kRenameTrailingDot,  // ends in a dot or blank, which the system drops
    kRenameDeviceName,   // CON, PRN, AUX, NUL, COM1-9, LPT1-9, any extension
};

// stemLength units before the last '.'; extension after it, null when the
// name has no dot.
template <class Ch>
struct RenameParts {
    size_t stemLength;
    const Ch *extension;
};

template <class Ch>
RenameParts<Ch> RenameCore_Split(const Ch *name) {
    RenameParts<Ch> parts{qvtext::Length(name), nullptr};
    if (name == nullptr) return parts;
    const Ch *lastDot = nullptr;
    for (const Ch *p = name; *p != 0; p = qvtext::NextChar(p))
        if (*p == Ch('.')) lastDot = p;
    if (lastDot != nullptr) {
        parts.stemLength = size_t(lastDot - name);
        parts.extension = lastDot + 1;
    }
    return parts;
}

// out (capacity units) = stem, or stem "." extension when the extension is
// not empty. kRenameTooLong when the result would not fit, out then empty.
template <class Ch>
RenameFault RenameCore_Join(const Ch *stem, const Ch *extension, Ch *out, size_t capacity) {
    if (out == nullptr || capacity == 0) return kRenameTooLong;
    out[0] = 0;
    const size_t stemLength = qvtext::Length(stem);
    const size_t extensionLength = qvtext::Length(extension);
    const size_t total = extensionLength > 0 ? stemLength + 1 + extensionLength : stemLength;
    if (total >= capacity) return kRenameTooLong;
    for (size_t i = 0; i < stemLength; ++i) out[i] = stem[i];
    size_t at = stemLength;
    if (extensionLength > 0) {
        out[at++] = Ch('.');
        for (size_t i = 0; i < extensionLength; ++i) out[at++] = extension[i];
    }
    out[at] = 0;
    return kRenameOk;
}

// True when name[0..length) is a device name of the system (ASCII letters in
// any case).
bool RenameCore_IsDeviceStem(const char16_t *stem, size_t length);

// The first fault of a new file name, or kRenameOk.
template <class Ch>
RenameFault RenameCore_Check(const Ch *name) {
    const size_t length = qvtext::Length(name);
    if (length == 0) return kRenameEmpty;
    if (length >= kRenameCapacity) return kRenameTooLong;
    for (const Ch *p = name; *p != 0; p = qvtext::NextChar(p)) {
        // The second byte of a double-byte character may look like '\'.
        if (qvtext::CharUnits(p) != 1) continue;
        const auto unit = static_cast<std::make_unsigned_t<Ch>>(*p);
        if (unit < 0x20) return kRenameControlChar;
        switch (unit) {
            case '\\': case '/': case ':': case '*': case '?': case '"': case '<': case '>': case '|':
                return kRenameBadChar;
            default: break;
        }
    }
    if (name[0] == Ch('.') && (length == 1 || (length == 2 && name[1] == Ch('.')))) return kRenameDotName;
    const auto last = static_cast<std::make_unsigned_t<Ch>>(name[length - 1]);
    if (last == '.' || last == ' ') return kRenameTrailingDot;
    // The system takes the part before the first dot, blanks cut off its
    // end, as the device: "con.txt" and "NUL .jpg" both name a device.
    size_t stem = 0;
    while (stem < length && name[stem] != Ch('.')) ++stem;
    while (stem > 0 && name[stem - 1] == Ch(' ')) --stem;
    if (stem < 3 || stem > 4) return kRenameOk;
    char16_t folded[4];
    for (size_t i = 0; i < stem; ++i) {
        const auto unit = static_cast<std::make_unsigned_t<Ch>>(name[i]);
        if (unit > 0x7F) return kRenameOk;
        folded[i] = char16_t(unit);
    }
    return RenameCore_IsDeviceStem(folded, stem) ? kRenameDeviceName : kRenameOk;
}
