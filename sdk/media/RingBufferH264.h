// Ring of whole access units between a play handle's feeding thread and
// its decode thread. Each record: u32 length, u32 tag, the unit's bytes;
// a zero length word ends a lap. Records are never split at the end of the
// storage, and a writer a lap ahead stops 128 bytes short of the reader.
#pragma once
#include <cstdint>

#include "core/RWLock.h"

class CRingBufferH264 {
public:
    static constexpr int kSlack = 1024;  // beyond capacity: room for the lap end
    static constexpr int kGap = 128;     // writer a lap ahead keeps this from the reader

    // Check Valid() after construction: the storage may fail to allocate.
    explicit CRingBufferH264(int capacity);
    virtual ~CRingBufferH264();
    CRingBufferH264(const CRingBufferH264&) = delete;
    CRingBufferH264& operator=(const CRingBufferH264&) = delete;

    bool Valid() const { return start_ != nullptr; }
    // False when the ring is full (or the unit can never fit).
    bool RBWrite(const uint8_t* data, int length, uint32_t tag);
    // 1 with a record copied out, 0 when empty. A record larger than
    // capacity is taken off the ring and reported with *length = -1 and
    // nothing copied.
    int RBRead(uint8_t* out, int capacity, int* length, uint32_t* tag);
    void Reset();
    int Count();

private:
    uint8_t* start_ = nullptr;
    uint8_t* end_ = nullptr;
    bool sameLap_ = true;
    uint8_t* write_ = nullptr;
    uint8_t* dataEnd_ = nullptr;
    uint8_t* read_ = nullptr;
    int count_ = 0;
    CRWLock lock_;
};
