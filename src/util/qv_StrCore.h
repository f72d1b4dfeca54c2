// The text and path algorithms, written once over the text unit type: UTF-16
// units (wchar_t on Windows, char16_t in the native tests) or bytes of the
// ANSI code page. No Win32 here: what depends on the system (collation, case
// folding, the lead-byte test) comes in as arguments, so the same code is
// tested natively and used by both programs.
//
// Stepping rule: a UTF-16 surrogate pair, or a double-byte character of the
// ANSI code page, is one character; it is never split by stepping, cutting or
// truncation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace qvtext {

// ---------------------------------------------------------------- stepping

// Lead-byte test of the ANSI code page (IsDBCSLeadByte in the program, a fake
// code page in tests). Null: single-byte code page.
using LeadByteTest = bool (*)(unsigned char);
extern LeadByteTest g_leadByteTest;

inline bool IsHighSurrogate(uint32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
inline bool IsLowSurrogate(uint32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// Units in the character that starts at p (0 at the terminator).
template <class Ch>
inline size_t CharUnits(const Ch *p) {
    if (p[0] == 0) return 0;
    if constexpr (sizeof(Ch) == 1) {
        if (g_leadByteTest != nullptr && g_leadByteTest(static_cast<unsigned char>(p[0])) && p[1] != 0) return 2;
        return 1;
    } else {
        return IsHighSurrogate(static_cast<uint16_t>(p[0])) && IsLowSurrogate(static_cast<uint16_t>(p[1])) ? 2 : 1;
    }
}

template <class Ch>
inline const Ch *NextChar(const Ch *p) {
    return p + CharUnits(p);
}

template <class Ch>
size_t Length(const Ch *s) {
    if (s == nullptr) return 0;
    size_t n = 0;
    while (s[n] != 0) ++n;
    return n;
}

// One character back from pos, not before start; null when pos is not after
// start. For the ANSI code page the text is walked from start, since a trail
// byte can look like a lead byte.
template <class Ch>
const Ch *PrevChar(const Ch *pos, const Ch *start) {
    if (pos == nullptr || start == nullptr || pos <= start) return nullptr;
    if constexpr (sizeof(Ch) == 1) {
        const Ch *p = start;
        for (;;) {
            const size_t n = CharUnits(p);
            if (n == 0 || p + n >= pos) return p;
            p += n;
        }
    } else {
        if (pos - start >= 2 && IsLowSurrogate(static_cast<uint16_t>(pos[-1])) &&
            IsHighSurrogate(static_cast<uint16_t>(pos[-2])))
            return pos - 2;
        return pos - 1;
    }
}

// Units of the longest prefix of at most `limit` units that ends on a
// character boundary.
template <class Ch>
size_t FitLength(size_t limit, const Ch *s) {
    if (s == nullptr) return 0;
    size_t n = 0;
    for (;;) {
        const size_t u = CharUnits(s + n);
        if (u == 0 || n + u > limit) return n;
        n += u;
    }
}

template <class Ch>
size_t TruncateInPlace(Ch *s, size_t limit) {
    if (s == nullptr) return 0;
    const size_t n = FitLength(limit, s);
    s[n] = 0;
    return n;
}

// Copies the longest whole-character prefix of at most `limit` units.
// `target` needs limit + 1 units.
template <class Ch>
size_t CopyTruncated(const Ch *source, size_t limit, Ch *target) {
    if (target == nullptr) return 0;
    if (source == nullptr) {
        target[0] = 0;
        return 0;
    }
    const size_t n = FitLength(limit, source);
    for (size_t i = 0; i < n; ++i) target[i] = source[i];
    target[n] = 0;
    return n;
}

// Copies a text into a buffer of `capacity` units (room for the terminator
// included), cutting on a character boundary. Returns the copied length.
template <class Ch>
size_t CopyInto(Ch *target, size_t capacity, const Ch *source) {
    if (target == nullptr || capacity == 0) return 0;
    return CopyTruncated(source, capacity - 1, target);
}

// ---------------------------------------------------------------- scanning

template <class Ch>
inline bool IsDigit(Ch c) {
    return c >= Ch('0') && c <= Ch('9');
}

template <class Ch>
const Ch *SkipToDigit(const Ch *p) {
    while (*p != 0 && !IsDigit(*p)) p = NextChar(p);
    return p;
}

template <class Ch>
const Ch *SkipDigits(const Ch *p) {
    while (IsDigit(*p)) ++p;
    return p;
}

// ---------------------------------------------------------------- comparing

// Ordinal by unit; null sorts first; -1, 0, 1.
template <class Ch>
int CompareOrdinal(const Ch *a, const Ch *b) {
    if (a == b) return 0;
    if (a == nullptr) return -1;
    if (b == nullptr) return 1;
    for (;; ++a, ++b) {
        const auto ua = static_cast<uint32_t>(static_cast<std::make_unsigned_t<Ch>>(*a));
        const auto ub = static_cast<uint32_t>(static_cast<std::make_unsigned_t<Ch>>(*b));
        if (ua != ub) return ua < ub ? -1 : 1;
        if (ua == 0) return 0;
    }
}

template <class Ch>
int CompareOrdinalN(size_t n, const Ch *a, const Ch *b) {
    for (size_t i = 0; i < n; ++i) {
        const auto ua = static_cast<uint32_t>(static_cast<std::make_unsigned_t<Ch>>(a[i]));
        const auto ub = static_cast<uint32_t>(static_cast<std::make_unsigned_t<Ch>>(b[i]));
        if (ua != ub) return ua < ub ? -1 : 1;
        if (ua == 0) return 0;
    }
    return 0;
}

// System collation hooks. `caseless` and `cased` compare two counted texts
// (not terminated) like lstrcmpi and lstrcmp; results are negative, 0 or
// positive.
template <class Ch>
struct Collation {
    int (*caseless)(const Ch *a, size_t na, const Ch *b, size_t nb);
    int (*cased)(const Ch *a, size_t na, const Ch *b, size_t nb);
    // Natural compare of two whole texts; null: CompareNatural below.
    int (*natural)(const Ch *a, const Ch *b) = nullptr;
};

inline int Sign(int v) { return (v > 0) - (v < 0); }

// Compares two digit runs by value, without any limit on their length.
// Returns -1, 0, 1; *zeroOrder gets the leading-zero order (the run with more
// leading zeros is larger) for use as a tie-break.
template <class Ch>
int CompareDigitRuns(const Ch *a, size_t na, const Ch *b, size_t nb, int *zeroOrder) {
    size_t za = 0, zb = 0;
    while (za < na && a[za] == Ch('0')) ++za;
    while (zb < nb && b[zb] == Ch('0')) ++zb;
    *zeroOrder = za == zb ? 0 : (za > zb ? 1 : -1);
    const size_t sa = na - za, sb = nb - zb;
    if (sa != sb) return sa < sb ? -1 : 1;
    for (size_t i = 0; i < sa; ++i)
        if (a[za + i] != b[zb + i]) return a[za + i] < b[zb + i] ? -1 : 1;
    return 0;
}

// Natural order: the names are split into runs of digits and runs of other
// characters and compared run by run: digit runs by value, other runs by the
// caseless collation, a digit run before another run, a name that ends first
// before the longer one. Names equal so far are ordered by leading zeros,
// then the caseless and the cased collation of the whole names, then by
// unit, so that different names never compare equal. Each stage is a
// consistent order, so the whole is a strict weak order and sorts by it are
// well defined.
template <class Ch>
int CompareNatural(const Ch *a, const Ch *b, const Collation<Ch> &coll) {
    if (a == b) return 0;
    if (a == nullptr) return -1;
    if (b == nullptr) return 1;
    const Ch *pa = a, *pb = b;
    int zeroOrder = 0;
    for (;;) {
        if (*pa == 0 || *pb == 0) {
            if (*pa != 0) return 1;
            if (*pb != 0) return -1;
            break;
        }
        const bool da = IsDigit(*pa), db = IsDigit(*pb);
        if (da != db) return da ? -1 : 1;
        const Ch *ea, *eb;
        if (da) {
            ea = SkipDigits(pa);
            eb = SkipDigits(pb);
            int z = 0;
            const int r = CompareDigitRuns(pa, size_t(ea - pa), pb, size_t(eb - pb), &z);
            if (r != 0) return r;
            if (zeroOrder == 0) zeroOrder = z;
        } else {
            ea = pa;
            while (*ea != 0 && !IsDigit(*ea)) ea = NextChar(ea);
            eb = pb;
            while (*eb != 0 && !IsDigit(*eb)) eb = NextChar(eb);
            const int r = Sign(coll.caseless(pa, size_t(ea - pa), pb, size_t(eb - pb)));
            if (r != 0) return r;
        }
        pa = ea;
        pb = eb;
    }
    if (zeroOrder != 0) return zeroOrder;
    const size_t na = Length(a), nb = Length(b);
    int r = Sign(coll.caseless(a, na, b, nb));
    if (r == 0) r = Sign(coll.cased(a, na, b, nb));
    if (r == 0) r = CompareOrdinal(a, b);
    return r;
}

// ---------------------------------------------------------------- hashing

// Sum of the 32-bit words formed by consecutive pairs of UTF-16 units (first
// unit low), or of four bytes for the ANSI code page, plus the unpaired rest.
template <class Ch>
uint32_t Hash(const Ch *s) {
    if (s == nullptr) return 0;
    uint32_t sum = 0;
    constexpr int kPer = 4 / int(sizeof(Ch));
    for (;;) {
        uint32_t word = 0;
        int i = 0;
        for (; i < kPer && s[i] != 0; ++i)
            word |= uint32_t(static_cast<std::make_unsigned_t<Ch>>(s[i])) << (8 * sizeof(Ch) * i);
        sum += word;
        if (i < kPer) return sum;
        s += kPer;
    }
}

// ---------------------------------------------------------------- paths

template <class Ch>
inline bool IsSeparator(Ch c) {
    return c == Ch('\\') || c == Ch('/');
}

template <class Ch>
bool IsAbsolute(const Ch *p) {
    if (p == nullptr || p[0] == 0) return false;
    if (IsSeparator(p[0]) && IsSeparator(p[1])) return true;
    for (const Ch *q = p; *q != 0; q = NextChar(q)) {
        if (IsSeparator(*q)) return false;
        if (*q == Ch(':')) return true;
    }
    return false;
}

template <class Ch>
const Ch *SkipComponent(const Ch *p) {
    while (*p != 0 && !IsSeparator(*p)) p = NextChar(p);
    return p;
}

// Where the part after the root begins: after \\server\share, after "D:"
// (only when a separator or the end follows), else the path itself.
template <class Ch>
const Ch *AfterRoot(const Ch *p) {
    if (IsSeparator(p[0]) && IsSeparator(p[1])) {
        const Ch *server = p + 2;
        const Ch *serverEnd = SkipComponent(server);
        if (serverEnd != server && *serverEnd != 0) {
            const Ch *share = serverEnd + 1;
            const Ch *shareEnd = SkipComponent(share);
            if (shareEnd != share) return shareEnd;
        }
        return p;
    }
    for (const Ch *q = p; *q != 0; q = NextChar(q)) {
        if (IsSeparator(*q)) break;
        if (*q == Ch(':')) {
            if (q[1] == 0 || IsSeparator(q[1])) return q + 1;
            break;
        }
    }
    return p;
}

template <class Ch>
struct PathParts {
    const Ch *afterRoot;
    const Ch *lastFolder;  // null when no folder lies between root and name
    const Ch *name;        // null when the path ends in a separator or is a root
    const Ch *extension;   // the last '.' of the name, null when none
};

template <class Ch>
bool Split(const Ch *path, PathParts<Ch> *out) {
    if (path == nullptr || path[0] == 0 || out == nullptr) return false;
    *out = PathParts<Ch>{};
    out->afterRoot = AfterRoot(path);
    const Ch *prevStart = nullptr, *lastStart = nullptr;
    const Ch *p = out->afterRoot;
    while (*p != 0) {
        if (IsSeparator(*p)) {
            ++p;
            continue;
        }
        prevStart = lastStart;
        lastStart = p;
        p = SkipComponent(p);
    }
    const size_t len = Length(path);
    const bool endsInSep = len > 0 && IsSeparator(path[len - 1]);
    if (lastStart != nullptr && !endsInSep) {
        out->name = lastStart;
        out->lastFolder = prevStart;
        for (const Ch *q = lastStart; *q != 0; q = NextChar(q))
            if (*q == Ch('.')) out->extension = q;
    } else {
        out->lastFolder = lastStart;
    }
    return true;
}

// Appends `piece` to the text in `buffer` (capacity units, terminator
// included) with exactly one separator between. Returns the join point (the
// separator between the parts), or null when it does not fit and truncation
// is not allowed; with truncation the piece is cut to the room on a character
// boundary.
template <class Ch>
Ch *Append(size_t capacity, Ch *buffer, const Ch *piece, bool truncate) {
    if (buffer == nullptr || piece == nullptr) return nullptr;
    if (capacity == 0) return truncate ? buffer : nullptr;
    if (piece[0] == 0) return buffer;
    size_t len = Length(buffer);
    if (len == 0) {
        const size_t pl = Length(piece);
        if (!truncate && pl >= capacity) return nullptr;
        CopyInto(buffer, capacity, piece);
        return buffer;
    }
    if (len + 1 >= capacity) return truncate ? buffer : nullptr;
    const bool bufSep = IsSeparator(buffer[len - 1]);
    const bool pieceSep = IsSeparator(piece[0]);
    Ch *join;
    if (bufSep && pieceSep) {
        --len;  // the piece's separator replaces the buffer's
        join = buffer + len;
    } else if (bufSep || pieceSep) {
        join = buffer + (bufSep ? len - 1 : len);
    } else {
        const size_t pl = Length(piece);
        if (!truncate && len + 1 + pl >= capacity) return nullptr;
        if (len + 2 >= capacity) return buffer;  // room for the separator alone
        buffer[len++] = Ch('\\');
        buffer[len] = 0;
        join = buffer + len - 1;
    }
    const size_t room = capacity - len;  // units left, terminator included
    if (!truncate && Length(piece) >= room) {
        return nullptr;
    }
    CopyInto(buffer + len, room, piece);
    return join;
}

// Appends '\' (backslash) or '/' unless the text ends in a separator; the
// caller provides the room. 1 when appended.
template <class Ch>
int AddTrailingSep(bool backslash, Ch *path) {
    if (path == nullptr) return 0;
    const size_t n = Length(path);
    if (n > 0 && IsSeparator(path[n - 1])) return 0;
    path[n] = backslash ? Ch('\\') : Ch('/');
    path[n + 1] = 0;
    return 1;
}

// Removes a last separator unless a ':' stands before it (drive root).
template <class Ch>
int RemoveTrailingSep(Ch *path) {
    if (path == nullptr) return 0;
    const size_t n = Length(path);
    if (n == 0 || !IsSeparator(path[n - 1])) return 0;
    if (n >= 2 && path[n - 2] == Ch(':')) return 0;
    path[n - 1] = 0;
    return 1;
}

// Path identity, component by component; separator runs count as one and
// either kind matches. `lower` folds a copy's case (null: no folding).
// 1 same path, -1 a lies inside b, -2 b lies inside a, 0 different.
template <class Ch>
int ComparePaths(const Ch *a, const Ch *b, Ch (*fold)(Ch)) {
    if (a == b) return 1;
    if (a == nullptr || b == nullptr) return 0;
    while (IsSeparator(*a)) ++a;
    while (IsSeparator(*b)) ++b;
    if (*b == 0) return *a == 0 ? 1 : -1;
    if (*a == 0) return -2;
    for (;;) {
        while (IsSeparator(*a)) ++a;
        while (IsSeparator(*b)) ++b;
        if (*a == 0 || *b == 0) {
            if (*a == 0 && *b == 0) return 1;
            return *b == 0 ? -1 : -2;
        }
        const Ch *ea = SkipComponent(a), *eb = SkipComponent(b);
        if (ea - a != eb - b) return 0;
        for (const Ch *x = a, *y = b; x < ea; ++x, ++y) {
            const Ch cx = fold ? fold(*x) : *x;
            const Ch cy = fold ? fold(*y) : *y;
            if (cx != cy) return 0;
        }
        a = ea;
        b = eb;
    }
}

// Relation for callers that only need to know nesting: 1 a inside b,
// 2 b inside a, 3 the same, 0 unrelated.
template <class Ch>
int Relation(const Ch *a, const Ch *b, Ch (*fold)(Ch)) {
    switch (ComparePaths(a, b, fold)) {
        case -1: return 1;
        case -2: return 2;
        case 1: return 3;
        default: return 0;
    }
}

// Sort order of paths: component by component, natural or caseless, then
// cased, then ordinal; a path that ends first sorts first.
template <class Ch>
int CompareForSort(const Ch *a, const Ch *b, bool natural, const Collation<Ch> &coll) {
    if (a != nullptr && IsSeparator(*a)) ++a;
    if (b != nullptr && IsSeparator(*b)) ++b;
    if (a != nullptr && *a == 0) a = nullptr;
    if (b != nullptr && *b == 0) b = nullptr;
    if (a == nullptr || b == nullptr) return a == b ? 0 : (a == nullptr ? -1 : 1);
    for (;;) {
        const bool aOut = *a == 0, bOut = *b == 0;
        if (aOut || bOut) return aOut == bOut ? 0 : (bOut ? 1 : -1);
        const Ch *ea = SkipComponent(a), *eb = SkipComponent(b);
        const size_t na = size_t(ea - a), nb = size_t(eb - b);
        int r;
        if (na == 0 || nb == 0) {
            r = na == nb ? 0 : (na == 0 ? -1 : 1);
        } else if (natural) {
            // Components are compared as texts of their own.
            Ch sa[261], sb[261];
            const bool small = na < 261 && nb < 261;
            if (small) {
                for (size_t i = 0; i < na; ++i) sa[i] = a[i];
                for (size_t i = 0; i < nb; ++i) sb[i] = b[i];
                sa[na] = 0;
                sb[nb] = 0;
                r = coll.natural ? Sign(coll.natural(sa, sb)) : CompareNatural<Ch>(sa, sb, coll);
            } else {
                r = Sign(coll.caseless(a, na, b, nb));
                if (r == 0) r = Sign(coll.cased(a, na, b, nb));
            }
        } else {
            r = Sign(coll.caseless(a, na, b, nb));
            if (r == 0) r = Sign(coll.cased(a, na, b, nb));
            if (r == 0) {
                const size_t n = na < nb ? na : nb;
                r = CompareOrdinalN(n, a, b);
                if (r == 0 && na != nb) r = na < nb ? -1 : 1;
            }
        }
        if (r != 0) return r;
        a = ea;
        b = eb;
        if (IsSeparator(*a)) ++a;
        if (IsSeparator(*b)) ++b;
    }
}

// Resolves `relative` against `base` into out (capacity units). Returns the
// length + 1 of the result, 0 when there is none (empty base, absolute
// relative path, more ".." than the base has folders) or the room is short.
template <class Ch>
size_t MakeAbsolute(const Ch *relative, const Ch *base, Ch *out, size_t capacity) {
    if (out == nullptr || capacity == 0) return 0;
    out[0] = 0;
    if (base == nullptr || base[0] == 0) return 0;
    if (relative == nullptr || relative[0] == 0) {
        const size_t n = Length(base);
        if (n + 1 > capacity) return 0;
        CopyInto(out, capacity, base);
        return n + 1;
    }
    if (IsAbsolute(relative)) return 0;
    size_t ups = 0;
    const Ch *r = relative;
    for (;;) {
        while (IsSeparator(*r)) ++r;
        if (r[0] == Ch('.') && (r[1] == 0 || IsSeparator(r[1]))) {
            r += 1;
        } else if (r[0] == Ch('.') && r[1] == Ch('.') && (r[2] == 0 || IsSeparator(r[2]))) {
            r += 2;
            ++ups;
        } else {
            break;
        }
    }
    const size_t baseLen = Length(base);
    if (baseLen + 1 > capacity) return 0;
    CopyInto(out, capacity, base);
    RemoveTrailingSep(out);
    Ch *root = const_cast<Ch *>(AfterRoot<Ch>(out));
    for (size_t i = 0; i < ups; ++i) {
        size_t n = Length(out);
        while (n > size_t(root - out) && IsSeparator(out[n - 1])) --n;
        if (n <= size_t(root - out)) return out[0] = 0, 0;
        while (n > size_t(root - out) && !IsSeparator(out[n - 1])) --n;
        out[n] = 0;
        if (n > size_t(root - out)) RemoveTrailingSep(out);
    }
    if (*r != 0 && Append(capacity, out, r, false) == nullptr) return out[0] = 0, 0;
    return Length(out) + 1;
}

// ---------------------------------------------------------------- numbers

// Parses a base-10 integer the way the 32-bit run-time conversion does:
// leading white space, a sign, digits; saturates and sets *range on
// overflow. *end gets the first unparsed character.
template <class Ch>
int64_t ParseInt(const Ch *s, const Ch **end, bool isUnsigned, bool *range) {
    *range = false;
    const Ch *p = s;
    while (*p == Ch(' ') || (*p >= Ch('\t') && *p <= Ch('\r'))) ++p;
    bool negative = false;
    if (*p == Ch('+') || *p == Ch('-')) negative = *p++ == Ch('-');
    if (!IsDigit(*p)) {
        *end = s;
        return 0;
    }
    uint64_t v = 0;
    const uint64_t limit = isUnsigned ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
    for (; IsDigit(*p); ++p) {
        if (v <= limit) v = v * 10 + uint64_t(*p - Ch('0'));
    }
    *end = p;
    if (v > limit) {
        *range = true;
        v = limit;
    }
    if (isUnsigned) return negative ? int64_t(uint32_t(0u - uint32_t(v))) : int64_t(v);
    return negative ? -int64_t(v) : int64_t(v);
}

// Byte-size units by powers of 1024.
constexpr const char *kByteUnits[] = {"B", "KB", "MB", "GB", "TB", "PB", "EB"};

// Integer part and two fraction digits of an amount counted in the next
// smaller unit; a fraction that would round to 1.00 carries over. *carry is
// set when the integer part reached 1024 and the next unit must be used.
inline void SplitByteUnit(uint64_t amount, uint32_t *integer, uint32_t *fraction, bool *carry) {
    uint64_t ip = amount >> 10;
    const uint32_t rest = uint32_t(amount & 1023);
    uint32_t frac;
    if (rest < 1019) {
        frac = uint32_t((rest * 100u + 512u) >> 10);
    } else {
        ++ip;
        frac = 0;
    }
    *carry = ip >= 1024;
    *integer = *carry ? 1 : uint32_t(ip);
    *fraction = frac;
}

// Picks the unit and its numbers for a byte count: unit index (0 = "B"),
// integer part and two fraction digits (fraction unused for bytes).
inline void PickByteUnit(uint64_t size, int *unit, uint32_t *integer, uint32_t *fraction) {
    if (size < 1024) {
        *unit = 0;
        *integer = uint32_t(size);
        *fraction = 0;
        return;
    }
    int u = 1;
    while (u < 6 && (size >> (10 * (u + 1))) != 0) ++u;
    bool carry = false;
    SplitByteUnit(size >> (10 * (u - 1)), integer, fraction, &carry);
    if (carry && u < 6) {
        ++u;
        *integer = 1;
        *fraction = 0;
    }
    *unit = u;
}

// Writes an unsigned decimal into out (at least 21 units); returns length.
template <class Ch>
size_t FormatUInt(uint64_t v, Ch *out) {
    Ch tmp[24];
    size_t n = 0;
    do {
        tmp[n++] = Ch('0' + v % 10);
        v /= 10;
    } while (v != 0);
    for (size_t i = 0; i < n; ++i) out[i] = tmp[n - 1 - i];
    out[n] = 0;
    return n;
}

template <class Ch>
size_t FormatInt(int64_t v, Ch *out) {
    if (v < 0) {
        out[0] = Ch('-');
        return 1 + FormatUInt(0 - static_cast<uint64_t>(v), out + 1);
    }
    return FormatUInt(static_cast<uint64_t>(v), out);
}

// A 64-bit count given as two 32-bit halves; values above
// 429496729500000000 give the empty text and 0 (the historical limit of the
// two-part formatting, kept so texts stay as users know them).
template <class Ch>
size_t FromUInt64(uint32_t high, uint32_t low, Ch *out) {
    const uint64_t v = (uint64_t{high} << 32) | low;
    if (v > 429496729500000000ull) {
        out[0] = 0;
        return 0;
    }
    return FormatUInt(v, out);
}

inline int64_t Pow10(int digits) {
    int64_t p = 1;
    for (int i = 0; i < digits; ++i) p *= 10;
    return p;
}

// Decimal fixed point with 10^digits as the unit ("12.5" with 3 digits is
// 12500). An integer part that overflows gives 0.
template <class Ch>
int64_t ParseFixed(int digits, const Ch *text, bool isUnsigned) {
    if (text == nullptr || digits < 0 || digits > 9) return 0;
    const Ch *end = nullptr;
    bool range = false;
    const int64_t ip = ParseInt(text, &end, isUnsigned, &range);
    const int64_t unit = Pow10(digits);
    const int64_t scaled = ip * unit;
    const int64_t lo = isUnsigned ? 0 : -0x80000000ll, hi = isUnsigned ? 0xFFFFFFFFll : 0x7FFFFFFFll;
    if (range || scaled < lo || scaled > hi) return 0;
    const Ch *p = text;
    while (*p == Ch(' ') || (*p >= Ch('\t') && *p <= Ch('\r'))) ++p;
    const bool negative = *p == Ch('-');
    int64_t v = scaled;
    if (end != text && *end == Ch('.') && digits > 0) {
        int64_t frac = 0;
        int read = 0;
        const Ch *q = end + 1;
        for (; read < digits && IsDigit(*q); ++read, ++q) frac = frac * 10 + (*q - Ch('0'));
        for (int i = read; i < digits; ++i) frac *= 10;
        if (frac > 0) v = negative ? v - frac : v + frac;
        if (v < lo || v > hi) return 0;
    }
    return v;
}

// Formats a fixed-point value; trailing zeros of the fraction are dropped
// unless keepZeros; "-0.5" keeps its sign. Returns the length written into
// out (capacity units with the terminator).
template <class Ch>
size_t FormatFixed(int64_t value, int digits, bool isUnsigned, bool keepZeros, Ch *out, size_t capacity) {
    if (out == nullptr || capacity == 0) return 0;
    if (digits < 0 || digits > 9) digits = 0;
    Ch text[48];
    size_t n = 0;
    const int64_t unit = Pow10(digits);
    if (isUnsigned) value = static_cast<int64_t>(static_cast<uint32_t>(value));
    const int64_t ip = value / unit;
    int64_t frac = value % unit;
    if (frac < 0) frac = -frac;
    if (ip == 0 && value < 0) text[n++] = Ch('-');
    n += FormatInt(ip, text + n);
    int shown = digits;
    if (!keepZeros)
        while (shown > 0 && frac % 10 == 0) {
            frac /= 10;
            --shown;
        }
    if (shown > 0) {
        text[n++] = Ch('.');
        Ch f[12];
        for (int i = shown - 1; i >= 0; --i) {
            f[i] = Ch('0' + frac % 10);
            frac /= 10;
        }
        for (int i = 0; i < shown; ++i) text[n++] = f[i];
    }
    text[n] = 0;
    return CopyInto(out, capacity, text);
}

}  // namespace qvtext
