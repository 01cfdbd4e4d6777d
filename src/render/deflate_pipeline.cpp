// SPDX-License-Identifier: MIT
#include "render/deflate_pipeline.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace codalume {

namespace {

constexpr size_t kWindow = 32 * 1024;
constexpr size_t kHeaderSize = 2;
constexpr size_t kTrailerSize = 4;

}  // namespace

void ByteBuffer::resize(size_t size) {
    if (size > capacity_) {
        auto grown = std::make_unique_for_overwrite<uchar[]>(size);
        if (size_ > 0) {
            std::memcpy(grown.get(), bytes_.get(), size_);
        }
        bytes_ = std::move(grown);
        capacity_ = size;
    }
    size_ = size;
}

struct DeflatePipeline::Job {
    ByteBuffer raw;
    std::vector<uchar> dictionary;
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
    job->dictionary = tail_;
    const size_t keep = std::min(block.size(), kWindow);
    tail_.assign(block.data() + block.size() - keep, block.data() + block.size());
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
        compress(*job);
        {
            std::lock_guard lock(mutex_);
            job->done = true;
        }
        jobDone_.notify_all();
    }
}

void DeflatePipeline::compress(Job &job) {
    job.rawSize = job.raw.size();
    job.checksum = adler32_z(1, job.raw.data(), job.raw.size());
    z_stream stream{};
    if (deflateInit2(&stream, level_, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
        return;
    }
    if (!job.dictionary.empty()) {
        deflateSetDictionary(&stream, job.dictionary.data(),
                             static_cast<uInt>(job.dictionary.size()));
    }
    job.packed = obtainBuffer();
    // Room for the zlib header in front of the first piece and the checksum after the last.
    const size_t offset = job.first ? kHeaderSize : 0;
    job.packed.resize(offset + deflateBound(&stream, static_cast<uLong>(job.raw.size())) + 64 +
                      kTrailerSize);
    if (job.first) {
        // CMF: deflate with a 32 KiB window; FLG: makes CMF * 256 + FLG a multiple of 31.
        const unsigned cmf = 0x78;
        const unsigned flags = 1 << 6;
        job.packed.data()[0] = static_cast<uchar>(cmf);
        job.packed.data()[1] = static_cast<uchar>(flags + 31 - (cmf * 256 + flags) % 31);
    }
    stream.next_in = job.raw.data();
    stream.avail_in = static_cast<uInt>(job.raw.size());
    const int flush = job.last ? Z_FINISH : Z_SYNC_FLUSH;
    int status = Z_OK;
    for (;;) {
        stream.next_out = job.packed.data() + offset + stream.total_out;
        stream.avail_out =
            static_cast<uInt>(job.packed.size() - kTrailerSize - offset - stream.total_out);
        status = deflate(&stream, flush);
        const bool finished =
            job.last ? status == Z_STREAM_END : stream.avail_in == 0 && stream.avail_out > 0;
        if (finished || (status != Z_OK && status != Z_BUF_ERROR)) {
            break;
        }
        job.packed.resize(job.packed.size() * 2);
    }
    job.ok = job.last ? status == Z_STREAM_END : status == Z_OK;
    job.packed.resize(offset + stream.total_out);
    deflateEnd(&stream);
    recycle(std::move(job.raw));
    std::vector<uchar>().swap(job.dictionary);
}

}  // namespace codalume
