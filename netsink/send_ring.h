// The per-sink send queue: a byte ring that holds outgoing TCP data until
// the socket can take it. Pure logic over a buffer; the socket's send call is
// passed in, so the ring is tested with fake senders.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

namespace tarrow {

class SendRing {
public:
    // Bytes handed to one send call at most.
    static constexpr uint32_t kChunk = 1024;

    SendRing() = default;
    SendRing(const SendRing&) = delete;
    SendRing& operator=(const SendRing&) = delete;
    SendRing(SendRing&&) = default;
    SendRing& operator=(SendRing&&) = default;

    // Allocates the buffer the first time (kept for reuse), empties the ring.
    // A ring that already has a buffer of another size gets a new one.
    void Prepare(uint32_t size) {
        if (!buf_ || size_ != size) {
            buf_.reset(new uint8_t[size]);
            size_ = size;
        }
        read_ = write_ = 0;
    }
    void Release() { buf_.reset(); size_ = read_ = write_ = 0; }
    void Clear() { read_ = write_ = 0; }

    uint32_t Size() const { return size_; }
    uint32_t Used() const { return write_ >= read_ ? write_ - read_ : write_ + size_ - read_; }
    // One byte always stays empty, so read == write means empty.
    uint32_t Free() const { return size_ - Used(); }
    uint32_t ReadPos() const { return read_; }
    uint32_t WritePos() const { return write_; }

    // Queues all of data or nothing: false when length >= Free().
    bool Push(const void* data, uint32_t length) {
        if (!buf_ || length >= Free()) return false;
        const uint8_t* p = static_cast<const uint8_t*>(data);
        uint32_t first = size_ - write_ < length ? size_ - write_ : length;
        std::memcpy(buf_.get() + write_, p, first);
        std::memcpy(buf_.get(), p + first, length - first);
        write_ = (write_ + length) % size_;
        return true;
    }

    // Hands queued bytes to send(const uint8_t*, int) in order, at most
    // kChunk bytes and never across the end of the buffer per call. send
    // returns the count it took (possibly fewer than offered) or a negative
    // value when it takes nothing now (would block, error). The read position
    // advances by exactly what was taken, so a short send is followed by the
    // rest of the same bytes, never by later ones. Returns the last negative
    // send result, or 0 when the ring was emptied.
    template <class SendFn>
    int Flush(SendFn&& send) {
        while (read_ != write_) {
            uint32_t avail = write_ > read_ ? write_ - read_ : size_ - read_;
            uint32_t piece = avail < kChunk ? avail : kChunk;
            int n = send(buf_.get() + read_, int(piece));
            if (n < 0) return n;
            if (n == 0 || uint32_t(n) > piece) return -1;  // took nothing, or nonsense
            read_ = (read_ + uint32_t(n)) % size_;
        }
        return 0;
    }

private:
    std::unique_ptr<uint8_t[]> buf_;
    uint32_t size_ = 0, read_ = 0, write_ = 0;
};

}  // namespace tarrow
