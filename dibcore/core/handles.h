// The table behind DibHandle: a handle is an index (plus one) into a table of
// pictures with O(1) allocate and free; some operations make hundreds of
// thousands of small pictures in a row. Handles are reused only after a
// generation count has moved on, so a stale handle held by a caller is
// refused rather than reaching someone else's picture.
#pragma once

#include <cstdint>

#include "picture.h"

namespace dibcore {

// Takes ownership of `picture`; 0 when the table cannot grow (the picture is
// then freed).
DibHandle Handles_Add(Picture *picture);
// The picture behind a handle, or null for 0, freed or unknown handles.
Picture *Handles_Get(DibHandle handle);
// Puts a new picture behind a live handle (in-place operations); the old one
// is freed. False (and `picture` freed) for a dead handle.
bool Handles_Replace(DibHandle handle, Picture *picture);
// Frees the picture and the handle; false for a dead handle.
bool Handles_Delete(DibHandle handle);
// Live handles (tests count leaks with it).
uint32_t Handles_LiveCount();

}  // namespace dibcore
