// Exchanging and rotating the red, green and blue channels. Channel numbers:
// 0 red, 1 green, 2 blue; an order names the source channel of red, green
// and blue, each taken modulo 3.
#pragma once

#include <cstdint>

#include "dibcore_api.h"
#include "image/qv_DibCore.h"

// The five orders the swap commands offer: exchange green and blue, exchange
// red and blue, the two rotations, exchange red and green.
extern const int8_t kChannelSwapOrders[5][3];

// Whole picture, in place. Palette pictures change their table; 24 bits and
// plain 32 bits their B, G, R bytes (a 32-bit pixel keeps its fourth byte);
// masked 16/32 bits their fields, when every source field is as wide as the
// field it goes to, else the picture becomes 24 bits first. 1 or 0.
int ChannelSwap(DibHandle picture, int red, int green, int blue);

// The same on `rect` (null = whole) only: a part is cut out, swapped and
// pasted back; palette pictures, and masked ones whose widths do not fit
// the order, become 24 bits first. 1 or 0.
int ChannelSwap_Rect(DibHandle picture, const SelRect *rect, int red, int green, int blue);
