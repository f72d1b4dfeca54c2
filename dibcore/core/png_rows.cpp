#include "png_rows.h"

#include <cstring>

#include "png_filter.h"

namespace dibcore {

namespace {
// Inflate into batches of about this many bytes: big enough that zlib's fast
// loop runs and calls are few, small enough to stay in the L2 cache.
constexpr size_t kBatchBytes = 64 * 1024;
}  // namespace

PngIdatInflater::~PngIdatInflater() {
    if (ready_) inflateEnd(&z_);
}

bool PngIdatInflater::Init() {
    ready_ = inflateInit(&z_) == Z_OK;
#if ZLIB_VERNUM >= 0x1290
    // Every IDAT chunk's CRC-32 already guards the data; zlib's Adler-32 over
    // the same bytes would only cost time (about 6% of a decode).
    if (ready_) inflateValidate(&z_, 0);
#endif
    return ready_;
}

bool PngIdatInflater::NextIdat() {
    if (lastChunk_) return false;
    PngChunk c;
    if (!cursor_.Next(&c) || c.type != kChunkIDAT) return false;
    if (c.complete) {
        if (!PngChunkCursor::CrcOk(c)) {
            crcFailed_ = true;
            return false;
        }
    } else {
        lastChunk_ = true;  // cut short: use what is there
    }
    z_.next_in = const_cast<Bytef *>(c.body);
    z_.avail_in = c.length;
    return true;
}

size_t PngIdatInflater::Read(uint8_t *out, size_t n) {
    if (!ready_ || done_ || n == 0) return 0;
    z_.next_out = out;
    z_.avail_out = uInt(n);
    while (z_.avail_out > 0) {
        if (z_.avail_in == 0 && !NextIdat()) {
            done_ = true;
            break;
        }
        const int r = inflate(&z_, Z_NO_FLUSH);
        if (r == Z_OK) continue;
        if (r == Z_BUF_ERROR && z_.avail_in == 0) continue;  // wants the next chunk
        done_ = true;  // end of stream, corrupt data or memory short
        break;
    }
    return n - z_.avail_out;
}

bool PngRowStream::Alloc(size_t maxRowBytes) {
    const size_t stride = maxRowBytes + 1;
    batchBytes_ = stride > kBatchBytes ? stride : kBatchBytes;
    return batch_.Alloc(batchBytes_) && prev_.Alloc(maxRowBytes);
}

void PngRowStream::Begin(size_t rowBytes, uint32_t rows, int bpp) {
    rowBytes_ = rowBytes;
    stride_ = rowBytes + 1;
    rowsLeft_ = rows;
    batchRows_ = batchBytes_ / stride_;
    filled_ = at_ = 0;
    bpp_ = bpp;
    std::memset(prev_.get(), 0, rowBytes);
}

const uint8_t *PngRowStream::Next() {
    if (at_ == filled_) {
        if (filled_ > 0) std::memcpy(prev_.get(), batch_.get() + (filled_ - 1) * stride_ + 1, rowBytes_);
        const size_t want = rowsLeft_ < batchRows_ ? rowsLeft_ : batchRows_;
        filled_ = at_ = 0;
        if (want == 0) return nullptr;
        const size_t got = source_->Read(batch_.get(), want * stride_);
        filled_ = got / stride_;  // a row cut short is dropped
        rowsLeft_ = filled_ < want ? 0 : uint32_t(rowsLeft_ - want);
        if (filled_ == 0) return nullptr;
    }
    uint8_t *row = batch_.get() + at_ * stride_;
    const uint8_t *prev = at_ == 0 ? prev_.get() : row - stride_ + 1;
    if (!PngUnfilterRow(row[0], row + 1, prev, rowBytes_, bpp_)) {
        filled_ = at_;
        rowsLeft_ = 0;
        return nullptr;
    }
    ++at_;
    return row + 1;
}

}  // namespace dibcore
