#include "image/qv_FileList.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>

#include "image/qv_FileListStage.h"
#include "image/qv_Format.h"
#include "util/qv_FolderRead.h"
#include "util/qv_HandleGuard.h"
#include "util/qv_Path.h"
#include "util/qv_Str.h"
#include "util/qv_TaskThreads.h"
#include "util/qv_Text.h"

FileListArchiveLister g_fileListArchiveLister = nullptr;

namespace {

int Caseless(const TCHAR *a, const TCHAR *b) { return lstrcmpi(a, b); }
int Cased(const TCHAR *a, const TCHAR *b) { return lstrcmp(a, b); }
// Most names are plain ASCII, folded here without a call into the system;
// a name with any other unit (for the ANSI build: any byte of a double-byte
// character) goes to CharLowerBuff, so hashes stay the system's.
void Lower(TCHAR *text, size_t units) {
    for (size_t i = 0; i < units; ++i)
        if (static_cast<std::make_unsigned_t<TCHAR>>(text[i]) >= 0x80) {
            CharLowerBuff(text, DWORD(units));
            return;
        }
    for (size_t i = 0; i < units; ++i)
        if (text[i] >= TEXT('A') && text[i] <= TEXT('Z')) text[i] = TCHAR(text[i] + (TEXT('a') - TEXT('A')));
}

#if !defined(QV_ANSI)
size_t FromAnsi(const char *text, size_t bytes, TCHAR *out, size_t capacity) {
    if (capacity < 2) return 0;
    const int n = MultiByteToWideChar(CP_ACP, 0, text, int(bytes), out, int(capacity - 1));
    return n > 0 ? size_t(n) : 0;
}
#endif


const FileListText<TCHAR> kSystemText{
    Str_CompareNatural, Caseless, Cased, Lower, Path_CompareForSort,
#if defined(QV_ANSI)
    nullptr,  // member names stay exactly as the plug-in gives them
#else
    FromAnsi,
#endif
    // The exact sort of a large list asks the system's compare about once
    // per entry; parts of the list are checked on the task threads.
    Tasks_SystemRunner(),
};

// Classification asks the format registry, whose answer depends only on the
// extension (with the plug-in priority and the registry fixed for a scan);
// a folder holds few extensions, so the answers of a scan are kept by
// extension text. The priority and the answers of the scan in progress live
// here (one thread).
bool s_spiPrior = false;

struct ExtensionIds {
    static constexpr int kSlots = 8;
    static constexpr size_t kUnits = 16;  // longer extensions are not kept
    TCHAR text[kSlots][kUnits];
    int32_t id[kSlots];
    int used = 0;
    int next = 0;  // slot replaced when all are used
};
ExtensionIds s_extensionIds;

void LoaderFor_Reset() { s_extensionIds.used = s_extensionIds.next = 0; }

int32_t LoaderFor(const TCHAR *name) {
    const TCHAR *afterRoot = nullptr, *folder = nullptr, *file = nullptr, *extension = nullptr;
    ExtensionIds &ids = s_extensionIds;
    size_t units = ExtensionIds::kUnits;
    if (Path_Split(name, &afterRoot, &folder, &file, &extension)) {
        if (extension == nullptr) extension = TEXT("");
        units = qvtext::Length(extension);
        if (units < ExtensionIds::kUnits)
            for (int k = 0; k < ids.used; ++k)
                if (qvtext::CompareOrdinal(ids.text[k], extension) == 0) return ids.id[k];
    }
    int32_t id = Format_IdFromPath(name, s_spiPrior);
    if (id < 0) id = 0;
    if (units < ExtensionIds::kUnits) {
        const int slot = ids.used < ExtensionIds::kSlots ? ids.used++ : ids.next++ % ExtensionIds::kSlots;
        qvtext::CopyInto(ids.text[slot], ExtensionIds::kUnits, extension);
        ids.id[slot] = id;
    }
    return id;
}

FileTime32 Time32(const FILETIME &t) { return FileTime32{t.dwLowDateTime, t.dwHighDateTime}; }

// Names longer than an entry holds are cut; the system never gives one.
void CopyName(const TCHAR *name, size_t units, TCHAR *out, size_t capacity) {
    if (units >= capacity) units = capacity - 1;
    std::memcpy(out, name, units * sizeof(TCHAR));
    out[units] = 0;
}

void EntryFromItem(const FolderItem &item, FileListEntry *e) {
    e->folderId = 0;
    e->type = kTypeNotListed;
    e->imageOrdinal = -1;
    e->folderOrder = -1;
    e->shuffleKey = 0;
    e->member = nullptr;
    e->find.attributes = item.attributes;
    e->find.created = Time32(item.created);
    e->find.accessed = Time32(item.accessed);
    e->find.written = Time32(item.written);
    e->find.sizeHigh = item.sizeHigh;
    e->find.sizeLow = item.sizeLow;
    CopyName(item.name, item.nameUnits, e->find.name, kFileNameUnits);
    CopyName(item.shortName, item.shortUnits, e->find.shortName, kShortNameUnits);
    FileEntry_SetHashes(e, kSystemText);
}

void Classify(const FileList &list, const FileListSettings &settings, FileListEntry *e) {
    if (list.classify) e->type = FileEntry_Classify(e->find, settings.filter, LoaderFor);
}

bool IsDotItem(const FolderItem &item) {
    return item.name[0] == TEXT('.') && (item.nameUnits == 1 || (item.nameUnits == 2 && item.name[1] == TEXT('.')));
}

// Enumerates the folder; an entry that cannot be stored ends the listing
// with what was read.
int EnumerateFolder(FileList *list, const FileListSettings &settings) {
    if (qvtext::Length(list->folder) + 3 > size_t(kPathChars + 3)) return 0;
    // Entries are staged compactly and placed once the folder is read; while
    // the system reads ahead, the block for the files is made ready.
    FileStageT<TCHAR> stage;
    struct Ahead {
        FileStageT<TCHAR> *stage;
        FileList *list;
        static bool Touch(void *context) {
            const Ahead &a = *static_cast<const Ahead *>(context);
            return FileStage_TouchAhead(a.stage, &a.list->files, size_t(1) << 20);
        }
    } ahead{&stage, list};
    FolderReader reader;
    reader.idle = Ahead::Touch;
    reader.idleContext = &ahead;
    if (!FolderRead_Open(&reader, list->folder)) return 0;
    FileListEntry entry;
    FolderItem item;
    while (FolderRead_Next(&reader, &item)) {
        // "." and ".." may come anywhere in the enumeration.
        if (item.nameUnits == 0 || IsDotItem(item)) continue;
        EntryFromItem(item, &entry);
        Classify(*list, settings, &entry);
        if (!FileStage_Add(&stage, entry, FileEntry_GoesToFolders(entry, list->classify != 0))) break;
    }
    FileList_PlaceStaged(list, stage, Tasks_SystemRunner());
    return 1;
}

FileList *s_current = nullptr;

}  // namespace

const FileListText<TCHAR> &FileList_SystemText() { return kSystemText; }

int FileList_SetPath(FileList *list, const TCHAR *path, int allowArchive, int classify) {
    if (list == nullptr || list->pathSet || path == nullptr || path[0] == 0) return 0;
    const size_t n = qvtext::Length(path);
    if (n >= size_t(kPathChars) + 1) return 0;
    // Room for a '\' after a bare drive, the terminator, and for an archive
    // the containing folder after it.
    TCHAR *copy = static_cast<TCHAR *>(std::calloc(2 * (n + 2), sizeof(TCHAR)));
    if (copy == nullptr) return 0;
    std::memcpy(copy, path, n * sizeof(TCHAR));
    if (copy[n - 1] == TEXT(':')) {
        copy[n] = TEXT('\\');
    } else {
        Path_RemoveTrailingSep(copy);
    }
    const DWORD attributes = GetFileAttributes(copy);
    // An unreadable path counts as a folder (its listing then fails).
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        list->isArchive = 0;
        list->folder = copy;
    } else {
        const TCHAR *afterRoot = nullptr, *lastFolder = nullptr, *name = nullptr, *ext = nullptr;
        if (!allowArchive || !Path_Split(copy, &afterRoot, &lastFolder, &name, &ext) || name == nullptr ||
            name == copy) {
            std::free(copy);
            return 0;
        }
        const size_t len = qvtext::Length(copy);
        TCHAR *folder = copy + len + 1;
        const size_t folderLen = size_t(name - copy);
        std::memcpy(folder, copy, folderLen * sizeof(TCHAR));
        folder[folderLen] = 0;
        Path_RemoveTrailingSep(folder);
        list->isArchive = 1;
        list->folder = folder;
    }
    std::free(list->path);
    list->path = copy;
    const TCHAR *afterRoot = nullptr, *lastFolder = nullptr, *name = nullptr, *ext = nullptr;
    list->name = Path_Split(copy, &afterRoot, &lastFolder, &name, &ext) && name != nullptr ? name : copy + qvtext::Length(copy);
    list->classify = classify ? 1 : 0;
    list->pathSet = 1;
    return 1;
}

int FileEntry_FromPath(const FileList &list, const TCHAR *name, FileListEntry *out) {
    TCHAR full[kPathChars + 2];
    qvtext::CopyInto(full, kPathChars + 2, list.folder);
    if (Path_Append(kPathChars, full, name, 0) == nullptr) return 0;
    const DWORD attributes = GetFileAttributes(full);
    if (attributes == INVALID_FILE_ATTRIBUTES) return 0;
    HandleGuard file(CreateFile(full, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file.Valid()) return 0;
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(file.h, &info)) return 0;
    FolderItem item;
    item.attributes = attributes;
    item.created = info.ftCreationTime;
    item.accessed = info.ftLastAccessTime;
    item.written = info.ftLastWriteTime;
    item.sizeHigh = info.nFileSizeHigh;
    item.sizeLow = info.nFileSizeLow;
    item.name = name;
    item.nameUnits = qvtext::Length(name);
    item.shortName = TEXT("");
    EntryFromItem(item, out);
    return 1;
}

int FileList_SortWith(int which, FileList *list, const FileListSettings &settings, uint32_t *seed) {
    return FileList_Sort(which, list, settings.sortType, settings.systemAbove50, settings.naturalOption, seed,
                         kSystemText)
               ? 1
               : 0;
}

int FileList_Scan(FileList *list, const FileListSettings &settings, const TCHAR *name, uint32_t *seed) {
    if (list == nullptr || !list->pathSet) return 0;
    list->imageCount = 0;
    list->namedOnly = 0;
    list->stampValid = 0;
    if (!FileList_ResetArrays(list)) return 0;
    s_spiPrior = settings.spiPrior;
    LoaderFor_Reset();
    int result = 1;
    if (list->isArchive) {
        if (g_fileListArchiveLister == nullptr || !g_fileListArchiveLister(list, settings)) return 0;
        FileList_ReadArchiveStamp(list);
    } else {
        FileList_FreeArchiveInfo(list);
        FileListEntry entry;
        if (name != nullptr && name[0] != 0 && !FileEntry_IsDotName(name) &&
            qvtext::Length(name) < size_t(kFileNameUnits) && FileEntry_FromPath(*list, name, &entry)) {
            Classify(*list, settings, &entry);
            if (!FileList_Place(list, entry)) return 0;
            list->namedOnly = 1;
            result = 2;
        } else if (!EnumerateFolder(list, settings)) {
            return 0;
        }
    }
    if (settings.sortType != 0) {
        if (!FileList_SortWith(0, list, settings, seed) || !FileList_SortWith(1, list, settings, seed)) return 0;
    } else {
        FileList_NumberImages(list);
    }
    return result;
}

int FileList_Find(const FileList &list, int which, const TCHAR *name, int32_t *index) {
    if (index == nullptr) return 0;
    if (which != 0 && list.isArchive) return FileList_FindArchivePath(name, list, index) ? 1 : 0;
    return FileList_FindByName(list, which, name, index, kSystemText) ? 1 : 0;
}

int FileList_RemoveEntryByName(FileList *list, const TCHAR *name) {
    return list != nullptr && FileList_RemoveEntry(list, name, kSystemText) ? 1 : 0;
}

namespace {

bool ReadStamp(const TCHAR *path, uint32_t *sizeLow, uint32_t *sizeHigh, FileTime32 *created, FileTime32 *written) {
    HandleGuard file(CreateFile(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file.Valid()) return false;
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(file.h, &info)) return false;
    *sizeLow = info.nFileSizeLow;
    *sizeHigh = info.nFileSizeHigh;
    *created = Time32(info.ftCreationTime);
    *written = Time32(info.ftLastWriteTime);
    return true;
}

}  // namespace

int FileList_ReadArchiveStamp(FileList *list) {
    list->stampValid = ReadStamp(list->path, &list->archiveSizeLow, &list->archiveSizeHigh, &list->archiveCreated,
                                 &list->archiveWritten)
                           ? 1
                           : 0;
    return list->stampValid;
}

int FileList_ArchiveChanged(const FileList &list) {
    if (!list.isArchive) return -1;
    if (!list.stampValid) return 0;
    uint32_t low, high;
    FileTime32 created, written;
    if (!ReadStamp(list.path, &low, &high, &created, &written)) return -1;
    const bool same = low == list.archiveSizeLow && high == list.archiveSizeHigh &&
                      FileTime_Value(created) == FileTime_Value(list.archiveCreated) &&
                      FileTime_Value(written) == FileTime_Value(list.archiveWritten);
    return same ? 0 : 1;
}

FileList *FileList_Current() { return s_current; }

int FileList_MakeCurrent(int namedOnly, const TCHAR *path, const TCHAR *name, const FileListSettings &settings,
                         uint32_t *seed) {
    FileList *fresh = new (std::nothrow) FileList();
    if (fresh == nullptr) return 0;
    int result = 0;
    if (FileList_SetPath(fresh, path, 1, 1)) result = FileList_Scan(fresh, settings, namedOnly ? name : nullptr, seed);
    if (result == 0) {
        FileList_Free(fresh);
        delete fresh;
        return 0;
    }
    if ((settings.sortType & 0xFF) == kSortRandom && name != nullptr)
        FileList_MoveCurrentFirst(name, fresh, true, seed, kSystemText);
    FileList_FreeCurrent();
    s_current = fresh;
    return result;
}

void FileList_FreeCurrent() {
    if (s_current == nullptr) return;
    FileList_Free(s_current);
    delete s_current;
    s_current = nullptr;
}
