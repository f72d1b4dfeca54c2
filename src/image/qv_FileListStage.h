// Entries of a folder listing in progress, held compactly: the fixed fields
// and the two names at their own length, about a tenth of an entry. The
// large entries are then written once, into arrays grown at once to their
// final size, instead of being copied at every doubling of an array that
// holds a hundred thousand of them.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "image/qv_FileListCore.h"

template <class Ch>
struct FileStageT {
    uint8_t *bytes = nullptr;
    size_t used = 0;
    size_t capacity = 0;
    int32_t count = 0;
    int32_t toFolders = 0;

    FileStageT() = default;
    FileStageT(const FileStageT &) = delete;
    FileStageT &operator=(const FileStageT &) = delete;
    ~FileStageT() { std::free(bytes); }
};

// One staged entry: the entry's fields before the names, where it goes, the
// name lengths, then the units of both names (no terminators), padded to 8.
template <class Ch>
constexpr size_t FileStage_HeadBytes() {
    return offsetof(FileListEntryT<Ch>, find.name);
}

struct FileStageSizes {
    uint16_t nameUnits;
    uint16_t shortUnits;
    uint32_t toFolders;
};

template <class Ch>
size_t FileStage_RecordBytes(size_t nameUnits, size_t shortUnits) {
    const size_t raw = FileStage_HeadBytes<Ch>() + sizeof(FileStageSizes) + (nameUnits + shortUnits) * sizeof(Ch);
    return (raw + 7) & ~size_t(7);
}

// Stages a copy of the entry; false (nothing staged) when memory runs out.
template <class Ch>
bool FileStage_Add(FileStageT<Ch> *stage, const FileListEntryT<Ch> &e, bool toFolders) {
    static_assert((FileStage_HeadBytes<Ch>() + sizeof(FileStageSizes)) % alignof(Ch) == 0, "names stay aligned");
    const size_t nameUnits = std::min(qvtext::Length(e.find.name), size_t(kFileNameUnits) - 1);
    const size_t shortUnits = std::min(qvtext::Length(e.find.shortName), size_t(kShortNameUnits) - 1);
    const size_t bytes = FileStage_RecordBytes<Ch>(nameUnits, shortUnits);
    if (stage->count == INT32_MAX) return false;
    if (stage->used + bytes > stage->capacity) {
        const size_t want = stage->capacity > 0 ? 2 * stage->capacity : 64 * 1024;
        if (want < stage->capacity || want < stage->used + bytes) return false;
        uint8_t *grown = static_cast<uint8_t *>(std::realloc(stage->bytes, want));
        if (grown == nullptr) return false;
        stage->bytes = grown;
        stage->capacity = want;
    }
    uint8_t *p = stage->bytes + stage->used;
    std::memcpy(p, &e, FileStage_HeadBytes<Ch>());
    p += FileStage_HeadBytes<Ch>();
    const FileStageSizes sizes{uint16_t(nameUnits), uint16_t(shortUnits), toFolders ? 1u : 0u};
    std::memcpy(p, &sizes, sizeof sizes);
    p += sizeof sizes;
    std::memcpy(p, e.find.name, nameUnits * sizeof(Ch));
    p += nameUnits * sizeof(Ch);
    std::memcpy(p, e.find.shortName, shortUnits * sizeof(Ch));
    stage->used += bytes;
    ++stage->count;
    stage->toFolders += toFolders ? 1 : 0;
    return true;
}

// Walks the staged entries in order: visit(sizes, head, name units, short
// units) for each; false from visit stops the walk (false returned).
template <class Ch, class Visit>
bool FileStage_Walk(const FileStageT<Ch> &stage, Visit visit) {
    size_t at = 0;
    for (int32_t i = 0; i < stage.count; ++i) {
        const uint8_t *p = stage.bytes + at;
        FileStageSizes sizes;
        std::memcpy(&sizes, p + FileStage_HeadBytes<Ch>(), sizeof sizes);
        const Ch *units = reinterpret_cast<const Ch *>(p + FileStage_HeadBytes<Ch>() + sizeof sizes);
        if (!visit(sizes, p, units, units + sizes.nameUnits)) return false;
        at += FileStage_RecordBytes<Ch>(sizes.nameUnits, sizes.shortUnits);
    }
    return true;
}

// Writes a staged entry into an entry (every field; the name arrays up to
// their terminators).
template <class Ch>
void FileStage_Expand(const FileStageSizes &sizes, const uint8_t *head, const Ch *name, const Ch *shortName,
                      FileListEntryT<Ch> *out) {
    std::memcpy(static_cast<void *>(out), head, FileStage_HeadBytes<Ch>());
    std::memcpy(out->find.name, name, sizes.nameUnits * sizeof(Ch));
    out->find.name[sizes.nameUnits] = 0;
    std::memcpy(out->find.shortName, shortName, sizes.shortUnits * sizeof(Ch));
    out->find.shortName[sizes.shortUnits] = 0;
}

// Places the staged entries into the list's arrays in staging order, as
// FileList_Place one by one would. When the arrays cannot be grown at once
// the entries are appended one by one and the first append that fails ends
// the placing (what was placed stays); false then.
template <class Ch>
bool FileList_PlaceStaged(FileListT<Ch> *list, const FileStageT<Ch> &stage) {
    GrowArray<FileListEntryT<Ch>> *folders = &list->folders, *files = &list->files;
    if (GrowArray_Reserve(folders, int64_t(folders->count) + stage.toFolders) &&
        GrowArray_Reserve(files, int64_t(files->count) + (stage.count - stage.toFolders))) {
        FileStage_Walk(stage, [&](const FileStageSizes &sizes, const uint8_t *head, const Ch *name, const Ch *shortName) {
            GrowArray<FileListEntryT<Ch>> *to = sizes.toFolders ? folders : files;
            FileStage_Expand(sizes, head, name, shortName, &to->items[to->count++]);
            return true;
        });
        return true;
    }
    return FileStage_Walk(stage, [&](const FileStageSizes &sizes, const uint8_t *head, const Ch *name, const Ch *shortName) {
        FileListEntryT<Ch> e{};
        FileStage_Expand(sizes, head, name, shortName, &e);
        return GrowArray_Append(sizes.toFolders ? folders : files, e);
    });
}
