// An archive plug-in's member listing as arbitrary bytes: the walk, the
// inner folders, every sort order, navigation and lookup by inner path.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "image/qv_FileListArchive.h"
#include "image/qv_FileListCore.h"

namespace {

char16_t Fold(char16_t c) { return c >= 'A' && c <= 'Z' ? char16_t(c + 32) : c; }
int FoldN(const char16_t *a, size_t na, const char16_t *b, size_t nb) {
    for (size_t i = 0; i < na && i < nb; ++i)
        if (Fold(a[i]) != Fold(b[i])) return Fold(a[i]) < Fold(b[i]) ? -1 : 1;
    return na == nb ? 0 : (na < nb ? -1 : 1);
}
int OrdN(const char16_t *a, size_t na, const char16_t *b, size_t nb) {
    for (size_t i = 0; i < na && i < nb; ++i)
        if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
    return na == nb ? 0 : (na < nb ? -1 : 1);
}
const qvtext::Collation<char16_t> kColl{FoldN, OrdN};
int Caseless(const char16_t *a, const char16_t *b) { return FoldN(a, qvtext::Length(a), b, qvtext::Length(b)); }
int Cased(const char16_t *a, const char16_t *b) { return OrdN(a, qvtext::Length(a), b, qvtext::Length(b)); }
int Natural(const char16_t *a, const char16_t *b) { return qvtext::CompareNatural(a, b, kColl); }
void Lower(char16_t *t, size_t n) {
    for (size_t i = 0; i < n; ++i) t[i] = Fold(t[i]);
}
int PathOrder(const char16_t *a, const char16_t *b, int natural) {
    return qvtext::CompareForSort(a, b, natural != 0, kColl);
}
const FileListText<char16_t> kText{Natural, Caseless, Cased, Lower, PathOrder, nullptr};

int32_t Loader(const char16_t *name) {
    const char16_t *ext = FileEntry_Extension(name);
    if (ext == nullptr || ext[1] == 0) return 0;
    return Fold(ext[1]) == 'z' ? kFirstArchiveType : 2 + (ext[1] & 3);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    // The block is exactly as large as the input, so a read past it is seen.
    void *block = std::malloc(size ? size : 1);
    if (block == nullptr) return 0;
    if (size) std::memcpy(block, data, size);
    FileListT<char16_t> list;
    list.isArchive = 1;
    list.classify = 1;
    if (FileList_ScanArchiveBlock(&list, block, size, std::free, Loader, kText) != 1) __builtin_trap();
    uint32_t seed = size;
    const uint32_t sortTypes[] = {kSortName, kSortSize | 0x100, kSortExtension | 0x20000, kSortDate | 0x30100,
                                  kSortRandom};
    for (uint32_t sortType : sortTypes) {
        if (!FileList_Sort(1, &list, sortType, true, false, &seed, kText)) __builtin_trap();
        int32_t images = 0;
        for (int32_t i = 0; i < list.files.count; ++i) {
            const FileListEntryT<char16_t> &e = list.files.items[i];
            if (qvtext::Length(e.find.name) >= size_t(kFileNameUnits) || e.find.name[0] == 0) __builtin_trap();
            if (e.folderOrder >= list.archiveFolders.count) __builtin_trap();
            if (e.type != 0 && e.imageOrdinal != images++) __builtin_trap();
        }
        if (images != list.imageCount) __builtin_trap();
    }
    for (int32_t i = 0; i < list.archiveFolders.count; ++i)
        if (qvtext::Length(FileList_GetItemName(i, list)) >= size_t(kArchivePathUnits)) __builtin_trap();
    for (int32_t i = 0; i < list.files.count && i < 64; ++i) {
        const int32_t r = FileList_Navigate(1, i, kNavStep, list, &seed);
        if (r >= list.files.count) __builtin_trap();
        const int32_t q = FileList_Navigate(0, i, kNavRandom, list, &seed);
        if (q >= list.files.count) __builtin_trap();
        int32_t index = -1;
        char16_t full[kArchivePathUnits + kFileNameUnits + 2];
        qvtext::CopyInto(full, sizeof(full) / sizeof(full[0]), FileList_FolderPathOfId(list.files.items[i].folderId, list));
        qvtext::Append<char16_t>(sizeof(full) / sizeof(full[0]), full, list.files.items[i].find.name, true);
        if (FileList_FindArchivePath(full, list, &index) && (index < 0 || index >= list.files.count)) __builtin_trap();
    }
    FileList_Free(&list);
    return 0;
}
