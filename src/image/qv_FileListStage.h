// Entries of a folder listing in progress, held compactly: the fixed fields
// and the two names at their own length, about a tenth of an entry. The
// large entries are then written once, into arrays grown at once to their
// final size, instead of being copied at every doubling of an array that
// holds a hundred thousand of them. Every so many entries the stage marks
// where a run of records starts, so that the runs can be written out on
// several threads (writing tens of megabytes of fresh memory is slow on one).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "image/qv_FileListCore.h"
#include "util/qv_Tasks.h"

// Where a run of staged records starts: its byte offset, the index of its
// first entry and how many entries before it go to the folders.
struct FileStageMark {
    size_t offset;
    int32_t index;
    int32_t foldersBefore;
};

template <class Ch>
struct FileStageT {
    uint8_t *bytes = nullptr;
    size_t used = 0;
    size_t capacity = 0;
    int32_t count = 0;
    int32_t toFolders = 0;
    int32_t run = 4096;  // entries between marks
    FileStageMark *marks = nullptr;
    size_t markCount = 0;
    size_t markCapacity = 0;
    bool marksLost = false;  // a mark could not be stored: place on one thread
    // A zeroed block for the files array, its pages written to while the
    // listing waited for the system (see FileStage_TouchAhead).
    FileListEntryT<Ch> *ready = nullptr;
    int64_t readyCapacity = 0;
    size_t readyTouched = 0;  // bytes from the start already written to

    FileStageT() = default;
    FileStageT(const FileStageT &) = delete;
    FileStageT &operator=(const FileStageT &) = delete;
    ~FileStageT() {
        std::free(bytes);
        std::free(marks);
        std::free(ready);
    }
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
    if (stage->run > 0 && stage->count % stage->run == 0 && !stage->marksLost) {
        if (stage->markCount == stage->markCapacity) {
            const size_t want = stage->markCapacity > 0 ? 2 * stage->markCapacity : 64;
            auto *grown = static_cast<FileStageMark *>(std::realloc(stage->marks, want * sizeof(FileStageMark)));
            if (grown != nullptr) {
                stage->marks = grown;
                stage->markCapacity = want;
            }
        }
        if (stage->markCount < stage->markCapacity) {
            stage->marks[stage->markCount++] = FileStageMark{stage->used, stage->count, stage->toFolders};
        } else {
            stage->marksLost = true;
        }
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
bool FileStage_WalkRange(const FileStageT<Ch> &stage, size_t at, int32_t first, int32_t end, Visit visit) {
    for (int32_t i = first; i < end; ++i) {
        const uint8_t *p = stage.bytes + at;
        FileStageSizes sizes;
        std::memcpy(&sizes, p + FileStage_HeadBytes<Ch>(), sizeof sizes);
        const Ch *units = reinterpret_cast<const Ch *>(p + FileStage_HeadBytes<Ch>() + sizeof sizes);
        if (!visit(sizes, p, units, units + sizes.nameUnits)) return false;
        at += FileStage_RecordBytes<Ch>(sizes.nameUnits, sizes.shortUnits);
    }
    return true;
}

template <class Ch, class Visit>
bool FileStage_Walk(const FileStageT<Ch> &stage, Visit visit) {
    return FileStage_WalkRange(stage, 0, 0, stage.count, visit);
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

// Work for the time a listing waits for the system: the first write to each
// page of a fresh block costs the system far more than the copy into it, so
// the block the staged files will be placed in is made, and up to `bytes`
// more of it written to, ahead of the placing. The block has the capacity
// placing would give the files array for the files staged so far and is
// made anew when they outgrow it. Only for a files array still empty. False
// when there is nothing to do (or memory is short).
template <class Ch>
bool FileStage_TouchAhead(FileStageT<Ch> *stage, GrowArray<FileListEntryT<Ch>> *files, size_t bytes) {
    constexpr size_t kPage = 4096;
    if (files->count != 0) return false;
    const int64_t staged = int64_t(stage->count) - stage->toFolders;
    const int64_t capacity = GrowArray_CapacityFor(files, staged > 0 ? staged : 1);
    if (capacity == 0 || capacity <= files->capacity) return false;
    if (stage->ready == nullptr || stage->readyCapacity < capacity) {
        std::free(stage->ready);
        stage->ready = static_cast<FileListEntryT<Ch> *>(std::calloc(size_t(capacity), sizeof(FileListEntryT<Ch>)));
        stage->readyCapacity = stage->ready != nullptr ? capacity : 0;
        stage->readyTouched = 0;
        if (stage->ready == nullptr) return false;
    }
    const size_t needed = size_t(staged) * sizeof(FileListEntryT<Ch>);
    if (stage->readyTouched >= needed) return false;
    const size_t end = std::min(needed, stage->readyTouched + bytes);
    volatile uint8_t *block = reinterpret_cast<volatile uint8_t *>(stage->ready);
    for (size_t at = stage->readyTouched; at < end; at += kPage) block[at] = 0;  // zero stays zero
    stage->readyTouched = end;
    return true;
}

// Writes the runs of records task, task + tasks, ... into arrays reserved
// for all of them, each entry at the index placing in order gives it.
template <class Ch>
struct FileStagePlacing {
    const FileStageT<Ch> *stage;
    FileListEntryT<Ch> *folders;  // first free slot of each array
    FileListEntryT<Ch> *files;
    size_t tasks;

    static void Run(void *context, size_t task) {
        const FileStagePlacing &p = *static_cast<const FileStagePlacing *>(context);
        const FileStageT<Ch> &stage = *p.stage;
        for (size_t m = task; m < stage.markCount; m += p.tasks) {
            const FileStageMark &mark = stage.marks[m];
            const int32_t end = m + 1 < stage.markCount ? stage.marks[m + 1].index : stage.count;
            FileListEntryT<Ch> *folder = p.folders + mark.foldersBefore;
            FileListEntryT<Ch> *file = p.files + (mark.index - mark.foldersBefore);
            FileStage_WalkRange(stage, mark.offset, mark.index, end,
                                [&](const FileStageSizes &sizes, const uint8_t *head, const Ch *name,
                                    const Ch *shortName) {
                                    FileStage_Expand(sizes, head, name, shortName,
                                                     sizes.toFolders ? folder++ : file++);
                                    return true;
                                });
        }
    }
};

// Places the staged entries into the list's arrays in staging order, as
// FileList_Place one by one would, with the runs spread over the runner's
// threads when there are several. When the arrays cannot be grown at once
// the entries are appended one by one and the first append that fails ends
// the placing (what was placed stays); false then.
template <class Ch>
bool FileList_PlaceStaged(FileListT<Ch> *list, FileStageT<Ch> &stage, const TaskRunner *runner = nullptr) {
    GrowArray<FileListEntryT<Ch>> *folders = &list->folders, *files = &list->files;
    // The block made ahead is taken when it has the capacity placing needs.
    if (stage.ready != nullptr && files->count == 0 &&
        GrowArray_CapacityFor(files, stage.count - stage.toFolders) == stage.readyCapacity &&
        stage.readyCapacity > files->capacity) {
        std::free(files->items);
        files->items = stage.ready;
        files->capacity = int32_t(stage.readyCapacity);
        stage.ready = nullptr;
    }
    if (GrowArray_Reserve(folders, int64_t(folders->count) + stage.toFolders) &&
        GrowArray_Reserve(files, int64_t(files->count) + (stage.count - stage.toFolders))) {
        if (runner != nullptr && runner->threads > 1 && stage.markCount > 1 && !stage.marksLost) {
            const size_t tasks = std::min<size_t>(runner->threads, stage.markCount);
            FileStagePlacing<Ch> placing{&stage, folders->items + folders->count, files->items + files->count, tasks};
            runner->run(tasks, &FileStagePlacing<Ch>::Run, &placing);
            folders->count += stage.toFolders;
            files->count += stage.count - stage.toFolders;
            return true;
        }
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
