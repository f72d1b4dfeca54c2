// What a file's first bytes say it is, and the BMP checks that go with it.
#pragma once

#include <cstdint>

// Bytes that sniffing looks at; shorter files are zero-padded.
constexpr uint32_t kSniffBytes = 128;

enum SniffResult { kSniffNone = 0, kSniffBmp = 1, kSniffJpeg = 2, kSniffPng = 3, kSniffGif = 4 };

// head: kSniffBytes bytes (zero-padded).
int Format_SniffBytes(const uint8_t *head);
// Loader id for a sniff result (2 BMP, 3 JPEG, 4 PNG, 5 GIF; 0 none).
int32_t Format_LoaderIdForSniff(int sniff);

// The info header at offset 14 of the file head: size 40..124 with width > 0,
// height not 0 and a legal depth/compression; size 12 with both sides not 0
// and depth 1, 4, 8 or 24.
bool Bmp_IsValidFileHeader(const uint8_t *head);

// Whether a 16/32-bit picture with these masks (null: none) is converted to
// 24 bits on load. loadBf24: the option to convert every masked picture.
bool Bmp_MasksNeed24Bit(const uint32_t *masks, int32_t depth, bool loadBf24, bool win9x);
