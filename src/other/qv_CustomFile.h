// Custom.dat on disk: opening it under the configuration lock, finding a
// chunk, and replacing one chunk safely. The byte layout lives in
// qv_CustomCore.
#pragma once

#include <windows.h>

#include <cstdint>

#include "other/qv_CfgLock.h"
#include "util/qv_FileStream.h"

struct CustomFile {
    CfgLock lock;
    FileStream stream;
};

// Sets the stream path to the user folder + Custom.dat. 0 ok; 1 no stream, 2
// no user folder, 3 no memory.
int CustomFile_SetPath(FileStream *stream);
// 0 ok; 1 already open, 3 no path, 4 lock refused, 5 folders not created,
// 6 open for writing failed, 7 open for reading failed. The lock is released
// again on every failure after it was taken.
int CustomFile_Open(CustomFile *file, int forWriting);
// Reads a memory block as the file (no lock). 0 ok; 1 already open, 8 no data
// or size 0, 9/7 the memory stream was refused.
int CustomFile_OpenMemory(const void *data, CustomFile *file, uint32_t size);
// Closes the stream and releases the lock once; 1 when not open.
int CustomFile_CloseFile(CustomFile *file);
// Releases the stream and all lock holds.
void CustomFile_Close(CustomFile *file);
// Finds chunk `tag`: 0 found (stream behind the tag, *outLength = L); 5 bad
// signature; 6 not found; 7 length above the limit; 8 chunk runs past the end.
int CustomFile_FindChunk(CustomFile *file, uint32_t *outLength, const char tag[4]);
// Reads the whole data of chunk `tag` (at most `capacity` bytes) into data.
// file null: opens Custom.dat for reading under the lock itself. 0 ok; 255
// open failed; 254 no chunk; 1 bigger than capacity; 3 read failed.
int CustomFile_ReadChunk(CustomFile *file, const char tag[4], uint8_t *data, uint32_t capacity, uint32_t *length);
// Replaces chunk `tag` by `length` bytes of chunk data, keeping every other
// chunk byte for byte; the old file stays until the new one is on disk.
// 0 ok, else the failing step, which the user has already been told about.
int CustomFile_WriteChunk(const char tag[4], const uint8_t *data, uint32_t length);

// The file a chunk reader works on: the caller's open file, or, when none is
// given, Custom.dat opened for reading here (under the lock) and closed when
// the reader's scope ends.
class CustomFileReading {
public:
    explicit CustomFileReading(CustomFile *given);
    ~CustomFileReading();
    CustomFileReading(const CustomFileReading &) = delete;
    CustomFileReading &operator=(const CustomFileReading &) = delete;
    // Null when Custom.dat had to be opened and could not be.
    CustomFile *file() const { return file_; }

private:
    CustomFile own_;
    CustomFile *file_ = nullptr;
};
