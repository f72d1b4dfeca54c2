// The decisions of the copy and move dialogs, free of Win32: when a dialog
// opens and in which form, where the mouse wheel moves the focus, and which
// folder a name dropped onto a field gives. Written over the text unit so the
// same code serves both programs and the native tests.
#pragma once

#include <cstddef>
#include <cstdint>

#include "util/qv_StrCore.h"

constexpr int kCpyMvLines = 10;
// A registered folder holds up to 259 characters: the configuration file
// reads 260 with the terminator, so a longer text could not come back.
constexpr int kCpyMvPathChars = 260;

enum class CpyMvOpen : uint8_t {
    Refuse,  // not a slot this dialog knows
    Direct,  // the registered folder is returned without a dialog
    Dialog,
};
// slot -1 (the menu commands) or 0..9 (the registered-folder commands).
CpyMvOpen CpyMvCore_OpenMode(int slot, bool slotFilled);

struct CpyMvForm {
    int32_t extended;    // the ten-folder form
    int32_t formLocked;  // the form switch is disabled
};
// An empty registered slot forces the ten-folder form so that its line can
// be filled; the menu commands open the remembered form.
CpyMvForm CpyMvCore_InitialForm(int slot, int rememberedExtended);

// Wheel notches from a WM_MOUSEWHEEL delta, kept across messages so that a
// fine-grained wheel moves one line per full notch (120). Positive steps are
// turns towards the user (the next line).
int CpyMvCore_WheelSteps(int32_t *accumulated, int delta);
// The line the focus moves to: `steps` from `current`, held within
// 0..count-1. A focus outside the lines (current < 0) starts at the first.
int CpyMvCore_WheelTarget(int current, int steps, int count);

// ------------------------------------------------------------ dropping

enum class CpyMvNameKind : uint8_t {
    Unreadable,  // its attributes cannot be read
    Folder,
    File,
};

// What the dialog asks of the file system while deciding.
template <class Ch>
struct CpyMvDropEnv {
    CpyMvNameKind (*kindOf)(const Ch *path, void *user);
    // A shortcut's target into out (capacity units); false when unresolvable.
    bool (*resolve)(const Ch *shortcut, Ch *out, size_t capacity, void *user);
    void *user;
};

namespace cpymv_detail {

template <class Ch>
Ch FoldAscii(Ch c) {
    return c >= Ch('A') && c <= Ch('Z') ? Ch(c - Ch('A') + Ch('a')) : c;
}

template <class Ch>
bool Fits(const Ch *text, size_t capacity) {
    return qvtext::Length(text) < capacity;
}

}  // namespace cpymv_detail

// Whether the name's extension is ".lnk" in any case.
template <class Ch>
bool CpyMvCore_IsShortcutName(const Ch *path) {
    qvtext::PathParts<Ch> parts;
    if (!qvtext::Split(path, &parts) || parts.extension == nullptr) return false;
    static const char kExt[] = ".lnk";
    const Ch *e = parts.extension;
    for (int i = 0; i < 4; ++i)
        if (cpymv_detail::FoldAscii(e[i]) != Ch(kExt[i])) return false;
    return e[4] == 0;
}

// The folder of a file: the part before its name, the separator before the
// name removed (a drive root keeps it: "C:" alone would mean that drive's
// current folder). False, and out untouched, when the name starts within the
// first character (no folder is named) or the folder does not fit.
template <class Ch>
bool CpyMvCore_FolderOf(const Ch *path, Ch *out, size_t capacity) {
    qvtext::PathParts<Ch> parts;
    if (out == nullptr || capacity == 0 || !qvtext::Split(path, &parts) || parts.name == nullptr) return false;
    const size_t n = size_t(parts.name - path);
    if (n <= 1 || n >= capacity) return false;
    for (size_t i = 0; i < n; ++i) out[i] = path[i];
    out[n] = 0;
    qvtext::RemoveTrailingSep(out);
    return true;
}

// The text a dropped name gives a destination field, into out (capacity
// units, at most kCpyMvPathChars). A folder, or a name whose attributes
// cannot be read, is taken as it is. A shortcut gives its target when that
// is a folder, the target's folder otherwise, and its own folder when it
// cannot be resolved. Any other file gives its folder. False: the field
// stays as it is (no usable folder, or the text does not fit).
template <class Ch>
bool CpyMvCore_DropText(const Ch *dropped, const CpyMvDropEnv<Ch> &env, Ch *out, size_t capacity) {
    if (dropped == nullptr || dropped[0] == 0 || out == nullptr || capacity == 0) return false;
    const CpyMvNameKind kind = env.kindOf(dropped, env.user);
    if (kind != CpyMvNameKind::File) {
        if (!cpymv_detail::Fits(dropped, capacity)) return false;
        qvtext::CopyInto(out, capacity, dropped);
        return true;
    }
    if (CpyMvCore_IsShortcutName(dropped)) {
        Ch target[1024];
        target[0] = 0;
        if (env.resolve != nullptr && env.resolve(dropped, target, 1024, env.user) && target[0] != 0) {
            target[1023] = 0;
            // Only a target known to be a folder is one; a missing target
            // still names the folder it was in.
            if (env.kindOf(target, env.user) == CpyMvNameKind::Folder) {
                if (!cpymv_detail::Fits(target, capacity)) return false;
                qvtext::CopyInto(out, capacity, target);
                qvtext::RemoveTrailingSep(out);
                return true;
            }
            return CpyMvCore_FolderOf(target, out, capacity);
        }
    }
    return CpyMvCore_FolderOf(dropped, out, capacity);
}
