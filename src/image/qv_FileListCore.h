// The file list of a folder or an archive: entries, classification, sort
// orders, the random order, navigation by picture ordinal, lookup and
// removal in place. Written once over the text unit (TCHAR in the program,
// char16_t or char in the native tests); what depends on the system
// (collation, case folding, code-page conversion, the format registry) comes
// in through FileListText and plain parameters, so every rule here is tested
// without Windows. The folder enumeration itself lives in qv_FileList.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "image/qv_SpiApi.h"
#include "util/qv_NameKey.h"
#include "util/qv_Sort.h"
#include "util/qv_StrCore.h"

// ---------------------------------------------------------------- facts

constexpr uint32_t kAttrHidden = 0x2;     // FILE_ATTRIBUTE_HIDDEN
constexpr uint32_t kAttrSystem = 0x4;     // FILE_ATTRIBUTE_SYSTEM
constexpr uint32_t kAttrDirectory = 0x10; // FILE_ATTRIBUTE_DIRECTORY
constexpr uint32_t kAttrNormal = 0x80;    // FILE_ATTRIBUTE_NORMAL

constexpr int kFileNameUnits = 260;   // long name with its terminator
constexpr int kShortNameUnits = 14;   // 8.3 name with its terminator
constexpr int kArchivePathUnits = 200;

constexpr int32_t kTypeNotListed = 0;
constexpr int32_t kTypeFolder = 1;
constexpr int32_t kFirstArchiveType = 0x10000FF;  // archives and above go to folders

// Sort keys of the low byte of a sort type.
enum FileSortKey : uint32_t { kSortName = 1, kSortSize = 2, kSortExtension = 3, kSortDate = 4, kSortRandom = 5 };

// Navigation kinds of FileList_Navigate.
enum FileNavKind : int32_t {
    kNavStep = 0, kNavFirst = 1, kNavLast = 2, kNavIndex = 3, kNavRandom = 4, kNavCurrent = 5
};
constexpr int32_t kNavNoList = -1;    // no list, no listed files, nothing found
constexpr int32_t kNavInvalid = -2;   // invalid request or no current entry
constexpr int32_t kNavPastEnd = -3;   // past either end

struct FileTime32 {
    uint32_t low;
    uint32_t high;
};

inline uint64_t FileTime_Value(FileTime32 t) { return (uint64_t{t.high} << 32) | t.low; }

// The facts of one directory entry, as the folder enumeration reports them.
template <class Ch>
struct FileFindFacts {
    uint32_t attributes;
    FileTime32 created;
    FileTime32 accessed;
    FileTime32 written;
    uint32_t sizeHigh;
    uint32_t sizeLow;
    Ch name[kFileNameUnits];
    Ch shortName[kShortNameUnits];
};

template <class Ch>
struct FileListEntryT {
    uint32_t nameHash;      // hash of the lower-cased long name
    uint32_t shortHash;     // hash of the lower-cased 8.3 name (nameHash without one)
    int32_t folderId;       // archive members: inner folder id from 1; 0 root and disk files
    int32_t type;           // 0 not listed, 1 folder, else the loader id
    int32_t imageOrdinal;   // position among listed files; -1 for the others
    int32_t folderOrder;    // archive members: position of the inner folder when sorted; -1 none
    uint32_t shuffleKey;    // position in the random order
    const SpiFileInfo *member;  // record inside the archive listing; null for files on disk
    FileFindFacts<Ch> find;
};

// A growable array of trivially copyable items on the C heap.
template <class T>
struct GrowArray {
    T *items = nullptr;
    int32_t growBy = 0;
    int32_t count = 0;
    int32_t capacity = 0;
    bool doubling = true;
};

template <class T>
bool GrowArray_Init(GrowArray<T> *a, int32_t initial, bool doubling) {
    std::free(a->items);
    *a = GrowArray<T>{};
    a->doubling = doubling;
    a->growBy = 8;
    if (initial <= 0) return true;
    a->items = static_cast<T *>(std::calloc(size_t(initial), sizeof(T)));
    if (a->items == nullptr) return false;
    a->capacity = initial;
    return true;
}

template <class T>
void GrowArray_Free(GrowArray<T> *a) {
    std::free(a->items);
    *a = GrowArray<T>{};
}

// The capacity after one growth step from `capacity`; 0 when too large.
template <class T>
int32_t GrowArray_NextCapacity(GrowArray<T> *a, int64_t capacity) {
    int64_t want;
    if (a->doubling) {
        want = (capacity > 0 ? capacity : 1) * 2;
    } else {
        if (a->growBy <= 0) a->growBy = 8;
        want = capacity + a->growBy;
    }
    if (want > INT32_MAX / 2 || uint64_t(want) * sizeof(T) > SIZE_MAX / 2) return 0;
    return int32_t(want);
}

// Appends a copy; a failed growth leaves the array as it was.
template <class T>
bool GrowArray_Append(GrowArray<T> *a, const T &item) {
    if (a->count >= a->capacity) {
        const int32_t want = GrowArray_NextCapacity(a, a->capacity);
        if (want == 0) return false;
        T *grown = static_cast<T *>(std::realloc(a->items, size_t(want) * sizeof(T)));
        if (grown == nullptr) return false;
        std::memset(static_cast<void *>(grown + a->capacity), 0, size_t(want - a->capacity) * sizeof(T));
        a->items = grown;
        a->capacity = int32_t(want);
    }
    a->items[a->count++] = item;
    return true;
}

// Grows the array at once to the capacity that appending items one by one
// would reach for `count` items, so a large listing is not copied at every
// doubling. The new room is zeroed. False (the array unchanged) when memory
// runs out.
// The capacity appending items one by one reaches for `count` items; 0 when
// too large.
template <class T>
int64_t GrowArray_CapacityFor(GrowArray<T> *a, int64_t count) {
    int64_t capacity = a->capacity;
    while (capacity < count) {
        capacity = GrowArray_NextCapacity(a, capacity);
        if (capacity == 0) return 0;
    }
    return capacity;
}

template <class T>
bool GrowArray_Reserve(GrowArray<T> *a, int64_t count) {
    if (count <= a->capacity) return true;
    const int64_t capacity = GrowArray_CapacityFor(a, count);
    if (capacity == 0) return false;
    // A fresh zeroed block rather than realloc and memset: the system hands
    // out large blocks already zeroed, and only the used part is copied.
    T *grown = static_cast<T *>(std::calloc(size_t(capacity), sizeof(T)));
    if (grown == nullptr) return false;
    if (a->count > 0) std::memcpy(static_cast<void *>(grown), a->items, size_t(a->count) * sizeof(T));
    std::free(a->items);
    a->items = grown;
    a->capacity = int32_t(capacity);
    return true;
}

template <class Ch>
struct ArchiveFolderT {
    uint32_t id;
    uint32_t hash;  // hash of the lower-cased path
    Ch path[kArchivePathUnits];
};

template <class Ch>
struct FileListT {
    Ch *path = nullptr;          // owned (malloc); for an archive the containing folder follows its NUL
    const Ch *folder = nullptr;
    const Ch *name = nullptr;
    GrowArray<FileListEntryT<Ch>> folders;
    GrowArray<FileListEntryT<Ch>> files;
    GrowArray<ArchiveFolderT<Ch>> archiveFolders;
    int32_t imageCount = 0;
    int32_t isArchive = 0;
    int32_t loaderId = 0;
    int32_t classify = 0;
    int32_t pathSet = 0;
    int32_t namedOnly = 0;
    void *archiveInfo = nullptr;     // the plug-in's member listing, owned by the list
    size_t archiveInfoSize = 0;
    void (*freeArchiveInfo)(void *) = nullptr;
    int32_t stampValid = 0;
    uint32_t archiveSizeLow = 0, archiveSizeHigh = 0;
    FileTime32 archiveCreated{}, archiveWritten{};
};

// What the list needs from the system's text functions.
template <class Ch>
struct FileListText {
    int (*natural)(const Ch *a, const Ch *b);   // natural name order, a strict weak order
    int (*caseless)(const Ch *a, const Ch *b);  // collation without case
    int (*cased)(const Ch *a, const Ch *b);     // collation with case
    void (*lower)(Ch *text, size_t units);      // folds case in place
    // Order of archive inner folders (natural or not).
    int (*pathOrder)(const Ch *a, const Ch *b, int natural);
    // Converts an ANSI text of the code page into out (capacity units with
    // the terminator); length, or 0 on failure. Null: byte-wise copy.
    size_t (*fromAnsi)(const char *text, size_t bytes, Ch *out, size_t capacity);
    // Threads for sorting large arrays; null: the calling thread alone. Set
    // only when every compare above may run on several threads at once.
    const SortWorkers *workers;
};

// What classification reads from the settings.
struct FileListFilter {
    bool listHidden = true;       // LoadFAHid
    bool listSystem = true;       // LoadFASys
    bool listHiddenSystem = false;  // LoadFA_HS
};

// Loader id of a name through the format registry; 0 when none.
template <class Ch>
using LoaderForName = int32_t (*)(const Ch *name);

// ---------------------------------------------------------------- random numbers

// The shared linear congruential state, advanced as x * 1103515245 + 12345.
inline uint32_t Rand_Advance(uint32_t *state) {
    *state = *state * 1103515245u + 12345u;
    return *state;
}

// A 31-bit value from a freshly advanced state.
inline uint32_t Rand_Next(uint32_t *state) {
    const uint32_t x = Rand_Advance(state);
    return ((x >> 16) | ((x & 0xFF00u) << 8) | ((x & 0xFEu) << 23)) & 0x7FFFFFFFu;
}

// A draw in 0..range-1 with as many random bits as the range needs.
inline uint32_t Rand_Below(uint32_t *state, uint32_t range) {
    if (range <= 1) return 0;
    if (range > 16777216u) return Rand_Next(state) % range;
    const uint32_t x = Rand_Advance(state);
    if (range > 65536u) return ((x >> 16) | ((x & 0xFF00u) << 8)) % range;
    return (x >> 16) % range;
}

// ---------------------------------------------------------------- sort type

struct SortOrder {
    uint32_t key;      // kSortName..kSortRandom
    bool descending;
    bool natural;
};

// Natural-order mode of bits 16 to 23: 1 automatic (systemAbove50), 2 off,
// 3 on, else the natural-order option.
inline bool FileList_IsNaturalSort(uint32_t sortType, bool systemAbove50, bool naturalOption) {
    switch ((sortType >> 16) & 0xFF) {
        case 1: return systemAbove50;
        case 2: return false;
        case 3: return true;
        default: return naturalOption;
    }
}

inline SortOrder SortOrder_From(uint32_t sortType, bool systemAbove50, bool naturalOption) {
    SortOrder o{};
    const uint32_t key = sortType & 0xFF;
    o.key = key >= kSortName && key <= kSortRandom ? key : kSortName;
    o.descending = ((sortType >> 8) & 0xFF) != 0;
    o.natural = FileList_IsNaturalSort(sortType, systemAbove50, naturalOption);
    return o;
}

// ---------------------------------------------------------------- entries

// Hash of the lower-cased name; names of 260 units or more hash as empty.
template <class Ch>
uint32_t FileEntry_NameHash(const Ch *name, const FileListText<Ch> &text) {
    const size_t n = qvtext::Length(name);
    if (n == 0 || n >= size_t(kFileNameUnits)) return 0;
    Ch folded[kFileNameUnits];
    for (size_t i = 0; i < n; ++i) folded[i] = name[i];
    folded[n] = 0;
    if (text.lower != nullptr) text.lower(folded, n);
    return qvtext::Hash(folded);
}

template <class Ch>
void FileEntry_SetHashes(FileListEntryT<Ch> *e, const FileListText<Ch> &text) {
    e->nameHash = FileEntry_NameHash(e->find.name, text);
    e->shortHash = e->find.shortName[0] != 0 ? FileEntry_NameHash(e->find.shortName, text) : e->nameHash;
}

// Type of an entry: 0 when hidden or system and such files are not listed,
// 1 for a folder, else the loader id of its name (0 when none).
template <class Ch>
int32_t FileEntry_Classify(const FileFindFacts<Ch> &f, const FileListFilter &filter, LoaderForName<Ch> loader) {
    const bool hidden = (f.attributes & kAttrHidden) != 0, system = (f.attributes & kAttrSystem) != 0;
    if ((hidden && !filter.listHidden) || (system && !filter.listSystem) ||
        (hidden && system && !filter.listHiddenSystem))
        return kTypeNotListed;
    if ((f.attributes & kAttrDirectory) != 0) return kTypeFolder;
    const int32_t id = loader != nullptr ? loader(f.name) : 0;
    return id > 0 ? id : kTypeNotListed;
}

// Folders and archives go to the folder array, everything else to files.
template <class Ch>
bool FileEntry_GoesToFolders(const FileListEntryT<Ch> &e, bool classify) {
    if ((e.find.attributes & kAttrDirectory) != 0) return true;
    return classify && e.type >= kFirstArchiveType;
}

template <class Ch>
bool FileEntry_IsDotName(const Ch *name) {
    return name[0] == Ch('.') && (name[1] == 0 || (name[1] == Ch('.') && name[2] == 0));
}

// The extension: from the last '.' of the name, null when there is none.
template <class Ch>
const Ch *FileEntry_Extension(const Ch *name) {
    const Ch *ext = nullptr;
    for (const Ch *p = name; *p != 0; p = qvtext::NextChar(p))
        if (*p == Ch('.')) ext = p;
    return ext;
}

// ---------------------------------------------------------------- order

inline int FileList_Sign3(uint64_t a, uint64_t b) { return a < b ? -1 : (a > b ? 1 : 0); }

// Ascending order of two entries: folders first, inner folders in their
// sorted order, the key, then the names (natural or caseless, then cased,
// then by unit). Descending order is its negation.
template <class Ch>
int FileList_CompareAscending(const FileListEntryT<Ch> &a, const FileListEntryT<Ch> &b, const SortOrder &order,
                              const FileListText<Ch> &text) {
    const bool da = (a.find.attributes & kAttrDirectory) != 0, db = (b.find.attributes & kAttrDirectory) != 0;
    if (da != db) return da ? -1 : 1;
    if (a.folderOrder != b.folderOrder) return a.folderOrder < b.folderOrder ? -1 : 1;
    int r = 0;
    switch (order.key) {
        case kSortSize:
            if (!da && !db)
                r = FileList_Sign3((uint64_t{a.find.sizeHigh} << 32) | a.find.sizeLow,
                                   (uint64_t{b.find.sizeHigh} << 32) | b.find.sizeLow);
            break;
        case kSortExtension:
            if (!da && !db) {
                const Ch *ea = FileEntry_Extension(a.find.name), *eb = FileEntry_Extension(b.find.name);
                if (ea == nullptr || eb == nullptr) {
                    r = ea == eb ? 0 : (ea == nullptr ? -1 : 1);
                } else {
                    r = qvtext::Sign(text.caseless(ea, eb));
                }
            }
            break;
        case kSortDate:
            r = FileList_Sign3(FileTime_Value(a.find.written), FileTime_Value(b.find.written));
            break;
        case kSortRandom:
            if (!da && !db) r = FileList_Sign3(a.shuffleKey, b.shuffleKey);
            break;
        default:
            break;
    }
    if (r != 0) return r;
    r = qvtext::Sign(order.natural ? text.natural(a.find.name, b.find.name) : text.caseless(a.find.name, b.find.name));
    if (r == 0) r = qvtext::Sign(text.cased(a.find.name, b.find.name));
    if (r == 0) r = qvtext::CompareOrdinal(a.find.name, b.find.name);
    return r;
}

template <class Ch>
int FileList_CompareEntries(const FileListEntryT<Ch> &a, const FileListEntryT<Ch> &b, const SortOrder &order,
                            const FileListText<Ch> &text) {
    const int r = FileList_CompareAscending(a, b, order, text);
    return order.descending ? -r : r;
}

// Puts indices[0..n) in the order of cheap keys made once per entry (the
// folder flag, the inner folder, the numeric key, then the extension and the
// name as rows of weights), an approximation of FileList_CompareEntries that
// is right for common names. Only the speed of the exact sort that follows
// depends on it: entries the compare calls equal (same name and fields) have
// equal keys and stay in array order, so the exact sort ends the same either
// way. False when memory runs out (the indices are then unchanged).
constexpr size_t kPrefetchAhead = 8;
// Lists at least this long have their keys made in parts on the sort's
// threads: reading the large entries dominates and parallelises well.
constexpr size_t kPresortPartFrom = 16384;

// One part of the entries being presorted: its names, then its keys, in
// blocks of its own; the record offsets point into them until the keys are
// joined into one pool.
template <class Ch>
struct PresortPart {
    size_t from = 0, to = 0;
    Ch *names = nullptr;
    size_t namesUsed = 0;
    uint8_t *keys = nullptr;
    size_t keysUsed = 0;
    uint8_t *present = nullptr;  // one bit per table unit seen in the names
    bool ok = true;

    PresortPart() = default;
    PresortPart(const PresortPart &) = delete;
    PresortPart &operator=(const PresortPart &) = delete;
    ~PresortPart() {
        std::free(names);
        std::free(keys);
        std::free(present);
    }
};

template <class Ch>
struct PresortJob {
    const FileListEntryT<Ch> *items;
    const SortOrder *order;
    qvkey::Record *records;
    PresortPart<Ch> *parts;
    const qvkey::UnitClasses<Ch> *classes;

    // The numeric fields into the records, the names (terminated) into the
    // part's block, and which units occur.
    static void Read(void *context, size_t index) {
        const PresortJob &job = *static_cast<const PresortJob *>(context);
        PresortPart<Ch> &part = job.parts[index];
        const SortOrder &order = *job.order;
        part.present = static_cast<uint8_t *>(std::calloc(qvkey::UnitSetBytes<Ch>(), 1));
        size_t namesSize = (part.to - part.from) * 24;
        part.names = static_cast<Ch *>(std::malloc((namesSize + 1) * sizeof(Ch)));
        if (part.present == nullptr || part.names == nullptr) {
            part.ok = false;
            return;
        }
        for (size_t i = part.from; i < part.to; ++i) {
            const FileListEntryT<Ch> &e = job.items[i];
            if (i + kPrefetchAhead < part.to) {
                // Entries are far apart: fetch ahead, the hardware will not.
                __builtin_prefetch(&job.items[i + kPrefetchAhead].find.attributes);
                __builtin_prefetch(&job.items[i + kPrefetchAhead].find.name[16]);
            }
            const bool dir = (e.find.attributes & kAttrDirectory) != 0;
            qvkey::Record &r = job.records[i];
            r.head = (uint64_t{dir ? 0u : 1u} << 32) | (uint32_t(e.folderOrder) ^ 0x80000000u);
            r.number = 0;
            if (order.key == kSortSize && !dir) r.number = (uint64_t{e.find.sizeHigh} << 32) | e.find.sizeLow;
            if (order.key == kSortDate) r.number = FileTime_Value(e.find.written);
            if (order.key == kSortRandom && !dir) r.number = e.shuffleKey;
            r.index = uint32_t(i);
            size_t units = 0;
            while (units < size_t(kFileNameUnits) - 1 && e.find.name[units] != 0) ++units;
            if (part.namesUsed + units + 1 > namesSize) {
                namesSize = 2 * namesSize + units + 1;
                Ch *grown = static_cast<Ch *>(std::realloc(part.names, namesSize * sizeof(Ch)));
                if (grown == nullptr) {
                    part.ok = false;
                    return;
                }
                part.names = grown;
            }
            Ch *name = part.names + part.namesUsed;
            std::memcpy(name, e.find.name, units * sizeof(Ch));
            name[units] = 0;
            qvkey::UnitSet_Mark(part.present, name, units);
            r.offset = uint32_t(part.namesUsed);
            r.length = uint32_t(units);
            part.namesUsed += units + 1;
        }
        part.ok = part.namesUsed <= UINT32_MAX;
    }

    // The keys, made from the part's names into its block of bytes.
    static void Encode(void *context, size_t index) {
        const PresortJob &job = *static_cast<const PresortJob *>(context);
        PresortPart<Ch> &part = job.parts[index];
        const qvkey::UnitClasses<Ch> &classes = *job.classes;
        size_t keysSize = (part.to - part.from) * 24 + 1;
        part.keys = static_cast<uint8_t *>(std::malloc(keysSize));
        if (part.keys == nullptr) {
            part.ok = false;
            return;
        }
        uint8_t key[qvkey::KeyBytesBound(2 * size_t(kFileNameUnits))];
        for (size_t i = part.from; i < part.to; ++i) {
            qvkey::Record &r = job.records[i];
            const Ch *name = part.names + r.offset;
            uint8_t *end = key;
            if (job.order->key == kSortExtension && (r.head >> 32) != 0) {
                const Ch *ext = FileEntry_Extension(name);
                if (ext != nullptr) end = qvkey::EncodeText(classes, ext, r.length - size_t(ext - name), end);
                end = qvkey::PutWeight(end, qvkey::kEndField, classes.wide);
            }
            end = qvkey::EncodeText(classes, name, r.length, end);
            const size_t length = size_t(end - key);
            if (part.keysUsed + length > keysSize) {
                keysSize = 2 * keysSize + length;
                uint8_t *grown = static_cast<uint8_t *>(std::realloc(part.keys, keysSize));
                if (grown == nullptr) {
                    part.ok = false;
                    return;
                }
                part.keys = grown;
            }
            std::memcpy(part.keys + part.keysUsed, key, length);
            r.offset = uint32_t(part.keysUsed);
            r.length = uint32_t(length);
            qvkey::Record_SetPrefix(&r, part.keys);
            part.keysUsed += length;
        }
    }
};

template <class Ch>
bool FileList_Presort(const FileListEntryT<Ch> *items, size_t n, const SortOrder &order,
                      const FileListText<Ch> &text, uint32_t *indices) {
    if (n < 2) return true;
    size_t parts = 1;
    if (text.workers != nullptr && text.workers->threads > 1 && n >= kPresortPartFrom)
        parts = text.workers->threads < 16 ? text.workers->threads : 16;
    qvkey::Record *records = static_cast<qvkey::Record *>(std::malloc(n * sizeof(qvkey::Record)));
    PresortPart<Ch> part[16];
    for (size_t k = 0; k < parts; ++k) {
        part[k].from = n * k / parts;
        part[k].to = n * (k + 1) / parts;
    }
    qvkey::UnitClasses<Ch> classes;
    PresortJob<Ch> job{items, &order, records, part, &classes};
    bool ok = records != nullptr && qvkey::UnitClasses_Init(&classes, order.natural);
    if (ok) Tasks_Run(text.workers, parts, &PresortJob<Ch>::Read, &job);
    // The units present in any part take part in the ranking.
    for (size_t k = 0; ok && k < parts; ++k) {
        ok = part[k].ok;
        if (ok) qvkey::UnitClasses_MarkSet(&classes, part[k].present);
    }
    ok = ok && qvkey::UnitClasses_Rank(&classes, order.natural ? text.natural : text.caseless);
    if (ok) Tasks_Run(text.workers, parts, &PresortJob<Ch>::Encode, &job);
    // The parts' keys joined into one pool.
    size_t poolSize = 0;
    for (size_t k = 0; ok && k < parts; ++k) {
        ok = part[k].ok;
        poolSize += part[k].keysUsed;
    }
    uint8_t *pool = ok && poolSize <= UINT32_MAX ? static_cast<uint8_t *>(std::malloc(poolSize + 1)) : nullptr;
    if (pool != nullptr) {
        size_t base = 0;
        for (size_t k = 0; k < parts; ++k) {
            std::memcpy(pool + base, part[k].keys, part[k].keysUsed);
            for (size_t i = part[k].from; i < part[k].to; ++i) records[i].offset += uint32_t(base);
            base += part[k].keysUsed;
        }
        qvkey::SortRecords(records, n, pool, order.descending, indices);
    }
    std::free(pool);
    std::free(records);
    return pool != nullptr;
}

// Below this many entries the exact sort alone is as quick as ranking the
// units and sorting the keys first.
constexpr size_t kPresortFrom = 256;

enum class Presort { kAuto, kAlways, kNever };

// Sorts an entry array: an index array is sorted (a merge sort that stays in
// bounds whatever the compare answers) and the large entries are moved once.
// Large arrays are first put nearly in order by cheap keys, so the exact
// compare, a system call per pair, is asked about once per entry.
template <class Ch>
bool FileList_SortEntries(GrowArray<FileListEntryT<Ch>> *array, const SortOrder &order,
                          const FileListText<Ch> &text, Presort presort = Presort::kAuto) {
    const size_t n = size_t(array->count);
    if (n < 2) return true;
    uint32_t *indices = static_cast<uint32_t *>(std::malloc(n * sizeof(uint32_t)));
    if (indices == nullptr) return false;
    for (size_t i = 0; i < n; ++i) indices[i] = uint32_t(i);
    const FileListEntryT<Ch> *items = array->items;
    if (presort == Presort::kAlways || (presort == Presort::kAuto && n >= kPresortFrom))
        FileList_Presort(items, n, order, text, indices);  // on failure the exact sort starts from array order
    const bool sorted = Util_SortIndices(
        indices, n, [&](uint32_t x, uint32_t y) { return FileList_CompareEntries(items[x], items[y], order, text) < 0; },
        text.workers);
    if (sorted) Util_ApplyPermutation(array->items, indices, n);
    std::free(indices);
    return sorted;
}

// ---------------------------------------------------------------- numbering and random order

// Numbers the listed files in array order; -1 for the others.
template <class Ch>
void FileList_NumberImages(FileListT<Ch> *list) {
    if (!list->classify) return;
    int32_t next = 0;
    for (int32_t i = 0; i < list->files.count; ++i) {
        FileListEntryT<Ch> &e = list->files.items[i];
        e.imageOrdinal = e.type != kTypeNotListed ? next++ : -1;
    }
    list->imageCount = next;
}

// Gives every file a distinct key in 0..n-1 drawn from the pool.
template <class Ch>
bool FileList_Shuffle(FileListT<Ch> *list, uint32_t *seed) {
    const size_t n = size_t(list->files.count);
    if (n == 0) return true;
    uint32_t *pool = static_cast<uint32_t *>(std::malloc(n * sizeof(uint32_t)));
    if (pool == nullptr) return false;
    for (size_t i = 0; i < n; ++i) pool[i] = uint32_t(i);
    for (size_t i = 0, r = n; i < n; ++i, --r) {
        const uint32_t k = Rand_Below(seed, uint32_t(r));
        list->files.items[i].shuffleKey = pool[k];
        pool[k] = pool[r - 1];
    }
    std::free(pool);
    return true;
}

// Sorts inner folders of an archive and gives each member the position of
// its folder (-1 for the root and unknown folders).
template <class Ch>
bool FileList_SortArchiveFolders(FileListT<Ch> *list, bool natural, const FileListText<Ch> &text) {
    GrowArray<ArchiveFolderT<Ch>> &af = list->archiveFolders;
    const size_t n = size_t(af.count);
    if (n == 0) {
        for (int32_t i = 0; i < list->files.count; ++i) list->files.items[i].folderOrder = -1;
        return true;
    }
    uint32_t *indices = static_cast<uint32_t *>(std::malloc(n * sizeof(uint32_t)));
    if (indices == nullptr) return false;
    for (size_t i = 0; i < n; ++i) indices[i] = uint32_t(i);
    const bool sorted = Util_SortIndices(indices, n, [&](uint32_t x, uint32_t y) {
        return text.pathOrder(af.items[x].path, af.items[y].path, natural ? 1 : 0) < 0;
    });
    if (sorted) Util_ApplyPermutation(af.items, indices, n);
    std::free(indices);
    if (!sorted) return false;
    for (int32_t i = 0; i < list->files.count; ++i) {
        FileListEntryT<Ch> &e = list->files.items[i];
        e.folderOrder = -1;
        if (e.folderId == 0) continue;
        for (int32_t k = 0; k < af.count; ++k)
            if (af.items[k].id == uint32_t(e.folderId)) {
                e.folderOrder = k;
                break;
            }
    }
    return true;
}

// Sorts the folder array (which 0) or the file array (which 1).
template <class Ch>
bool FileList_Sort(int which, FileListT<Ch> *list, uint32_t sortType, bool systemAbove50, bool naturalOption,
                   uint32_t *seed, const FileListText<Ch> &text) {
    if (sortType == 0) return true;
    SortOrder order = SortOrder_From(sortType, systemAbove50, naturalOption);
    GrowArray<FileListEntryT<Ch>> *array = which == 0 ? &list->folders : &list->files;
    if (which != 0 && list->isArchive && !FileList_SortArchiveFolders(list, order.natural, text)) return false;
    if (order.key == kSortRandom) {
        if (which == 0 || array->count == 0) {
            order.key = kSortName;
        } else if (!FileList_Shuffle(list, seed)) {
            return false;
        }
    }
    if (!FileList_SortEntries(array, order, text)) return false;
    if (which != 0) FileList_NumberImages(list);
    return true;
}

// ---------------------------------------------------------------- navigation

// Index of the first listed file at or after `from` (step 1) or at or
// before it (step -1); -1 when none.
template <class Ch>
int32_t FileList_NextListed(const FileListT<Ch> &list, int64_t from, int step) {
    for (int64_t i = from; i >= 0 && i < list.files.count; i += step)
        if (list.files.items[i].type != kTypeNotListed) return int32_t(i);
    return -1;
}

// Index of the picture whose ordinal is k; -1 when none.
template <class Ch>
int32_t FileList_FirstImageFrom(const FileListT<Ch> &list, int32_t k) {
    if (k < 0) return -1;
    for (int32_t i = k; i < list.files.count; ++i)
        if (list.files.items[i].imageOrdinal >= k) return list.files.items[i].imageOrdinal == k ? i : -1;
    return -1;
}

// The entry index for a move, or kNavNoList, kNavInvalid, kNavPastEnd.
template <class Ch>
int32_t FileList_Navigate(int32_t a, int32_t current, int32_t kind, const FileListT<Ch> &list, uint32_t *seed) {
    const int32_t count = list.files.count;
    if (!list.classify || count <= 0) return kNavNoList;
    const bool inside = current >= 0 && current < count;
    switch (kind) {
        case kNavCurrent:
            return inside ? current : kNavInvalid;
        case kNavStep: {
            if (a == 0) return inside ? current : kNavInvalid;
            if (list.imageCount == 0) return kNavNoList;
            if ((current < 0 && a < 0) || (current >= count && a > 0)) return kNavPastEnd;
            const int dir = a > 0 ? 1 : -1;
            int64_t remaining = a;
            int32_t start;
            if (!inside) {
                start = dir < 0 ? FileList_NextListed(list, count - 1, -1) : FileList_NextListed(list, 0, 1);
                remaining -= dir;
            } else if (list.files.items[current].imageOrdinal < 0) {
                start = FileList_NextListed(list, int64_t(current) + dir, dir);
                remaining -= dir;
            } else {
                start = current;
            }
            if (start < 0) return kNavPastEnd;
            const int64_t target = int64_t(list.files.items[start].imageOrdinal) + remaining;
            if (target < 0 || target >= list.imageCount) return kNavPastEnd;
            const int32_t found = FileList_FirstImageFrom(list, int32_t(target));
            return found >= 0 ? found : kNavPastEnd;
        }
        case kNavFirst: {
            const int32_t i = FileList_NextListed(list, 0, 1);
            return i >= 0 ? i : kNavNoList;
        }
        case kNavLast: {
            const int32_t i = FileList_NextListed(list, count - 1, -1);
            return i >= 0 ? i : kNavNoList;
        }
        case kNavIndex:
            return a < 0 ? 0 : (a >= count ? count - 1 : a);
        case kNavRandom: {
            // Another picture, drawn evenly over every picture but the
            // current one; when the current entry is no picture (or lies
            // outside the list) over all of them.
            const int32_t images = list.imageCount;
            const int32_t own = inside ? list.files.items[current].imageOrdinal : -1;
            int64_t pick;
            if (own >= 0) {
                if (images < 2) return kNavInvalid;
                pick = Rand_Below(seed, uint32_t(images - 1));
                if (pick >= own) ++pick;
            } else {
                if (images < 1) return kNavInvalid;
                pick = Rand_Below(seed, uint32_t(images));
            }
            const int32_t found = FileList_FirstImageFrom(list, int32_t(pick));
            return found >= 0 ? found : kNavInvalid;
        }
        default:
            return kNavInvalid;
    }
}

// ---------------------------------------------------------------- lookup, removal, keeping the current file

// Finds a name in folders (which 0) or files (1): hash, then the caseless
// compare; an 8.3 name is tried when the long names give nothing.
template <class Ch>
bool FileList_FindByName(const FileListT<Ch> &list, int which, const Ch *name, int32_t *index,
                         const FileListText<Ch> &text) {
    if (name == nullptr || name[0] == 0) return false;
    const GrowArray<FileListEntryT<Ch>> &array = which == 0 ? list.folders : list.files;
    const uint32_t hash = FileEntry_NameHash(name, text);
    for (int32_t i = 0; i < array.count; ++i) {
        const FileListEntryT<Ch> &e = array.items[i];
        if (e.nameHash == hash && e.find.name[0] != 0 && text.caseless(e.find.name, name) == 0) {
            *index = i;
            return true;
        }
    }
    if (qvtext::Length(name) > 12) return false;
    for (int32_t i = 0; i < array.count; ++i) {
        const FileListEntryT<Ch> &e = array.items[i];
        if (e.shortHash == hash && e.find.shortName[0] != 0 && text.caseless(e.find.shortName, name) == 0) {
            *index = i;
            return true;
        }
    }
    return false;
}

// Blanks the named file in place: every other entry keeps its index; the
// blank is never found again and navigation skips it.
template <class Ch>
bool FileList_RemoveEntry(FileListT<Ch> *list, const Ch *name, const FileListText<Ch> &text) {
    int32_t index = -1;
    if (!FileList_FindByName(*list, 1, name, &index, text)) return false;
    FileListEntryT<Ch> &e = list->files.items[index];
    e.nameHash = e.shortHash = 0;
    e.folderId = 0;
    e.type = kTypeNotListed;
    e.imageOrdinal = -1;
    e.folderOrder = -1;
    e.member = nullptr;
    e.find.name[0] = 0;
    e.find.shortName[0] = 0;
    FileList_NumberImages(list);
    return true;
}

template <class Ch>
void FileList_SwapFiles(FileListT<Ch> *list, int32_t i, int32_t j) {
    FileListEntryT<Ch> t = list->files.items[i];
    list->files.items[i] = list->files.items[j];
    list->files.items[j] = t;
    FileList_NumberImages(list);
}

// Keeps the current file in a random order: toFront puts it first; without
// it (a new pass of a random slide show) it is moved off the first picture.
template <class Ch>
bool FileList_MoveCurrentFirst(const Ch *name, FileListT<Ch> *list, bool toFront, uint32_t *seed,
                               const FileListText<Ch> &text) {
    int32_t index = -1;
    if (!FileList_FindByName(*list, 1, name, &index, text)) return false;
    const int32_t count = list->files.count;
    if (count <= 1) return true;
    if (toFront) {
        if (index != 0) FileList_SwapFiles(list, index, 0);
        return true;
    }
    const int32_t ordinal = list->files.items[index].imageOrdinal;
    if (ordinal < 0 || list->imageCount < 2) {
        if (index == 0) FileList_SwapFiles(list, 0, 1 + int32_t(Rand_Next(seed) % uint32_t(count - 1)));
    } else if (ordinal == 0) {
        const int32_t other =
            FileList_FirstImageFrom(*list, 1 + int32_t(Rand_Next(seed) % uint32_t(list->imageCount - 1)));
        if (other >= 0) FileList_SwapFiles(list, index, other);
    }
    return true;
}

// ---------------------------------------------------------------- lifetime

template <class Ch>
void FileList_FreeArchiveInfo(FileListT<Ch> *list) {
    if (list->archiveInfo != nullptr && list->freeArchiveInfo != nullptr) list->freeArchiveInfo(list->archiveInfo);
    list->archiveInfo = nullptr;
    list->archiveInfoSize = 0;
    list->freeArchiveInfo = nullptr;
}

// Empties the arrays and gives them their starting room.
template <class Ch>
bool FileList_ResetArrays(FileListT<Ch> *list) {
    const bool ok = GrowArray_Init(&list->folders, list->isArchive ? 2 : 128, true) &&
                    GrowArray_Init(&list->files, 128, true) && GrowArray_Init(&list->archiveFolders, 128, true);
    list->imageCount = 0;
    return ok;
}

template <class Ch>
void FileList_Free(FileListT<Ch> *list) {
    GrowArray_Free(&list->folders);
    GrowArray_Free(&list->files);
    GrowArray_Free(&list->archiveFolders);
    FileList_FreeArchiveInfo(list);
    std::free(list->path);
    *list = FileListT<Ch>{};
}

// Puts an entry where it belongs; false when the array cannot grow.
template <class Ch>
bool FileList_Place(FileListT<Ch> *list, const FileListEntryT<Ch> &e) {
    return GrowArray_Append(FileEntry_GoesToFolders(e, list->classify != 0) ? &list->folders : &list->files, e);
}
