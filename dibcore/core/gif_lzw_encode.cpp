#include <cstring>
#include <memory>

#include "gif_lzw.h"

namespace dibcore {

namespace {

constexpr int kMaxCodeBits = 12;
// Clear before the last code so no decoder ever sees the table at 4096.
constexpr uint32_t kClearAt = 4095;

// Packs LSB-first codes and cuts them into sub-blocks of up to 255 bytes.
class BlockWriter {
public:
    explicit BlockWriter(ByteBuffer *out) : out_(out) {}
    void Put(uint32_t code, int width) {
        acc_ |= uint64_t{code} << used_;
        used_ += width;
        while (used_ >= 8) {
            Byte(static_cast<uint8_t>(acc_));
            acc_ >>= 8;
            used_ -= 8;
        }
    }
    bool Finish() {
        if (used_ > 0) Byte(static_cast<uint8_t>(acc_));
        acc_ = 0;
        used_ = 0;
        if (fill_ > 0) Flush();
        out_->Byte(0);
        return !out_->failed();
    }

private:
    void Byte(uint8_t b) {
        block_[fill_++] = b;
        if (fill_ == 255) Flush();
    }
    void Flush() {
        out_->Byte(static_cast<uint8_t>(fill_));
        out_->Append(block_, fill_);
        fill_ = 0;
    }
    ByteBuffer *out_;
    uint64_t acc_ = 0;
    int used_ = 0;
    uint8_t block_[255];
    size_t fill_ = 0;
};

// (prefix code, byte) -> code, open addressing; a generation number empties
// it at every clear without touching memory.
class CodeTable {
public:
    static constexpr uint32_t kSize = 1u << 14;
    void Clear() { ++generation_; }
    // The code for key, or -1 with *slot set to where it would go.
    int Find(uint32_t key, uint32_t *slot) const {
        uint32_t h = (key * 2654435761u) >> 18;
        for (;;) {
            const Cell &c = cells_[h];
            if (c.generation != generation_) {
                *slot = h;
                return -1;
            }
            if (c.key == key) return c.code;
            h = (h + 1) & (kSize - 1);
        }
    }
    void Put(uint32_t slot, uint32_t key, uint32_t code) { cells_[slot] = Cell{generation_, key, code}; }

private:
    struct Cell {
        uint32_t generation;
        uint32_t key;
        uint32_t code;
    };
    Cell cells_[kSize] = {};
    uint32_t generation_ = 1;
};

}  // namespace

bool Lzw_Encode(const uint8_t *indexes, size_t count, int minCodeSize, bool uncompressed, ByteBuffer *out) {
    if (minCodeSize < 2 || minCodeSize > 8) return false;
    const uint32_t clear = 1u << minCodeSize;
    const uint32_t endCode = clear + 1;
    const int firstWidth = minCodeSize + 1;
    BlockWriter writer(out);
    writer.Put(clear, firstWidth);

    if (uncompressed || count == 0) {
        // Each index as a literal. A decoder still grows its table by one per
        // code after the first, so clear before the width would change (one
        // early, for decoders that widen a code ahead).
        const uint32_t run = clear - 2;
        uint32_t sinceClear = 0;
        for (size_t i = 0; i < count; ++i) {
            if (sinceClear == run) {
                writer.Put(clear, firstWidth);
                sinceClear = 0;
            }
            writer.Put(indexes[i], firstWidth);
            ++sinceClear;
        }
        writer.Put(endCode, firstWidth);
        return writer.Finish();
    }

    auto table = std::make_unique<CodeTable>();
    uint32_t next = clear + 2;
    int width = firstWidth;
    uint32_t current = indexes[0];
    for (size_t i = 1; i < count; ++i) {
        const uint8_t c = indexes[i];
        const uint32_t key = (current << 8) | c;
        uint32_t slot = 0;
        const int found = table->Find(key, &slot);
        if (found >= 0) {
            current = static_cast<uint32_t>(found);
            continue;
        }
        writer.Put(current, width);
        // The decoder widens once its next free code no longer fits.
        if (next >= (1u << width) && width < kMaxCodeBits) ++width;
        if (next >= kClearAt) {
            writer.Put(clear, width);
            table->Clear();
            next = clear + 2;
            width = firstWidth;
        } else {
            table->Put(slot, key, next++);
        }
        current = c;
    }
    writer.Put(current, width);
    if (next >= (1u << width) && width < kMaxCodeBits) ++width;
    writer.Put(endCode, width);
    return writer.Finish();
}

}  // namespace dibcore
