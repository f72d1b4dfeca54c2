// Cheap sort keys that approximate a name order. Comparing names through the
// system's collation costs a call per compare; a key made once per name and
// compared as bytes costs almost nothing, so a sort can put the names nearly
// in order by their keys first and then let the exact compare check and mend
// that order (Util_SortIndices pays about one exact compare per item on
// input that is already in order). The keys never decide the result, only
// the speed: a name the key places wrongly just costs a few more exact
// compares.
//
// A key is a row of weights compared in order, the shorter row first when one
// is the start of the other: 0 ends a field, 1 starts a digit run (digit runs
// come before other characters, as in the natural order), then the classes of
// the text units, ranked by asking the exact compare about the units that
// actually occur. A digit run is weighed by its value: the count of its
// significant digits, then the digits.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <type_traits>

#include "util/qv_Sort.h"
#include "util/qv_StrCore.h"

namespace qvkey {

constexpr uint32_t kEndField = 0;
constexpr uint32_t kDigitRun = 1;
constexpr uint32_t kFirstClass = 2;

// Ranking every unit of a large alphabet would cost more exact compares than
// it saves; past this many distinct units the classes follow the unit values.
constexpr size_t kMaxRankedUnits = 1024;

// Units with a weight of their own: all bytes, the whole UTF-16 range.
template <class Ch>
constexpr size_t TableUnits() {
    return sizeof(Ch) == 1 ? 256 : 65536;
}

template <class Ch>
inline uint32_t UnitValue(Ch c) {
    return uint32_t(static_cast<std::make_unsigned_t<Ch>>(c));
}

// Largest weight a unit can get (units outside the table share the top one).
inline uint32_t TopWeight(bool wide) { return wide ? 0xFFFFu : 0xFFu; }

// The class of every unit, ranked once per sort.
template <class Ch>
struct UnitClasses {
    uint16_t *weight = nullptr;  // TableUnits<Ch>() entries
    bool wide = false;           // weights take two bytes
    bool digitsAsNumbers = false;

    UnitClasses() = default;
    UnitClasses(const UnitClasses &) = delete;
    UnitClasses &operator=(const UnitClasses &) = delete;
    ~UnitClasses() { std::free(weight); }
};

// Starts a ranking: the table, with no unit present yet. False when memory
// runs out.
template <class Ch>
bool UnitClasses_Init(UnitClasses<Ch> *classes, bool digitsAsNumbers) {
    std::free(classes->weight);
    classes->weight = static_cast<uint16_t *>(std::calloc(TableUnits<Ch>(), sizeof(uint16_t)));
    classes->digitsAsNumbers = digitsAsNumbers;
    classes->wide = false;
    return classes->weight != nullptr;
}

// Units seen in texts, one bit per table unit: parts of a list can note
// theirs apart (on threads of their own) and join them into the table.
template <class Ch>
constexpr size_t UnitSetBytes() {
    return TableUnits<Ch>() / 8;
}

// Notes the units of a text in a set of UnitSetBytes<Ch>() zeroed bytes.
template <class Ch>
void UnitSet_Mark(uint8_t *present, const Ch *text, size_t units) {
    constexpr size_t kUnits = TableUnits<Ch>();
    for (size_t i = 0; i < units; ++i) {
        const uint32_t u = UnitValue(text[i]);
        if (u < kUnits) present[u >> 3] = uint8_t(present[u >> 3] | (1u << (u & 7)));
    }
}

// Notes the units of a set as present (1 in the table until ranked).
template <class Ch>
void UnitClasses_MarkSet(UnitClasses<Ch> *classes, const uint8_t *present) {
    for (size_t byte = 0; byte < UnitSetBytes<Ch>(); ++byte)
        for (uint32_t bit = 0; present[byte] >> bit != 0; ++bit)
            if (present[byte] & (1u << bit)) classes->weight[8 * byte + bit] = 1;
}

// Ranks the units present by the exact compare of one-unit texts. With
// digitsAsNumbers (a natural order) the digits are left out, and two units
// are one class when a digit after them decides: compare("x1", "y0") > 0
// means x and y tie. Otherwise units tie when the compare answers 0. False
// when memory runs out.
template <class Ch>
bool UnitClasses_Rank(UnitClasses<Ch> *classes, int (*compare)(const Ch *, const Ch *)) {
    constexpr size_t kUnits = TableUnits<Ch>();
    uint16_t *weight = classes->weight;
    const bool digitsAsNumbers = classes->digitsAsNumbers;
    if (digitsAsNumbers)
        for (uint32_t d = '0'; d <= '9'; ++d) weight[d] = 0;
    size_t distinct = 0;
    for (size_t u = 0; u < kUnits; ++u) distinct += weight[u] != 0;
    if (distinct == 0) return true;
    uint32_t *units = static_cast<uint32_t *>(std::malloc(distinct * sizeof(uint32_t)));
    if (units == nullptr) return false;
    size_t n = 0;
    for (uint32_t u = 0; u < kUnits; ++u)
        if (weight[u] != 0) units[n++] = u;
    if (distinct > kMaxRankedUnits) {
        // Unit values, with ASCII letters folded.
        classes->wide = true;
        for (size_t k = 0; k < n; ++k) {
            uint32_t u = units[k];
            if (u >= 'A' && u <= 'Z') u += 'a' - 'A';
            weight[units[k]] = uint16_t(std::min<uint32_t>(u + kFirstClass, TopWeight(true)));
        }
        std::free(units);
        return true;
    }
    const auto one = [](uint32_t u, Ch *text) {
        text[0] = Ch(u);
        text[1] = 0;
        return text;
    };
    Ch ta[3], tb[3];
    const bool sorted = Util_SortIndices(units, n, [&](uint32_t a, uint32_t b) {
        return compare(one(a, ta), one(b, tb)) < 0;
    });
    if (!sorted) {
        std::free(units);
        return false;
    }
    uint32_t rank = kFirstClass;
    for (size_t k = 0; k < n; ++k) {
        if (k > 0) {
            bool same;
            if (digitsAsNumbers) {
                one(units[k - 1], ta);
                ta[1] = Ch('1');
                ta[2] = 0;
                one(units[k], tb);
                tb[1] = Ch('0');
                tb[2] = 0;
                same = compare(ta, tb) > 0;
            } else {
                same = compare(one(units[k - 1], ta), one(units[k], tb)) == 0;
            }
            if (!same) ++rank;
        }
        weight[units[k]] = uint16_t(std::min<uint32_t>(rank, TopWeight(true)));
    }
    // The top byte weight is left for units outside the table.
    classes->wide = rank > TopWeight(false) - 1;
    std::free(units);
    return true;
}

// Bytes a key of `units` text units can need (every field included).
constexpr size_t KeyBytesBound(size_t units) { return 2 * (3 * units + 2); }

inline uint8_t *PutWeight(uint8_t *out, uint32_t w, bool wide) {
    if (wide) {
        w = std::min<uint32_t>(w, TopWeight(true));
        *out++ = uint8_t(w >> 8);
    } else {
        w = std::min<uint32_t>(w, TopWeight(false));
    }
    *out++ = uint8_t(w);
    return out;
}

// Appends the weights of text[0..units) to out; returns the end.
template <class Ch>
uint8_t *EncodeText(const UnitClasses<Ch> &classes, const Ch *text, size_t units, uint8_t *out) {
    constexpr size_t kUnits = TableUnits<Ch>();
    const bool wide = classes.wide;
    for (size_t i = 0; i < units;) {
        if (classes.digitsAsNumbers && qvtext::IsDigit(text[i])) {
            size_t end = i;
            while (end < units && qvtext::IsDigit(text[end])) ++end;
            size_t first = i;
            while (first < end && text[first] == Ch('0')) ++first;
            out = PutWeight(out, kDigitRun, wide);
            out = PutWeight(out, uint32_t(end - first), wide);
            for (size_t d = first; d < end; ++d) out = PutWeight(out, UnitValue(text[d]), wide);
            i = end;
            continue;
        }
        const uint32_t u = UnitValue(text[i]);
        out = PutWeight(out, u < kUnits ? classes.weight[u] : TopWeight(wide), wide);
        ++i;
    }
    return out;
}

// One item to presort: fields compared in this order, then the index, so
// that items with equal keys keep their order.
struct Record {
    uint64_t head;     // leading fields of the caller's order, already as unsigned numbers
    uint64_t number;   // a numeric key (size, date...); 0 when none
    uint64_t prefix[2];  // first 16 bytes of the text key, big-endian, zero-padded
    uint32_t offset;   // text key in the pool
    uint32_t length;
    uint32_t index;
};

constexpr uint32_t kPrefixBytes = 16;

// Fills the prefix of a record from its key bytes.
inline void Record_SetPrefix(Record *r, const uint8_t *pool) {
    for (uint32_t half = 0; half < 2; ++half) {
        uint64_t p = 0;
        for (uint32_t i = 8 * half; i < 8 * half + 8; ++i) p = (p << 8) | (i < r->length ? pool[r->offset + i] : 0u);
        r->prefix[half] = p;
    }
}

// Zero padding sorts like the end of the key, since no byte is below 0; so
// keys that differ in their prefixes are ordered by them alone.
inline int Record_CompareKeys(const Record &a, const Record &b, const uint8_t *pool) {
    if (a.head != b.head) return a.head < b.head ? -1 : 1;
    if (a.number != b.number) return a.number < b.number ? -1 : 1;
    if (a.prefix[0] != b.prefix[0]) return a.prefix[0] < b.prefix[0] ? -1 : 1;
    if (a.prefix[1] != b.prefix[1]) return a.prefix[1] < b.prefix[1] ? -1 : 1;
    const uint32_t common = std::min(a.length, b.length);
    if (common > kPrefixBytes) {
        const int r = std::memcmp(pool + a.offset + kPrefixBytes, pool + b.offset + kPrefixBytes, common - kPrefixBytes);
        if (r != 0) return r < 0 ? -1 : 1;
    }
    return a.length == b.length ? 0 : (a.length < b.length ? -1 : 1);
}

// Sorts the records by their keys (reversed when descending), equal keys in
// index order, and writes their indices out. The compare is our own total
// order over bytes, so any sort algorithm is safe here.
inline void SortRecords(Record *records, size_t count, const uint8_t *pool, bool descending, uint32_t *indices) {
    std::sort(records, records + count, [pool, descending](const Record &a, const Record &b) {
        const int r = Record_CompareKeys(a, b, pool);
        if (r != 0) return descending ? r > 0 : r < 0;
        return a.index < b.index;
    });
    for (size_t i = 0; i < count; ++i) indices[i] = records[i].index;
}

}  // namespace qvkey
