// SPDX-License-Identifier: MIT
#include "render/deflate_pipeline.h"

#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <optional>

#include "render/deflate_blocks.h"

namespace codalume {

namespace {

constexpr size_t kHeaderSize = 2;
constexpr size_t kTrailerSize = 4;
// An empty stored block: three header bits (at most one byte more) and LEN, NLEN.
constexpr size_t kSyncMarkerSize = 5;

// Marks the final block not final and ends the piece with an empty stored block after it,
// as zlib's sync flush does: its three header bits are zero, as is the padding up to the
// byte boundary; then LEN 0 and NLEN 0xffff. Returns the piece's new size.
size_t continuePiece(uchar *piece, const DeflateEnds &ends) {
    piece[ends.lastBlockBit / 8] &= static_cast<uchar>(~(1u << (ends.lastBlockBit % 8)));
    if (ends.endBit % 8 != 0) {
        piece[ends.endBit / 8] &= static_cast<uchar>((1u << (ends.endBit % 8)) - 1);
    }
    size_t size = (ends.endBit + 3 + 7) / 8;
    for (size_t i = (ends.endBit + 7) / 8; i < size; ++i) {
        piece[i] = 0;
    }
    for (const uchar byte : {0x00, 0x00, 0xff, 0xff}) {
        piece[size++] = byte;
    }
    return size;
}

}  // namespace

void ByteBuffer::resize(size_t size) {
    if (size > capacity_) {
        // With room to spare: buffers go round between raw bands and compressed pieces,
        // which may be a little larger, and each new buffer is fresh memory to fault in.
        const size_t capacity = size + size / 8;
        auto grown = std::make_unique_for_overwrite<uchar[]>(capacity);
        if (size_ > 0) {
            std::memcpy(grown.get(), bytes_.get(), size_);
        }
        bytes_ = std::move(grown);
        capacity_ = capacity;
    }
    size_ = size;
}

struct DeflatePipeline::Job {
    ByteBuffer raw;
    bool first = false;
    bool last = false;
    bool taken = false;
    bool done = false;
    bool ok = false;
    size_t rawSize = 0;
    unsigned long checksum = 1;
    ByteBuffer packed;
};

DeflatePipeline::DeflatePipeline(int level, int threads) : level_(level) {
    const int count = std::clamp(threads, 1, 8);
    for (int i = 0; i < count; ++i) {
        workers_.emplace_back([this] { work(); });
    }
}

DeflatePipeline::~DeflatePipeline() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    workAvailable_.notify_all();
    for (std::thread &worker : workers_) {
        worker.join();
    }
}

void DeflatePipeline::submit(ByteBuffer block, bool last) {
    auto job = std::make_shared<Job>();
    job->raw = std::move(block);
    job->first = !firstSubmitted_;
    firstSubmitted_ = true;
    job->last = last;
    {
        std::lock_guard lock(mutex_);
        if (failed_) {
            return;
        }
        jobs_.push_back(std::move(job));
    }
    workAvailable_.notify_one();
}

ByteBuffer DeflatePipeline::obtainBuffer() {
    std::lock_guard lock(mutex_);
    if (spare_.empty()) {
        return {};
    }
    ByteBuffer buffer = std::move(spare_.back());
    spare_.pop_back();
    buffer.clear();
    return buffer;
}

void DeflatePipeline::recycle(ByteBuffer buffer) {
    std::lock_guard lock(mutex_);
    if (spare_.size() < 2 * maxPending() + 2) {
        spare_.push_back(std::move(buffer));
    }
}

bool DeflatePipeline::takeFinished(ByteBuffer &out, bool wait) {
    std::shared_ptr<Job> job;
    {
        std::unique_lock lock(mutex_);
        if (jobs_.empty() || failed_) {
            return false;
        }
        if (!jobs_.front()->done) {
            if (!wait) {
                return false;
            }
            jobDone_.wait(lock, [this] { return jobs_.front()->done; });
        }
        job = std::move(jobs_.front());
        jobs_.pop_front();
        if (!job->ok) {
            failed_ = true;
            return false;
        }
    }
    out = std::move(job->packed);
    checksum_ = adler32_combine(checksum_, job->checksum, static_cast<z_off_t>(job->rawSize));
    if (job->last) {
        const size_t end = out.size();
        out.resize(end + kTrailerSize);
        for (size_t i = 0; i < kTrailerSize; ++i) {
            out.data()[end + i] = static_cast<uchar>((checksum_ >> (24 - 8 * i)) & 0xff);
        }
    }
    return true;
}

size_t DeflatePipeline::pending() const {
    std::lock_guard lock(mutex_);
    return jobs_.size();
}

bool DeflatePipeline::failed() const {
    std::lock_guard lock(mutex_);
    return failed_;
}

void DeflatePipeline::work() {
    const std::unique_ptr<libdeflate_compressor, decltype(&libdeflate_free_compressor)> compressor(
        libdeflate_alloc_compressor(level_), libdeflate_free_compressor);
    for (;;) {
        std::shared_ptr<Job> job;
        {
            std::unique_lock lock(mutex_);
            const auto next = [this] {
                return std::find_if(jobs_.begin(), jobs_.end(),
                                    [](const auto &candidate) { return !candidate->taken; });
            };
            workAvailable_.wait(lock, [&] { return stopping_ || next() != jobs_.end(); });
            if (stopping_) {
                return;
            }
            job = *next();
            job->taken = true;
        }
        const bool ok = compressor && compress(*job, compressor.get());
        {
            std::lock_guard lock(mutex_);
            job->ok = ok;
            job->done = true;
        }
        jobDone_.notify_all();
    }
}

// Pieces are compressed with libdeflate, faster than zlib for files as small, but it only
// makes whole streams: every piece ends in a final block. Reading the piece's blocks
// finds where that block starts and ends; it is then marked not final and followed by an
// empty stored block, which ends the piece on a byte boundary as zlib's sync flush would.
bool DeflatePipeline::compress(Job &job, libdeflate_compressor *compressor) {
    job.rawSize = job.raw.size();
    job.checksum = libdeflate_adler32(1, job.raw.data(), job.raw.size());
    job.packed = obtainBuffer();
    // Room for the zlib header in front of the first piece, the sync marker after every piece
    // and the checksum after the last.
    const size_t offset = job.first ? kHeaderSize : 0;
    const size_t bound = libdeflate_deflate_compress_bound(compressor, job.raw.size());
    job.packed.resize(offset + bound + kSyncMarkerSize + kTrailerSize);
    if (job.first) {
        // CMF: deflate with a 32 KiB window; FLG: makes CMF * 256 + FLG a multiple of 31.
        const unsigned cmf = 0x78;
        const unsigned flags = 1 << 6;
        job.packed.data()[0] = static_cast<uchar>(cmf);
        job.packed.data()[1] = static_cast<uchar>(flags + 31 - (cmf * 256 + flags) % 31);
    }
    uchar *piece = job.packed.data() + offset;
    const size_t size =
        libdeflate_deflate_compress(compressor, job.raw.data(), job.raw.size(), piece, bound);
    const std::optional<DeflateEnds> ends = size == 0 ? std::nullopt : findFinalBlock(piece, size);
    recycle(std::move(job.raw));
    if (!ends) {
        return false;
    }
    job.packed.resize(offset + (job.last ? size : continuePiece(piece, *ends)));
    return true;
}

}  // namespace codalume
