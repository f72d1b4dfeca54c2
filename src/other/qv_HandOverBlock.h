// The hand-over block that a later start writes and the registered instance
// reads: shared memory between two processes, so the reader trusts nothing
// in it. Layout (bytes, little-endian):
//   0        4      receiver frame window handle, 32 bits (sign-extended back)
//   4        u x n  sender's current directory with its zero, n <= 261
//   4+u*n    4      argument count (not aligned)
//   8+u*n    rest   arguments, each with its zero; the first is the program
//                   path, or empty when the list was cut
// u is the text unit: 2 in Quivelta (4096-byte block), 1 in Quivelta98
// (2048-byte block). Portable.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr size_t kHandOverBytesW = 4096;
constexpr size_t kHandOverBytesA = 2048;
constexpr size_t kHandOverDirUnits = 261;  // directory with its zero
// Zeros behind the reader's copy so that every text in it ends.
constexpr size_t kHandOverCopySlack = 16;

template <class Ch>
constexpr size_t HandOver_BlockBytes() {
    return sizeof(Ch) == 1 ? kHandOverBytesA : kHandOverBytesW;
}

// Receiver with 0, empty directory, count 0.
void HandOver_InitBlock(uint8_t *block, size_t size);

// Window handles are 32-bit values even in 64-bit processes; the stored
// value is sign-extended back into a handle.
void HandOver_StoreReceiver(uint8_t *block, uint64_t handle);
uint64_t HandOver_LoadReceiver(const uint8_t *block);

// Writes the directory and the arguments. `argBuffer` holds the argc
// arguments one after another (`argBufferBytes` long). Returns 1 written, 0
// nothing usable (no arguments).
template <class Ch>
int HandOver_Write(uint8_t *block, size_t blockSize, const Ch *dir, const Ch *argBuffer, size_t argBufferBytes,
                   const Ch *const *argv, int argc);

// Resets the directory and count after the receiver took its copy.
void HandOver_ResetCommandLine(uint8_t *block, size_t blockSize, size_t unitBytes);

template <class Ch>
struct HandOverView {
    const Ch *dir;       // inside the copy
    int32_t count;       // the count as stored
    int found;           // arguments actually found (at most count and maxArgs)
};

// Reads a copy of `size` bytes. Every read is bounded by `size`, whatever
// the stored count says; `args` (maxArgs pointers) receives the arguments
// found. Returns 0 when directory and count do not fit the copy, else 1.
template <class Ch>
int HandOver_Read(const uint8_t *copy, size_t size, HandOverView<Ch> *view, const Ch **args, int maxArgs);
