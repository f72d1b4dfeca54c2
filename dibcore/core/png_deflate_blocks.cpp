#include "png_deflate_blocks.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

#include <zlib.h>

#include "bytes.h"

namespace dibcore {

namespace {

constexpr size_t kWindowBytes = 32 * 1024;  // how far deflate looks back
constexpr size_t kBatchBytes = 64 * 1024;   // filtered bytes handed to deflate at once
constexpr size_t kOutStep = 64 * 1024;      // output room added per deflate call

enum BlockState : int { kPending, kDone, kFailed };

struct Block {
    std::unique_ptr<ByteBuffer> out;  // its raw deflate data, until written
    uint32_t adler = 1;               // of its filtered bytes
    uint64_t bytes = 0;               // filtered bytes
    int state = kPending;
};

// Keeps the filtered bytes before a block: the dictionary it starts with.
class DictionarySink final : public PngFilteredSink {
public:
    bool Take(const uint8_t *bytes, size_t n, bool) override { return buffer.Append(bytes, n); }
    ByteBuffer buffer;
};

// Deflates the filtered bytes of one block into the block's buffer.
class BlockDeflater final : public PngFilteredSink {
public:
    BlockDeflater() = default;
    ~BlockDeflater() {
        if (ready_) deflateEnd(&z_);
    }
    BlockDeflater(const BlockDeflater &) = delete;
    BlockDeflater &operator=(const BlockDeflater &) = delete;

    bool Init(int level, int strategy) {
        ready_ = deflateInit2(&z_, level, Z_DEFLATED, -15, 8, strategy) == Z_OK;
        return ready_;
    }
    bool Start(Block *block, bool finalBlock, const uint8_t *dictionary, size_t dictionaryBytes) {
        block_ = block;
        final_ = finalBlock;
        if (deflateReset(&z_) != Z_OK) return false;
        return dictionaryBytes == 0 || deflateSetDictionary(&z_, dictionary, uInt(dictionaryBytes)) == Z_OK;
    }
    bool Take(const uint8_t *bytes, size_t n, bool last) override {
        block_->adler = uint32_t(adler32(block_->adler, bytes, uInt(n)));
        block_->bytes += n;
        ByteBuffer &out = *block_->out;
        z_.next_in = const_cast<Bytef *>(bytes);
        z_.avail_in = uInt(n);
        // Every block but the last ends byte-aligned with nothing pending,
        // so the next block's data can follow it directly.
        const int flush = !last ? Z_NO_FLUSH : final_ ? Z_FINISH : Z_FULL_FLUSH;
        for (;;) {
            if (!out.Reserve(kOutStep)) return false;
            z_.next_out = out.Tail();
            z_.avail_out = uInt(kOutStep);
            const int r = deflate(&z_, flush);
            if (r == Z_STREAM_ERROR) return false;
            out.Commit(kOutStep - z_.avail_out);
            if (flush == Z_FINISH ? r == Z_STREAM_END : (z_.avail_in == 0 && z_.avail_out != 0)) return true;
        }
    }

private:
    z_stream z_{};
    bool ready_ = false;
    bool final_ = false;
    Block *block_ = nullptr;
};

// What the workers and the joining thread share.
struct Pool {
    const PngBlockJob &job;
    const uint32_t *starts;
    Block *blocks;
    uint32_t count;
    uint32_t ahead;  // blocks a worker may start past the last one written
    std::mutex mutex;
    std::condition_variable changed;
    uint32_t next = 0;     // next block to start
    uint32_t written = 0;  // blocks joined so far
    bool stop = false;
};

class Worker {
public:
    explicit Worker(Pool *pool) : pool_(pool), filterer_(*pool->job.lines, pool->job.filters) {}

    bool Init() {
        return filterer_.Alloc(kBatchBytes) && deflater_.Init(pool_->job.level, pool_->job.strategy);
    }
    bool Compress(uint32_t i) {
        Block &block = pool_->blocks[i];
        block.out.reset(new (std::nothrow) ByteBuffer);
        if (!block.out) return false;
        const uint32_t begin = pool_->starts[i], end = pool_->starts[i + 1];
        const uint8_t *dictionary = nullptr;
        size_t dictionaryBytes = 0;
        if (begin > 0) {
            // Filter again the scanlines before the cut that fill deflate's
            // window; only their last 32 KiB are used.
            const PngScanlines &lines = *pool_->job.lines;
            uint32_t from = begin;
            uint64_t bytes = 0;
            while (from > 0 && bytes < kWindowBytes) bytes += lines.RunOf(--from).rowBytes + 1;
            dictionary_.buffer.Clear();
            if (!filterer_.Run(from, begin, &dictionary_)) return false;
            dictionaryBytes = dictionary_.buffer.size() < kWindowBytes ? dictionary_.buffer.size() : kWindowBytes;
            dictionary = dictionary_.buffer.data() + dictionary_.buffer.size() - dictionaryBytes;
        }
        return deflater_.Start(&block, i + 1 == pool_->count, dictionary, dictionaryBytes) &&
               filterer_.Run(begin, end, &deflater_);
    }

private:
    Pool *pool_;
    PngScanlineFilterer filterer_;
    BlockDeflater deflater_;
    DictionarySink dictionary_;
};

void WorkerMain(Pool *pool) {
    Worker worker(pool);
    const bool ready = worker.Init();
    for (;;) {
        uint32_t i;
        {
            std::unique_lock<std::mutex> lock(pool->mutex);
            pool->changed.wait(lock, [pool] {
                return pool->stop || pool->next >= pool->count || pool->next < pool->written + pool->ahead;
            });
            if (pool->stop || pool->next >= pool->count) return;
            i = pool->next++;
        }
        const bool ok = ready && worker.Compress(i);
        {
            std::lock_guard<std::mutex> lock(pool->mutex);
            pool->blocks[i].state = ok ? kDone : kFailed;
        }
        pool->changed.notify_all();
    }
}

// Stops the workers and waits for them on every way out.
class WorkerGroup {
public:
    WorkerGroup(Pool *pool, int wanted) : pool_(pool), threads_(new (std::nothrow) std::thread[size_t(wanted)]) {
        if (!threads_) return;
        for (; started_ < wanted; ++started_) {
            try {
                threads_[size_t(started_)] = std::thread(WorkerMain, pool);
            } catch (const std::system_error &) {
                break;  // the system has no more threads to give: go on with those started
            }
        }
    }
    ~WorkerGroup() {
        {
            std::lock_guard<std::mutex> lock(pool_->mutex);
            pool_->stop = true;
        }
        pool_->changed.notify_all();
        for (int i = 0; i < started_; ++i) threads_[size_t(i)].join();
    }
    WorkerGroup(const WorkerGroup &) = delete;
    WorkerGroup &operator=(const WorkerGroup &) = delete;
    int started() const { return started_; }

private:
    Pool *pool_;
    std::unique_ptr<std::thread[]> threads_;
    int started_ = 0;
};

}  // namespace

uint32_t PngBlockStarts(const PngScanlines &lines, size_t blockBytes, uint32_t *starts) {
    uint32_t blocks = 0;
    uint64_t bytes = 0;
    for (uint32_t line = 0; line < lines.count(); ++line) {
        if (line == 0 || bytes >= blockBytes) {
            if (starts) starts[blocks] = line;
            ++blocks;
            bytes = 0;
        }
        bytes += lines.RunOf(line).rowBytes + 1;
    }
    if (starts) starts[blocks] = lines.count();
    return blocks;
}

int PngDeflateBlocks(const PngBlockJob &job, PngStreamSink *sink) {
    const uint32_t count = PngBlockStarts(*job.lines, job.blockBytes, nullptr);
    std::unique_ptr<uint32_t[]> starts(new (std::nothrow) uint32_t[size_t(count) + 1]);
    std::unique_ptr<Block[]> blocks(new (std::nothrow) Block[count]);
    if (!starts || !blocks) return kPngBlocksFailed;
    PngBlockStarts(*job.lines, job.blockBytes, starts.get());

    Pool pool{job, starts.get(), blocks.get(), count, uint32_t(2 * job.threads)};
    WorkerGroup workers(&pool, job.threads);
    if (workers.started() == 0) return kPngBlocksNoThreads;

    // The zlib header as deflate writes it: 32 KiB window, the level's
    // class, no preset dictionary, checked modulo 31.
    const int levelClass = job.strategy >= Z_HUFFMAN_ONLY || job.level < 2 ? 0
                           : job.level < 6                                  ? 1
                           : job.level == 6                                 ? 2
                                                                            : 3;
    unsigned header = (0x78u << 8) | unsigned(levelClass << 6);
    header += 31 - header % 31;
    const uint8_t head[2] = {uint8_t(header >> 8), uint8_t(header)};
    if (!sink->Put(head, 2)) return kPngBlocksFailed;

    uLong adler = adler32(0, nullptr, 0);
    for (uint32_t i = 0; i < count; ++i) {
        Block &block = blocks[i];
        {
            std::unique_lock<std::mutex> lock(pool.mutex);
            pool.changed.wait(lock, [&block] { return block.state != kPending; });
        }
        if (block.state == kFailed || !sink->Put(block.out->data(), block.out->size())) return kPngBlocksFailed;
        adler = adler32_combine(adler, block.adler, z_off_t(block.bytes));
        block.out.reset();
        {
            std::lock_guard<std::mutex> lock(pool.mutex);
            pool.written = i + 1;
        }
        pool.changed.notify_all();
    }
    const uint8_t trailer[4] = {uint8_t(adler >> 24), uint8_t(adler >> 16), uint8_t(adler >> 8), uint8_t(adler)};
    return sink->Put(trailer, 4) ? kPngBlocksOk : kPngBlocksFailed;
}

}  // namespace dibcore
