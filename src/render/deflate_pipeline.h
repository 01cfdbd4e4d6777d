// SPDX-License-Identifier: MIT
#pragma once

#include <QtGlobal>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

struct libdeflate_compressor;

namespace codalume {

// Bytes that are not cleared when the buffer grows: every byte is written before it is read,
// and clearing megabytes per band showed up in profiles.
class ByteBuffer {
  public:
    uchar *data() { return bytes_.get(); }
    const uchar *data() const { return bytes_.get(); }
    size_t size() const { return size_; }
    void clear() { size_ = 0; }
    void resize(size_t size);

  private:
    std::unique_ptr<uchar[]> bytes_;
    size_t size_ = 0;
    size_t capacity_ = 0;
};

// Compresses a sequence of byte blocks into one zlib stream on several threads. Each block is
// deflated on its own and ends on a byte boundary, so the pieces simply follow each other;
// they come out in submission order, the first with the zlib header and the last with the
// checksum. `level` is libdeflate's (1-12).
class DeflatePipeline {
  public:
    DeflatePipeline(int level, int threads);
    ~DeflatePipeline();
    DeflatePipeline(const DeflatePipeline &) = delete;
    DeflatePipeline &operator=(const DeflatePipeline &) = delete;

    void submit(ByteBuffer block, bool last);

    // Buffers go round instead of being freed and allocated again for every block: fresh
    // memory costs a page fault per 4 KiB.
    ByteBuffer obtainBuffer();
    void recycle(ByteBuffer buffer);

    // Moves the oldest piece into `out` once it is compressed; with `wait` it blocks until
    // then. False when nothing is pending, when (without `wait`) the oldest piece is not done,
    // or after a compression failure.
    bool takeFinished(ByteBuffer &out, bool wait);

    size_t pending() const;
    // More blocks than this waiting means the caller should wait before producing the next.
    size_t maxPending() const { return workers_.size() + 1; }
    bool failed() const;

  private:
    struct Job;
    void work();
    bool compress(Job &job, ::libdeflate_compressor *compressor);

    const int level_;
    mutable std::mutex mutex_;
    std::condition_variable workAvailable_;
    std::condition_variable jobDone_;
    std::deque<std::shared_ptr<Job>> jobs_;
    std::vector<ByteBuffer> spare_;
    bool stopping_ = false;
    bool failed_ = false;
    bool firstSubmitted_ = false;
    unsigned long checksum_ = 1;
    std::vector<std::thread> workers_;
};

}  // namespace codalume
