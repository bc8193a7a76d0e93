// Helpers of the fuzz targets: a reader of the input's control bytes,
// exact-size heap copies (so that AddressSanitizer sees any read past the
// bytes a parser was given) and files in memory.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "RecordFile.h"

namespace fuzz {

// Takes numbers from the front of the input; zeros once it is used up.
class Input {
public:
    Input(const uint8_t* data, size_t size) : p_(data), n_(size) {}
    uint8_t Byte() {
        if (!n_) return 0;
        --n_;
        return *p_++;
    }
    uint32_t Word() { return Byte() | uint32_t(Byte()) << 8; }
    uint32_t Long() { return Word() | Word() << 16; }
    // A piece of at most max bytes of what is left.
    size_t Take(size_t max, const uint8_t** out) {
        size_t k = max < n_ ? max : n_;
        *out = p_;
        p_ += k;
        n_ -= k;
        return k;
    }
    const uint8_t* Rest() const { return p_; }
    size_t Left() const { return n_; }

private:
    const uint8_t* p_;
    size_t n_;
};

// The same bytes in a heap block of exactly their size (one byte for none).
class Exact {
public:
    Exact(const void* data, size_t size) : p_(new uint8_t[size ? size : 1]), n_(size) {
        if (size) std::memcpy(p_.get(), data, size);
    }
    uint8_t* data() { return p_.get(); }
    size_t size() const { return n_; }

private:
    std::unique_ptr<uint8_t[]> p_;
    size_t n_;
};

// A file in memory as a record file source.
class MemorySource : public record::IRecordFileSource {
public:
    MemorySource(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint64_t Length() const override { return size_; }
    long Read(uint8_t* out, uint32_t n) override {
        if (pos_ >= size_) return 0;
        size_t k = n < size_ - pos_ ? n : size_t(size_ - pos_);
        std::memcpy(out, data_ + pos_, k);
        pos_ += k;
        return long(k);
    }
    bool Seek(uint64_t offset) override {
        pos_ = offset;
        return true;
    }

private:
    const uint8_t* data_;
    uint64_t size_;
    uint64_t pos_ = 0;
};

// Fills size bytes at to by repeating the n bytes at p (zeros when n is 0).
inline void Fill(void* to, size_t size, const uint8_t* p, size_t n) {
    uint8_t* d = static_cast<uint8_t*>(to);
    if (!n) {
        std::memset(d, 0, size);
        return;
    }
    for (size_t at = 0; at < size; at += n) std::memcpy(d + at, p, n < size - at ? n : size - at);
}

// A property that failed: print it and abort, so libFuzzer keeps the input.
[[noreturn]] inline void Fail(const char* what, long a = 0, long b = 0) {
    std::fprintf(stderr, "property failed: %s (%ld, %ld)\n", what, a, b);
    std::abort();
}

// A pseudo-random sequence of piece sizes seeded from the input.
struct Pieces {
    uint32_t seed;
    size_t Next(size_t max) {
        seed = seed * 1103515245u + 12345u;
        uint32_t r = seed >> 16;
        // Mostly small pieces, now and then a large one.
        size_t n = (r & 3) == 0 ? 1 + (r >> 2) % max : 1 + (r >> 2) % (max < 64 ? max : 64);
        return n;
    }
};

}  // namespace fuzz
