// Archive lists: the members an archive plug-in lists become file entries,
// and their inner folders get ids and, once sorted, an order. The listing is
// outside data: the walk never reads past the block, whatever the plug-in
// wrote into it, and names are cut to leave room for their terminators.
#pragma once

#include "image/qv_FileListCore.h"

// Bytes of a text field up to its first NUL, at most `limit`.
inline size_t FileList_FieldLength(const char *field, size_t limit) {
    size_t n = 0;
    while (n < limit && field[n] != 0) ++n;
    return n;
}

// Converts an ANSI field into out (capacity units with the terminator);
// length, 0 when empty or when it does not fit whole.
template <class Ch>
size_t FileList_FromAnsi(const char *field, size_t bytes, Ch *out, size_t capacity, const FileListText<Ch> &text) {
    out[0] = 0;
    if (bytes == 0 || capacity == 0) return 0;
    if (text.fromAnsi != nullptr) {
        const size_t n = text.fromAnsi(field, bytes, out, capacity);
        if (n >= capacity) {
            out[0] = 0;
            return 0;
        }
        out[n] = 0;
        return n;
    }
    if (bytes >= capacity) return 0;
    for (size_t i = 0; i < bytes; ++i) out[i] = Ch(static_cast<unsigned char>(field[i]));
    out[bytes] = 0;
    return bytes;
}

// Number of whole member records in a listing of `size` bytes.
inline size_t FileList_RecordCapacity(size_t size) { return size / sizeof(SpiFileInfo); }

// Turns one member record into an entry. The record's path and file name
// get a NUL in their last byte first (the list owns the listing).
template <class Ch>
bool FileEntry_FromArchiveMember(SpiFileInfo *record, bool classify, LoaderForName<Ch> loader,
                                 const FileListText<Ch> &text, FileListEntryT<Ch> *out) {
    record->path[sizeof(record->path) - 1] = 0;
    record->fileName[sizeof(record->fileName) - 1] = 0;
    const size_t nameBytes = FileList_FieldLength(record->fileName, sizeof(record->fileName));
    if (nameBytes == 0) return false;
    FileListEntryT<Ch> e{};
    e.find.attributes = kAttrNormal;
    e.find.written.low = record->timestamp;
    e.find.sizeLow = record->size;
    // The long name holds 259 units and its terminator.
    if (FileList_FromAnsi(record->fileName, nameBytes, e.find.name, kFileNameUnits, text) == 0) {
        e.find.name[0] = Ch('?');
        e.find.name[1] = 0;
    }
    e.member = record;
    e.imageOrdinal = -1;
    e.folderOrder = -1;
    if (classify) {
        const int32_t id = loader != nullptr ? loader(e.find.name) : 0;
        e.type = id < 0 || id >= kFirstArchiveType ? kTypeNotListed : id;
    }
    FileEntry_SetHashes(&e, text);
    *out = e;
    return true;
}

// Gives every member the id of its inner folder, making a folder record for
// each new path (1 to 199 units, compared by hash and exact text).
template <class Ch>
bool FileList_AssignArchiveFolders(FileListT<Ch> *list, const FileListText<Ch> &text) {
    GrowArray<ArchiveFolderT<Ch>> &af = list->archiveFolders;
    for (int32_t i = 0; i < list->files.count; ++i) {
        FileListEntryT<Ch> &e = list->files.items[i];
        e.folderId = 0;
        if (e.member == nullptr) continue;
        ArchiveFolderT<Ch> folder{};
        const size_t bytes = FileList_FieldLength(e.member->path, sizeof(e.member->path));
        if (FileList_FromAnsi(e.member->path, bytes, folder.path, kArchivePathUnits, text) == 0) continue;
        folder.hash = FileEntry_NameHash(folder.path, text);
        int32_t found = -1;
        for (int32_t k = 0; k < af.count && found < 0; ++k)
            if (af.items[k].hash == folder.hash && qvtext::CompareOrdinal(af.items[k].path, folder.path) == 0)
                found = k;
        if (found < 0) {
            folder.id = uint32_t(af.count) + 1;
            if (!GrowArray_Append(&af, folder)) return false;
            found = af.count - 1;
        }
        e.folderId = int32_t(af.items[found].id);
    }
    return true;
}

// Fills an archive list from a plug-in's listing. The list takes the block
// (freed with freeBlock when the list is freed or scanned again). The walk
// ends at a record whose method is empty or at the end of the block.
// Returns 1, or 0 when memory runs out.
template <class Ch>
int FileList_ScanArchiveBlock(FileListT<Ch> *list, void *block, size_t size, void (*freeBlock)(void *),
                              LoaderForName<Ch> loader, const FileListText<Ch> &text) {
    FileList_FreeArchiveInfo(list);
    list->archiveInfo = block;
    list->archiveInfoSize = size;
    list->freeArchiveInfo = freeBlock;
    list->imageCount = 0;
    if (!FileList_ResetArrays(list)) return 0;
    if (block == nullptr) return 1;
    SpiFileInfo *records = static_cast<SpiFileInfo *>(block);
    const size_t n = FileList_RecordCapacity(size);
    for (size_t i = 0; i < n; ++i) {
        SpiFileInfo *record = &records[i];
        if (record->method[0] == 0) break;
        FileListEntryT<Ch> e;
        if (!FileEntry_FromArchiveMember(record, list->classify != 0, loader, text, &e)) continue;
        if (!GrowArray_Append(&list->files, e)) return 0;
    }
    if (!FileList_AssignArchiveFolders(list, text)) return 0;
    FileList_NumberImages(list);
    return 1;
}

// Path of the index-th inner folder (in sorted order once sorted); "" when
// out of range.
template <class Ch>
const Ch *FileList_GetItemName(int32_t index, const FileListT<Ch> &list) {
    static const Ch kEmpty[1] = {0};
    if (index < 0 || index >= list.archiveFolders.count) return kEmpty;
    return list.archiveFolders.items[index].path;
}

// Path of the inner folder with this id; "" for the root or an unknown id.
template <class Ch>
const Ch *FileList_FolderPathOfId(int32_t id, const FileListT<Ch> &list) {
    for (int32_t k = 0; k < list.archiveFolders.count; ++k)
        if (list.archiveFolders.items[k].id == uint32_t(id)) return list.archiveFolders.items[k].path;
    return FileList_GetItemName(-1, list);
}

template <class Ch>
const Ch *FileList_SkipSeparators(const Ch *p) {
    while (qvtext::IsSeparator(*p)) ++p;
    return p;
}

// Finds a member by its inner path ('\' and '/' alike, case kept).
template <class Ch>
bool FileList_FindArchivePath(const Ch *wanted, const FileListT<Ch> &list, int32_t *index) {
    if (wanted == nullptr) return false;
    wanted = FileList_SkipSeparators(wanted);
    const size_t wantedLen = qvtext::Length(wanted);
    for (int32_t i = 0; i < list.files.count; ++i) {
        const FileListEntryT<Ch> &e = list.files.items[i];
        if (e.member == nullptr) continue;
        const Ch *name = FileList_SkipSeparators(e.find.name);
        const size_t n = qvtext::Length(name);
        if (n == 0 || n > wantedLen) continue;
        if (qvtext::ComparePaths<Ch>(wanted + (wantedLen - n), name, nullptr) != 1) continue;
        Ch full[kArchivePathUnits + kFileNameUnits + 2];
        qvtext::CopyInto(full, sizeof(full) / sizeof(Ch), FileList_FolderPathOfId(e.folderId, list));
        if (full[0] != 0 && qvtext::Append<Ch>(sizeof(full) / sizeof(Ch), full, name, false) == nullptr) continue;
        if (full[0] == 0) qvtext::CopyInto(full, sizeof(full) / sizeof(Ch), name);
        if (qvtext::ComparePaths<Ch>(FileList_SkipSeparators(full), wanted, nullptr) == 1) {
            *index = i;
            return true;
        }
    }
    return false;
}

// Last-write time of an entry: files on disk as listed; members 1970-01-01
// plus their time stamp in seconds, false when it is 0.
template <class Ch>
bool FileEntry_GetTime(const FileListEntryT<Ch> &e, FileTime32 *out) {
    if (e.member == nullptr) {
        *out = e.find.written;
        return true;
    }
    const uint32_t stamp = e.find.written.low;
    if (stamp == 0) return false;
    const uint64_t t = (uint64_t{stamp} + 11644473600ull) * 10000000ull;
    out->low = uint32_t(t);
    out->high = uint32_t(t >> 32);
    return true;
}
