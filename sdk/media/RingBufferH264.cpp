#include "media/RingBufferH264.h"

#include <cstdlib>
#include <cstring>

namespace {

inline uint32_t Get32(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}
inline void Put32(uint8_t* p, uint32_t v) { std::memcpy(p, &v, 4); }

}  // namespace

CRingBufferH264::CRingBufferH264(int capacity) {
    if (capacity <= 0) return;
    start_ = static_cast<uint8_t*>(std::malloc(size_t(capacity) + kSlack));
    if (!start_) return;
    end_ = start_ + capacity;
    Reset();
}

CRingBufferH264::~CRingBufferH264() { std::free(start_); }

void CRingBufferH264::Reset() {
    CWriteGuard g(lock_);
    if (!start_) return;
    Put32(start_, 0);
    write_ = dataEnd_ = read_ = start_;
    sameLap_ = true;
    count_ = 0;
}

int CRingBufferH264::Count() {
    CReadGuard g(lock_);
    return count_;
}

bool CRingBufferH264::RBWrite(const uint8_t* data, int length, uint32_t tag) {
    if (!start_ || length <= 0 || !data) return false;
    CWriteGuard g(lock_);
    const ptrdiff_t need = ptrdiff_t(length) + 8;
    // A unit that cannot fit even in an empty ring is refused outright.
    if (need + 4 > end_ - start_) return false;
    if (sameLap_ && write_ + length + 12 > end_) {
        // The lap ends here; the zero length word tells the reader to go
        // back to the start.
        std::memset(write_, 0, kSlack);  // write_ <= end_: inside the slack
        write_ = dataEnd_ = start_;
        sameLap_ = false;
    }
    if (!sameLap_ && write_ + length + kGap > read_) return false;
    Put32(write_, uint32_t(length));
    Put32(write_ + 4, tag);
    std::memcpy(write_ + 8, data, size_t(length));
    write_ += need;
    ++count_;
    dataEnd_ = write_;
    return true;
}

int CRingBufferH264::RBRead(uint8_t* out, int capacity, int* length, uint32_t* tag) {
    if (!start_) return 0;
    // The reader moves the read position; the write lock keeps the writer's
    // view of it whole (one reader, so nothing is lost by excluding).
    CWriteGuard g(lock_);
    if (count_ <= 0) return 0;
    if (!sameLap_) {
        if (Get32(read_) == 0) {
            read_ = start_;
            sameLap_ = true;
        }
    }
    if (sameLap_ && read_ >= dataEnd_) return 0;
    uint32_t len = Get32(read_);
    if (tag) *tag = Get32(read_ + 4);
    if (out && int64_t(len) <= capacity) {
        std::memcpy(out, read_ + 8, len);
        if (length) *length = int(len);
    } else if (length) {
        *length = -1;
    }
    read_ += 8 + ptrdiff_t(len);
    --count_;
    return 1;
}
