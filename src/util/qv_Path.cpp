#include "util/qv_Path.h"

#include "other/qv_Mem.h"
#include "other/qv_Msg.h"
#include "util/qv_Str.h"
#include "util/qv_StrBuf.h"
#include "util/qv_Text.h"

namespace {

int Caseless(const TCHAR *a, size_t na, const TCHAR *b, size_t nb) {
    return CompareString(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a, int(na), b, int(nb)) - CSTR_EQUAL;
}
int Cased(const TCHAR *a, size_t na, const TCHAR *b, size_t nb) {
    return CompareString(LOCALE_USER_DEFAULT, 0, a, int(na), b, int(nb)) - CSTR_EQUAL;
}

TCHAR FoldChar(TCHAR c) {
#if defined(QV_ANSI)
    // Only single bytes are folded; the walk never passes a trail byte here
    // as a character of its own when comparing equal-length components.
    if (c >= 'A' && c <= 'Z') return TCHAR(c + 32);
    return c;
#else
    return TCHAR(reinterpret_cast<UINT_PTR>(CharLower(reinterpret_cast<LPTSTR>(UINT_PTR(c)))));
#endif
}

}  // namespace

bool Path_IsSeparator(TCHAR c) { return qvtext::IsSeparator(c); }
bool Path_IsAbsolute(const TCHAR *path) { return qvtext::IsAbsolute(path); }

bool Path_Exists(const TCHAR *path) {
    return path != nullptr && path[0] != 0 && GetFileAttributes(path) != INVALID_FILE_ATTRIBUTES;
}

bool Dir_Exists(const TCHAR *path) {
    if (path == nullptr || path[0] == 0) return false;
    const DWORD a = GetFileAttributes(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

int Path_Split(const TCHAR *path, const TCHAR **afterRoot, const TCHAR **lastFolder, const TCHAR **name,
               const TCHAR **extension) {
    if (!afterRoot && !lastFolder && !name && !extension) return 0;
    qvtext::PathParts<TCHAR> parts{};
    if (!qvtext::Split(path, &parts)) return 0;
    if (afterRoot) *afterRoot = parts.afterRoot;
    if (lastFolder) *lastFolder = parts.lastFolder;
    if (name) *name = parts.name;
    if (extension) *extension = parts.extension;
    return 1;
}

TCHAR *Path_Append(int capacity, TCHAR *buffer, const TCHAR *piece, int allowTruncation) {
    if (capacity <= 0) return (buffer && piece && allowTruncation) ? buffer : nullptr;
    return qvtext::Append(size_t(capacity), buffer, piece, allowTruncation != 0);
}

char *Path_AppendAnsi(char *buffer402, const char *piece) { return qvtext::Append(402, buffer402, piece, false); }

int Path_AddTrailingSep(int backslash, TCHAR *path) { return qvtext::AddTrailingSep(backslash != 0, path); }
int Path_RemoveTrailingSep(TCHAR *path) { return qvtext::RemoveTrailingSep(path); }

int Path_MakeAbsolute(const TCHAR *relative, const TCHAR *base, OwnedBuffer *owned, StrBuf *buffer) {
    if (owned == nullptr && buffer == nullptr) return -1;
    if (buffer != nullptr) {
        TCHAR *d = buffer->Reserve(1);
        if (d) d[0] = 0;
    } else {
        Buf_Reset(owned);
    }
    if (base == nullptr || base[0] == 0) return 0;
    const size_t capacity = qvtext::Length(base) + qvtext::Length(relative) + 2;
    TCHAR *out;
    if (buffer != nullptr) {
        out = buffer->Reserve(int(capacity));
    } else {
        out = reinterpret_cast<TCHAR *>(Buf_Alloc(owned, uint32_t(capacity * sizeof(TCHAR))));
    }
    if (out == nullptr) {
        // The allocator reports its own failures; a StrBuf's heap does not.
        if (buffer != nullptr) Msg_ReportError(TEXT(__FILE__), nullptr, TEXT("QV_Alloc"), 75, 1);
        return -1;
    }
    const size_t n = qvtext::MakeAbsolute(relative, base, out, capacity);
    if (n == 0) {
        if (owned != nullptr && buffer == nullptr) Buf_Reset(owned);
        return 0;
    }
    return int(n);
}

int Path_CompareForSort(const TCHAR *a, const TCHAR *b, int natural) {
    // Components go through the program's natural compare, which may be the
    // system's.
    static const qvtext::Collation<TCHAR> kCollation{Caseless, Cased, Str_CompareNatural};
    return qvtext::CompareForSort(a, b, natural != 0, kCollation);
}

int Path_ComparePaths(const TCHAR *a, const TCHAR *b, int fold) {
    return qvtext::ComparePaths<TCHAR>(a, b, fold ? FoldChar : nullptr);
}

bool Path_IsSame(int fold, const TCHAR *a, const TCHAR *b) { return Path_ComparePaths(a, b, fold) > 0; }

int Path_Relation(const TCHAR *a, const TCHAR *b) { return qvtext::Relation<TCHAR>(a, b, FoldChar); }
