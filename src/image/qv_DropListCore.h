// The rules of the pending list of files to open, kept free of Win32 so they
// are tested natively: which handed-over arguments are taken and how they
// are copied, and the bounded reading of a dropped-file block. Both inputs
// come from outside the program (another process, the shell), so every read
// stays inside the bytes they come with. Over the text unit (UTF-16 or the
// ANSI code page).
#pragma once

#include <cstddef>
#include <cstdint>

// ---------------------------------------------------------------- arguments

// What DropArgs_Measure found: how many arguments after the program path fit
// in the bytes available, and the text units the copies need (every item
// with its terminator, and one more for the closing empty item).
struct DropArgsPlan {
    int32_t taken;     // arguments from argv[1] on that fit
    int32_t files;     // of those, neither empty nor a switch
    uint64_t units;    // names block size in units
};

// Measures argv[1..argc-1]. The arguments lie one after another from argv[0]
// in a block of `bytesAvailable` bytes, the program path first; each is
// measured only as far as the bytes not yet used, and the first that does
// not end in them ends the list. `dir` is the sender's current folder (may
// be null or empty): a relative argument gets room for being resolved
// against it. Returns 0 when nothing is to be taken (no arguments, fewer
// than 3 bytes, count below 2, or no argument is a file), else 1.
template <class Ch>
int DropArgs_Measure(const Ch *const *argv, int32_t argc, uint64_t bytesAvailable, const Ch *dir,
                     DropArgsPlan *plan);

// Copies the planned arguments into `names` (plan.units units) and points
// items[0..taken] at them; items[taken] is the closing empty item. A switch
// (an argument that starts with '/') becomes an empty item; a relative path
// is resolved against `dir` when that gives a result, else copied as it is.
// Returns the number of units used.
template <class Ch>
uint64_t DropArgs_Copy(const Ch *const *argv, const DropArgsPlan &plan, const Ch *dir, Ch *names, Ch **items);

// ---------------------------------------------------------------- drop block

// The fixed head of a dropped-file block (DROPFILES): u32 offset of the
// names, i32 x, i32 y, i32 non-client flag, i32 wide flag.
constexpr size_t kDropHeadBytes = 20;

struct DropBlockInfo {
    uint32_t namesOffset;
    int32_t x, y;
    int32_t nonClient;
    int32_t wide;         // names are UTF-16 (else bytes of the code page)
    int32_t count;        // names before the closing empty one
    uint64_t nameUnits;   // all names with their terminators, the closing one excluded
};

// Checks a dropped-file block of `size` bytes: the head fits, the names
// start behind it, and every name and the closing empty name end inside the
// block. Returns 1 with `info` filled, else 0 (the block is not to be read).
int DropBlock_Scan(const uint8_t *block, size_t size, DropBlockInfo *info);
