// Walks the blocks of a GIF file: the screen descriptor with its global
// table, then frame after frame with what its graphic control block says.
// Nothing is copied; every pointer stays inside the caller's buffer and
// every length has been checked against its end.
#pragma once

#include <cstddef>
#include <cstdint>

namespace dibcore {

struct GifScreenDesc {
    uint16_t width = 0;
    uint16_t height = 0;
    const uint8_t *globalTable = nullptr;  // RGB triples
    uint32_t globalSize = 0;               // entries, 0 when the file has none
    uint8_t backgroundIndex = 0;
    bool loopFlag = false;                 // a loop block was seen
    uint16_t loopCount = 0;
};

struct GifFrameDesc {
    uint16_t left = 0, top = 0, width = 0, height = 0;
    bool interlaced = false;
    const uint8_t *table = nullptr;  // local table, else the global one, else null
    uint32_t tableSize = 0;          // entries of `table`
    bool localTable = false;
    uint8_t minCodeSize = 0;
    const uint8_t *blocks = nullptr; // first sub-block length byte
    const uint8_t *blocksEnd = nullptr;  // past the terminator, or the end of the data
    uint64_t dataBytes = 0;          // LZW bytes in the sub-blocks
    uint16_t delay = 0;              // 1/100 s
    uint16_t transparentIndex = 0xFFFF;
    uint8_t disposal = 0;
};

class GifParser {
public:
    // Reads the header, screen descriptor and global table; false when the
    // data is not a GIF or ends before its global table.
    bool Open(const uint8_t *data, size_t size);
    const GifScreenDesc &screen() const { return screen_; }
    // The next frame whose descriptor and table are complete; its LZW data may
    // be cut short. False at the trailer, at an unknown block or at the end.
    bool NextFrame(GifFrameDesc *frame);

private:
    // Skips a sub-block chain; returns the position after its terminator (or
    // end) and adds the payload bytes to *payload.
    const uint8_t *SkipBlocks(const uint8_t *p, uint64_t *payload) const;
    void ReadExtension(uint8_t label, const uint8_t *body);

    const uint8_t *pos_ = nullptr;
    const uint8_t *end_ = nullptr;
    GifScreenDesc screen_;
    bool done_ = true;
    // From the latest graphic control block; it governs the next frame only.
    bool haveControl_ = false;
    uint16_t delay_ = 0;
    uint16_t transparent_ = 0xFFFF;
    uint8_t disposal_ = 0;
};

}  // namespace dibcore
