// The window title: the picture's name and position with markers for zoom,
// archive, two-page spread, slide show, transparency and animation. Built
// from plain facts and the texts of the string table, so the rules are
// tested without a window; qv_Title.cpp gathers the facts and the texts.
#pragma once

#include <cstddef>
#include <cstdint>

#include "util/qv_StrCore.h"

// Longest shortened path, terminator included.
constexpr size_t kTitleShortPathUnits = 276;

// The texts of the title, each may be null or empty (then left out).
template <class Ch>
struct TitleTexts {
    const Ch *programTitle;  // when there is nothing to name
    const Ch *position;      // " (%d/%d)"
    const Ch *zoom;          // " <Zoom %d %%%s>"
    const Ch *fit;           // " <Fit %d %%%s>"
    const Ch *lock;          // " Lock"
    const Ch *archive;
    const Ch *spread;
    const Ch *slideShow;
    const Ch *transparent;
    const Ch *animation;
};

enum TitleNameMode : int32_t { kTitleFullPath = 0, kTitleFromFolder = 1, kTitleFileName = 2 };

template <class Ch>
struct TitleFacts {
    bool hasRecord = false;
    bool hasFile = false;           // the picture has a path of its own
    bool isNew = false;             // a new, unsaved picture
    const Ch *path = nullptr;       // the picture's full path
    const Ch *listPath = nullptr;   // the file list's path, null without a list
    bool listIsArchive = false;
    int32_t nameMode = kTitleFileName;  // option CapbFN
    bool statusShowsPosition = true;    // status bar shown for good, not at the edge, not full screen
    int32_t number = 0;                 // 1-based picture number
    int32_t count = 0;                  // pictures in the list
    uint32_t zoomMode = 0;              // 0x1 fit; 0x80 keep the zoom
    int32_t zoomPercent = 100;
    bool zoomLock = false;
    bool twoPages = false;              // comic mode showing a spread of a still picture
    bool slideShow = false;
    bool transparent = false;
    bool animation = false;
};

// Appends text (whole characters only) while room is left; false when cut.
template <class Ch>
bool Title_Append(Ch *out, size_t capacity, size_t *used, const Ch *text, size_t n) {
    const size_t room = capacity - 1 - *used;
    size_t take = n <= room ? n : 0;
    if (n > room) {
        // Cut on a character boundary.
        size_t k = 0;
        for (;;) {
            size_t u = qvtext::CharUnits(text + k);
            if (u == 0 || k + u > room) break;
            k += u;
        }
        take = k;
    }
    for (size_t i = 0; i < take; ++i) out[*used + i] = text[i];
    *used += take;
    out[*used] = 0;
    return take == n;
}

// Appends a formatted text: %d takes the next number, %s the text, %% a '%'.
template <class Ch>
void Title_AppendFormat(Ch *out, size_t capacity, size_t *used, const Ch *format, const int64_t *numbers,
                        size_t numberCount, const Ch *text) {
    if (format == nullptr) return;
    size_t next = 0;
    for (const Ch *p = format; *p != 0; ++p) {
        if (*p == Ch('%') && p[1] == Ch('d')) {
            Ch digits[24];
            const size_t n = qvtext::FormatInt(next < numberCount ? numbers[next] : 0, digits);
            ++next;
            Title_Append(out, capacity, used, digits, n);
            ++p;
        } else if (*p == Ch('%') && p[1] == Ch('s')) {
            if (text != nullptr) Title_Append(out, capacity, used, text, qvtext::Length(text));
            ++p;
        } else if (*p == Ch('%') && p[1] == Ch('%')) {
            Title_Append(out, capacity, used, p, 1);
            ++p;
        } else {
            Title_Append(out, capacity, used, p, 1);
        }
    }
}

template <class Ch>
bool Title_HasText(const Ch *s) {
    return s != nullptr && s[0] != 0;
}

// The base text of a path for a naming mode; appends to out.
template <class Ch>
void Title_AppendName(Ch *out, size_t capacity, size_t *used, const Ch *path, int32_t mode, bool isFolder) {
    qvtext::PathParts<Ch> parts{};
    if (!qvtext::Split(path, &parts)) return;
    const Ch *start = path;
    if (isFolder && mode == kTitleFileName) mode = kTitleFromFolder;
    if (mode == kTitleFileName) {
        if (parts.name != nullptr) start = parts.name;
    } else if (mode == kTitleFromFolder) {
        // From the folder that holds the named item; for a folder, the
        // folder itself.
        const Ch *from = isFolder ? (parts.name != nullptr ? parts.name : parts.lastFolder)
                                  : (parts.lastFolder != nullptr ? parts.lastFolder : parts.name);
        if (from != nullptr) start = from;
    }
    Title_Append(out, capacity, used, start, qvtext::Length(start));
    if (isFolder && mode != kTitleFileName && *used > 0 && !qvtext::IsSeparator(out[*used - 1])) {
        const Ch sep[1] = {Ch('\\')};
        Title_Append(out, capacity, used, sep, 1);
    }
}

// Builds the title into out (capacity units with the terminator). Returns
// false only when nothing can be written.
template <class Ch>
bool Title_Compose(Ch *out, size_t capacity, const TitleFacts<Ch> &f, const TitleTexts<Ch> &t,
                   bool emptyWhenNothing) {
    if (out == nullptr || capacity == 0) return false;
    out[0] = 0;
    size_t used = 0;
    const bool ownPath = f.hasRecord && f.hasFile && Title_HasText(f.path);
    const bool listPath = f.hasRecord && !ownPath && Title_HasText(f.listPath);
    if (!ownPath && !listPath) {
        if (!emptyWhenNothing && t.programTitle != nullptr)
            Title_Append(out, capacity, &used, t.programTitle, qvtext::Length(t.programTitle));
        return true;
    }
    Title_AppendName(out, capacity, &used, ownPath ? f.path : f.listPath, f.nameMode, !ownPath);
    if (!f.statusShowsPosition && ownPath && Title_HasText(t.position)) {
        const int64_t n[2] = {f.number, f.count};
        Title_AppendFormat(out, capacity, &used, t.position, n, 2, static_cast<const Ch *>(nullptr));
    }
    if ((f.zoomMode != 0 && f.zoomMode != 0x80) || f.zoomLock) {
        const Ch *format = (f.zoomMode & 0x1) != 0 ? t.fit : t.zoom;
        const int64_t n[1] = {f.zoomPercent};
        if (Title_HasText(format)) Title_AppendFormat(out, capacity, &used, format, n, 1, f.zoomLock ? t.lock : nullptr);
    }
    const struct {
        bool on;
        const Ch *text;
    } markers[] = {
        {f.listIsArchive && !f.isNew, t.archive}, {f.twoPages && !f.isNew, t.spread},
        {f.slideShow, t.slideShow},               {f.transparent, t.transparent},
        {f.animation, t.animation},
    };
    for (const auto &m : markers)
        if (m.on && Title_HasText(m.text)) Title_Append(out, capacity, &used, m.text, qvtext::Length(m.text));
    return true;
}

// Shortens a path to fit `cap` units (terminator included): its root, "...",
// then the last separator and the file name; the whole path when the root
// reaches the name; "..." and the tail when there is no root. A path shorter
// than cap is kept. out needs cap units; cap below 8 leaves no room for the
// dots and a tail and is refused.
template <class Ch>
bool TitleCore_ShortenPath(Ch *out, const Ch *path, size_t cap = kTitleShortPathUnits) {
    if (out == nullptr) return false;
    out[0] = 0;
    if (path == nullptr || cap < 8) return false;
    const size_t n = qvtext::Length(path);
    size_t used = 0;
    if (n < cap) return Title_Append(out, cap, &used, path, n);
    const Ch dots[3] = {Ch('.'), Ch('.'), Ch('.')};
    const Ch *root = qvtext::AfterRoot(path);
    // The tail: the last separator and the name.
    const Ch *tail = path + n;
    while (tail > path && !qvtext::IsSeparator(tail[-1])) --tail;
    if (tail > path) --tail;
    if (root == path) tail = path;  // no root: the tail is cut below
    if (root != path && tail <= root) {
        Title_Append(out, cap, &used, path, n);  // cut at the end
        return true;
    }
    const size_t rootLen = size_t(root - path);
    size_t tailLen = size_t(path + n - tail);
    if (rootLen + 3 + tailLen >= cap) {
        // Keep the end of the tail, starting on a character boundary.
        size_t keep = cap - 1 - 3 - (rootLen < cap - 4 ? rootLen : 0);
        const Ch *from = path + n - (keep < tailLen ? keep : tailLen);
        const Ch *aligned = tail;
        while (aligned < from) aligned = qvtext::NextChar(aligned);
        tail = aligned;
        tailLen = size_t(path + n - tail);
    }
    if (rootLen + 3 + tailLen < cap) Title_Append(out, cap, &used, path, rootLen);
    Title_Append(out, cap, &used, dots, 3);
    Title_Append(out, cap, &used, tail, tailLen);
    return true;
}
