// The rules of the command line, the user part of the settings folder, safe
// file names and the data-folder decision, over the text unit (UTF-16 or
// the ANSI code page). Portable; qv_CmdLine does the system calls.
#pragma once

#include <cstddef>
#include <cstdint>

enum CmdLineParseResult {
    kParseOk = 0,
    kParseEmpty = 1,
    kParseBlanksOnly = 2,
};

// Splits `text` into arguments, each ending with a zero, one after another
// in `out`, which needs Length(text) + 1 units (the output is never longer).
// *argc gets the number of arguments.
template <class Ch>
CmdLineParseResult CmdLine_ParseCore(const Ch *text, Ch *out, int *argc);

// Index of the first argument from 1 on that is "/" + word (exact: nothing
// after the word; else a prefix), compared with case; -1 when none.
template <class Ch>
int CmdLine_FindSwitchT(const Ch *word, const Ch *const *argv, int argc, bool exact);

// Longest user part in units, its terminator excluded.
constexpr size_t kUserPartUnits = 31;
// Units of a long name kept in front of "_" and the CRC digits.
constexpr size_t kUserPartKeep = 22;
// Longest `/user=` value and user name taken into account.
constexpr size_t kUserNameUnits = 256;

// Lower-cases `n` units in place (CharLowerBuff in the program).
template <class Ch>
using LowerInPlace = void (*)(Ch *text, size_t n);

// The user part from a name: blanks and tabs only give the empty text; a
// name of 32 units or more is cut to its first 22 units (never inside a
// character) and gets "_" and the eight upper-case hexadecimal digits of the
// CRC-32 of its lower-cased bytes (up to 256 units); the result is made safe
// as a file name. `out` holds kUserPartUnits + 1 units. Returns its length.
template <class Ch>
size_t CmdLine_MakeUserPart(const Ch *name, LowerInPlace<Ch> lower, Ch *out);

// Makes a single name component safe in place; returns 1 when it changed.
// "." -> "_", ".." -> "__"; control characters and \ / : * ? " < > | -> "_";
// a trailing dot or blank -> "_" (the system would drop it); a reserved
// device name (CON, PRN, AUX, NUL, COM1..9, LPT1..9, also with an
// extension, any case) gets its last letter replaced by "_".
template <class Ch>
int File_SanitizeNameT(Ch *name);

// True when `name` (a component, possibly with an extension) is a reserved
// device name.
template <class Ch>
bool File_IsReservedDeviceName(const Ch *name, size_t length);

// Eight upper-case hexadecimal digits and a zero.
template <class Ch>
void CmdLine_FormatHex8(uint32_t value, Ch *out9);

// CRC-32 of the lower-cased program folder's bytes (no terminator).
template <class Ch>
uint32_t CmdLine_InstanceCrc(const Ch *programDir, LowerInPlace<Ch> lower);

// True when the program folder is the program-files folder or lies inside
// it, component by component with case folded (so "C:\Program Files2" is
// not inside "C:\Program Files").
template <class Ch>
bool CmdLine_UsesAppDataFolder(const Ch *programDir, const Ch *programFilesDir, Ch (*fold)(Ch));

// Copies argv[0]'s spelling over the module path when both name the same
// file and have the same length (a shorter or longer argv[0] would cut the
// path or overrun it). Returns 1 when copied.
template <class Ch>
int CmdLine_TakeArgv0Spelling(Ch *modulePath, const Ch *argv0, Ch (*fold)(Ch));
