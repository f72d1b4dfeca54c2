// Configuration values as text: parsing a key's value ("12", "1|0|480|360")
// into the settings through the option table's rules, and formatting it
// back. Portable; the configuration file module does the file access.
#pragma once

#include <cstddef>
#include <cstdint>

#include "other/qv_OptTable.h"

struct Settings;

enum CfgKeyResult {
    kCfgKeyApplied = 0,
    kCfgKeyMissing = 4,     // no value: the option keeps its value
    kCfgKeyNotNumber = 5,   // a value did not parse: the whole key is ignored
    kCfgKeyIncomplete = 7,  // fewer values than the key needs
    kCfgKeyNotStored = 8,   // a text, remembered or outside option: the caller's
};

constexpr int kCfgMaxValues = 4;

// Parses up to `max` decimal values joined by "|" (blanks around a value are
// allowed). Returns the count, or -1 when a value is empty, not a number,
// has trailing characters or does not fit 32 bits (unsigned keys may use
// the whole unsigned range), or when more than `max` values are given.
template <class Ch>
int Cfg_ParseValues(const Ch *text, int32_t *out, int max, bool isUnsigned);

// Applies the value text of the key made of `rows` consecutive table rows.
// text null: the key is missing (rows marked fromDefaults then take the
// value of `defaults`). Never changes an option outside its rule.
template <class Ch>
CfgKeyResult Cfg_ApplyKey(Settings *s, const OptRow *first, size_t rows, const Ch *text, const Settings *defaults);

// Formats the key's current value ("%lu" or "%ld" for one value, "%d" joined
// by "|" for several). Returns the length, 0 for keys that are not numeric
// options of the store. `capacity` of at least 64 always suffices.
template <class Ch>
size_t Cfg_FormatKey(const Settings *s, const OptRow *first, size_t rows, Ch *out, size_t capacity);
