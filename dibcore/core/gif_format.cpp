#include "gif_format.h"

#include <cstring>

namespace dibcore {

namespace {

uint16_t U16(const uint8_t *p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

constexpr uint8_t kImageBlock = 0x2C;
constexpr uint8_t kExtensionBlock = 0x21;
constexpr uint8_t kControlLabel = 0xF9;
constexpr uint8_t kApplicationLabel = 0xFF;

}  // namespace

bool GifParser::Open(const uint8_t *data, size_t size) {
    done_ = true;
    screen_ = GifScreenDesc{};
    haveControl_ = false;
    // Only the signature is checked: files stamped with other versions exist
    // and read the same way.
    if (data == nullptr || size < 13 || std::memcmp(data, "GIF", 3) != 0) return false;
    end_ = data + size;
    const uint8_t *p = data + 6;
    screen_.width = U16(p);
    screen_.height = U16(p + 2);
    const uint8_t packed = p[4];
    screen_.backgroundIndex = p[5];
    p += 7;
    if (packed & 0x80) {
        const uint32_t entries = 2u << (packed & 7);
        if (static_cast<size_t>(end_ - p) < entries * 3u) return false;
        screen_.globalTable = p;
        screen_.globalSize = entries;
        p += entries * 3u;
    }
    pos_ = p;
    done_ = false;
    return true;
}

const uint8_t *GifParser::SkipBlocks(const uint8_t *p, uint64_t *payload) const {
    while (p < end_) {
        const uint8_t n = *p++;
        if (n == 0) return p;
        const size_t left = static_cast<size_t>(end_ - p);
        const size_t take = n < left ? n : left;
        if (payload) *payload += take;
        p += take;
    }
    return end_;
}

void GifParser::ReadExtension(uint8_t label, const uint8_t *body) {
    // `body` is the first sub-block length byte; SkipBlocks has already
    // proven that the chain is walkable, but not that it is long enough.
    const size_t avail = static_cast<size_t>(end_ - body);
    if (label == kControlLabel) {
        if (avail >= 5 && body[0] >= 4) {
            const uint8_t packed = body[1];
            haveControl_ = true;
            disposal_ = static_cast<uint8_t>((packed >> 2) & 7);
            delay_ = U16(body + 2);
            transparent_ = (packed & 1) ? body[4] : 0xFFFF;
        }
    } else if (label == kApplicationLabel) {
        // NETSCAPE2.0 (and its twin ANIMEXTS1.0): sub-block 1 holds the loop count.
        if (avail >= 12 + 4 && body[0] == 11 &&
            (std::memcmp(body + 1, "NETSCAPE2.0", 11) == 0 || std::memcmp(body + 1, "ANIMEXTS1.0", 11) == 0)) {
            const uint8_t *sub = body + 12;
            if (sub[0] >= 3 && sub[1] == 1 && !screen_.loopFlag) {
                screen_.loopFlag = true;
                screen_.loopCount = U16(sub + 2);
            }
        }
    }
}

bool GifParser::NextFrame(GifFrameDesc *frame) {
    while (!done_ && pos_ < end_) {
        const uint8_t kind = *pos_++;
        if (kind == kExtensionBlock) {
            if (pos_ >= end_) break;
            const uint8_t label = *pos_++;
            const uint8_t *body = pos_;
            pos_ = SkipBlocks(pos_, nullptr);
            ReadExtension(label, body);
            continue;
        }
        if (kind != kImageBlock) break;  // trailer, or bytes we cannot place
        if (end_ - pos_ < 9) break;
        GifFrameDesc f;
        f.left = U16(pos_);
        f.top = U16(pos_ + 2);
        f.width = U16(pos_ + 4);
        f.height = U16(pos_ + 6);
        const uint8_t packed = pos_[8];
        f.interlaced = (packed & 0x40) != 0;
        pos_ += 9;
        if (packed & 0x80) {
            const uint32_t entries = 2u << (packed & 7);
            if (static_cast<size_t>(end_ - pos_) < entries * 3u) break;
            f.table = pos_;
            f.tableSize = entries;
            f.localTable = true;
            pos_ += entries * 3u;
        } else {
            f.table = screen_.globalTable;
            f.tableSize = screen_.globalSize;
        }
        if (pos_ >= end_) break;
        f.minCodeSize = *pos_++;
        f.blocks = pos_;
        pos_ = SkipBlocks(pos_, &f.dataBytes);
        f.blocksEnd = pos_;
        if (haveControl_) {
            f.delay = delay_;
            f.transparentIndex = transparent_;
            f.disposal = disposal_;
            haveControl_ = false;
        }
        *frame = f;
        return true;
    }
    done_ = true;
    return false;
}

}  // namespace dibcore
