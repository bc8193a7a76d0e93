// Picture order counts, reference lists and the decoded-picture buffer.
#include <algorithm>
#include <climits>
#include <cstring>
#include "h264_internal.h"

namespace {

int32_t FrameNumWrap(const H264DecContext* c, const H264Picture* p) {
    uint32_t cur = c->wrapFrameNum;
    return p->frameNum > cur ? int32_t(p->frameNum) - int32_t(c->activeSps.maxFrameNum) : int32_t(p->frameNum);
}

uint32_t NumRefFrames(const H264DecContext* c) {
    return c->activeSps.numRefFrames ? c->activeSps.numRefFrames : 1;
}

void RemoveFromDpb(H264DecContext* c, uint32_t i) {
    c->dpb[i]->inBuffer = 0;
    for (uint32_t k = i + 1; k < c->dpbCount; ++k) c->dpb[k - 1] = c->dpb[k];
    --c->dpbCount;
}

// Removes frames that are output (or never to be output) and no longer references.
void RemoveUnused(H264DecContext* c) {
    for (uint32_t i = 0; i < c->dpbCount;) {
        H264Picture* p = c->dpb[i];
        if (!p->reference && p->outputState != kOutDecoding) RemoveFromDpb(c, i);
        else ++i;
    }
}

void Unmark(H264Picture* p) {
    p->reference = 0;
    p->longTerm = 0;
}

void CountRefs(const H264DecContext* c, uint32_t* shortTerm, uint32_t* longTerm) {
    *shortTerm = *longTerm = 0;
    for (uint32_t i = 0; i < c->dpbCount; ++i) {
        const H264Picture* p = c->dpb[i];
        if (!p->reference) continue;
        if (p->longTerm) ++*longTerm;
        else ++*shortTerm;
    }
}

void SlidingWindow(H264DecContext* c) {
    uint32_t n = NumRefFrames(c);
    uint32_t st, lt;
    CountRefs(c, &st, &lt);
    while (lt >= n && lt > 0) {
        // Oldest long-term first: the lowest LongTermFrameIdx.
        H264Picture* victim = nullptr;
        for (uint32_t i = 0; i < c->dpbCount; ++i) {
            H264Picture* p = c->dpb[i];
            if (p->reference && p->longTerm && (!victim || p->longTermFrameIdx < victim->longTermFrameIdx)) victim = p;
        }
        Unmark(victim);
        --lt;
        if (lt < n) break;
    }
    while (st > 0 && st + lt >= n) {
        H264Picture* victim = nullptr;
        for (uint32_t i = 0; i < c->dpbCount; ++i) {
            H264Picture* p = c->dpb[i];
            if (p->reference && !p->longTerm && (!victim || FrameNumWrap(c, p) < FrameNumWrap(c, victim))) victim = p;
        }
        Unmark(victim);
        --st;
    }
}

H264Picture* FindShortTerm(H264DecContext* c, int32_t picNum) {
    for (uint32_t i = 0; i < c->dpbCount; ++i) {
        H264Picture* p = c->dpb[i];
        if (p->reference && !p->longTerm && FrameNumWrap(c, p) == picNum) return p;
    }
    return nullptr;
}

H264Picture* FindLongTerm(H264DecContext* c, uint32_t longTermPicNum) {
    for (uint32_t i = 0; i < c->dpbCount; ++i) {
        H264Picture* p = c->dpb[i];
        if (p->reference && p->longTerm && p->longTermFrameIdx == longTermPicNum) return p;
    }
    return nullptr;
}

void RunMmco(H264DecContext* c, H264Picture* cur, const H264SliceHeader& sh) {
    int32_t currPicNum = int32_t(sh.frameNum);
    for (uint32_t k = 0; k < sh.numMmco; ++k) {
        const H264Mmco& m = sh.mmco[k];
        switch (m.op) {
        case 1: {
            H264Picture* p = FindShortTerm(c, currPicNum - int32_t(m.diffPicNumsMinus1 + 1));
            if (p) Unmark(p);
            break;
        }
        case 2: {
            H264Picture* p = FindLongTerm(c, m.longTermPicNum);
            if (p) Unmark(p);
            break;
        }
        case 3: {
            H264Picture* p = FindShortTerm(c, currPicNum - int32_t(m.diffPicNumsMinus1 + 1));
            if (!p) break;
            H264Picture* old = FindLongTerm(c, m.longTermFrameIdx);
            if (old && old != p) Unmark(old);
            if (c->maxLongTermFrameIdx == kNoLongTermIdx || m.longTermFrameIdx > c->maxLongTermFrameIdx) break;
            p->longTerm = 1;
            p->longTermFrameIdx = m.longTermFrameIdx;
            break;
        }
        case 4: {
            c->maxLongTermFrameIdx = m.maxLongTermFrameIdxPlus1 == 0 ? kNoLongTermIdx : m.maxLongTermFrameIdxPlus1 - 1;
            for (uint32_t i = 0; i < c->dpbCount; ++i) {
                H264Picture* p = c->dpb[i];
                if (p->reference && p->longTerm &&
                    (c->maxLongTermFrameIdx == kNoLongTermIdx || p->longTermFrameIdx > c->maxLongTermFrameIdx))
                    Unmark(p);
            }
            break;
        }
        case 5:
            for (uint32_t i = 0; i < c->dpbCount; ++i) Unmark(c->dpb[i]);
            c->maxLongTermFrameIdx = kNoLongTermIdx;
            cur->hadMmco5 = 1;
            break;
        case 6: {
            H264Picture* old = FindLongTerm(c, m.longTermFrameIdx);
            if (old) Unmark(old);
            cur->longTerm = 1;
            cur->longTermFrameIdx = m.longTermFrameIdx;
            break;
        }
        }
    }
}

H264Picture* SmallestWaiting(H264DecContext* c, uint32_t* where) {
    H264Picture* best = nullptr;
    for (uint32_t i = 0; i < c->dpbCount; ++i) {
        H264Picture* p = c->dpb[i];
        if (p->outputState == kOutDecoding && !p->nonExisting && (!best || p->poc < best->poc)) {
            best = p;
            *where = i;
        }
    }
    return best;
}

H264Picture* FreeStore(H264DecContext* c) {
    for (uint32_t i = 0; i < c->numPictureStores; ++i) {
        H264Picture* p = &c->pictures[i];
        if (p->outputState == kOutHandedOut && !p->inBuffer && p != c->cur) return p;
    }
    return nullptr;
}

void ComputePoc(H264DecContext* c, H264Picture* p, uint32_t nalRefIdc, bool idr, uint32_t frameNum,
                uint32_t pocLsb, int32_t deltaPocBottom, const int32_t deltaPoc[2]) {
    const H264SeqParamSet& s = c->activeSps;
    if (s.pocType == 0) {
        if (idr) {
            c->prevPocMsb = 0;
            c->prevPocLsb = 0;
        }
        int32_t maxLsb = 1 << (s.log2MaxPocLsbMinus4 + 4);
        int32_t lsb = int32_t(pocLsb), msb;
        if (lsb < c->prevPocLsb && c->prevPocLsb - lsb >= maxLsb / 2) msb = c->prevPocMsb + maxLsb;
        else if (lsb > c->prevPocLsb && lsb - c->prevPocLsb > maxLsb / 2) msb = c->prevPocMsb - maxLsb;
        else msb = c->prevPocMsb;
        p->topPoc = msb + lsb;
        p->bottomPoc = p->topPoc + deltaPocBottom;
        if (nalRefIdc) {
            c->prevPocMsb = msb;
            c->prevPocLsb = lsb;
        }
    } else {
        int32_t frameNumOffset;
        if (idr) frameNumOffset = 0;
        else if (c->prevFrameNum > frameNum) frameNumOffset = c->prevFrameNumOffset + int32_t(s.maxFrameNum);
        else frameNumOffset = c->prevFrameNumOffset;
        if (s.pocType == 1) {
            int32_t absFrameNum = s.numRefFramesInPocCycle ? frameNumOffset + int32_t(frameNum) : 0;
            if (nalRefIdc == 0 && absFrameNum > 0) --absFrameNum;
            int32_t expected = 0;
            if (absFrameNum > 0) {
                int32_t n = int32_t(s.numRefFramesInPocCycle);
                int32_t cycleCnt = (absFrameNum - 1) / n, inCycle = (absFrameNum - 1) % n;
                int32_t perCycle = 0;
                for (int32_t i = 0; i < n; ++i) perCycle += s.offsetForRefFrame[i];
                expected = cycleCnt * perCycle;
                for (int32_t i = 0; i <= inCycle; ++i) expected += s.offsetForRefFrame[i];
            }
            if (nalRefIdc == 0) expected += s.offsetForNonRefPic;
            p->topPoc = expected + deltaPoc[0];
            p->bottomPoc = p->topPoc + s.offsetForTopToBottomField + deltaPoc[1];
        } else {
            int32_t t = idr ? 0 : nalRefIdc == 0 ? 2 * (frameNumOffset + int32_t(frameNum)) - 1
                                                 : 2 * (frameNumOffset + int32_t(frameNum));
            p->topPoc = p->bottomPoc = t;
        }
        c->prevFrameNumOffset = frameNumOffset;
        c->prevFrameNum = frameNum;
    }
    p->poc = p->topPoc < p->bottomPoc ? p->topPoc : p->bottomPoc;
}

// Marks, stores and outputs a finished picture (frame_num gap frames too).
void StorePicture(H264DecContext* c, H264Picture* p, const H264SliceHeader& sh) {
    c->wrapFrameNum = p->frameNum;
    c->lastHadMmco5 = 0;
    if (p->idr) {
        if (sh.noOutputOfPriorPics) {
            for (uint32_t i = 0; i < c->dpbCount; ++i) {
                H264Picture* q = c->dpb[i];
                Unmark(q);
                q->inBuffer = 0;
                if (q->outputState == kOutDecoding) q->outputState = kOutHandedOut;
            }
            c->dpbCount = 0;
            c->lastOutputPoc = INT_MIN + 1;
        } else {
            H264FlushDpb(c);
        }
        p->reference = 1;
        if (sh.longTermReference) {
            p->longTerm = 1;
            p->longTermFrameIdx = 0;
            c->maxLongTermFrameIdx = 0;
        } else {
            c->maxLongTermFrameIdx = kNoLongTermIdx;
        }
    } else if (p->reference) {
        if (!p->nonExisting && sh.adaptiveRefPicMarking) {
            RunMmco(c, p, sh);
            if (p->hadMmco5) {
                c->lastHadMmco5 = 1;
                p->frameNum = 0;
                int32_t t = p->topPoc < p->bottomPoc ? p->topPoc : p->bottomPoc;
                p->topPoc -= t;
                p->bottomPoc -= t;
                p->poc = p->topPoc < p->bottomPoc ? p->topPoc : p->bottomPoc;
                // The next picture sees this one as having frame_num 0 and
                // order count msb 0.
                c->prevPocMsb = 0;
                c->prevPocLsb = p->topPoc;
                c->prevFrameNumOffset = 0;
                c->prevFrameNum = 0;
                H264FlushDpb(c);
            }
            if (!p->longTerm) {
                uint32_t st, lt;
                CountRefs(c, &st, &lt);
                if (st + lt >= NumRefFrames(c)) SlidingWindow(c);
            }
        } else {
            SlidingWindow(c);
        }
    }
    if (c->dpbCount >= c->dpbSize) RemoveUnused(c);
    if (c->outputMode == 0) {
        if (p->reference) {
            if (c->dpbCount >= kMaxDpb) RemoveUnused(c);
            if (c->dpbCount < kMaxDpb) {
                c->dpb[c->dpbCount++] = p;
                p->inBuffer = 1;
            }
        }
        H264QueueOutput(c, p);
        return;
    }
    while (c->dpbCount >= c->dpbSize) {
        uint32_t where = 0;
        H264Picture* w = SmallestWaiting(c, &where);
        if (!p->reference && !p->nonExisting && (!w || p->poc < w->poc)) {
            H264QueueOutput(c, p);
            return;
        }
        if (!w) {
            // Every store holds a reference: drop the oldest reference rather
            // than lose the new picture.
            RemoveUnused(c);
            if (c->dpbCount >= c->dpbSize) {
                Unmark(c->dpb[0]);
                RemoveUnused(c);
            }
            continue;
        }
        H264QueueOutput(c, w);
        if (!w->reference) RemoveFromDpb(c, where);
    }
    if (p->nonExisting) p->outputState = kOutHandedOut;
    c->dpb[c->dpbCount++] = p;
    p->inBuffer = 1;
}

// A store's chroma planes set to 128 as far as a picture of the active
// size reaches, where not yet: what a store holds before any picture was
// decoded into it (and what damaged pictures show) is the same as if every
// store had been set at creation.
void PrepareStoreChroma(H264DecContext* c, const H264Picture* p, uint32_t bytes) {
    const ptrdiff_t i = p - c->pictures;
    if (i < 0 || i >= ptrdiff_t(c->numPictureStores) || !p->u || !p->v) return;
    uint32_t& filled = c->chromaFilled[i];
    if (filled >= bytes) return;
    // Large pages for a store the picture nearly fills (1080p in stores
    // made for it), before its first bytes are touched, with the ends of
    // the stores beside it that share its first and last large page (they
    // hold pictures of the same size); for smaller pictures a large page
    // would mostly map memory they never use.
    const size_t span = size_t(p->v + bytes - p->y);
    if (p->y && 4 * (6 * size_t(bytes)) >= 3 * span) H264AdviseLargePages(c, p->y, span);
    std::memset(p->u + filled, 128, bytes - filled);
    std::memset(p->v + filled, 128, bytes - filled);
    filled = bytes;
}

void FillPicture(H264DecContext* c, H264Picture* p) {
    const H264SeqParamSet& s = c->activeSps;
    p->outputState = kOutDecoding;
    p->nonExisting = 0;
    p->inBuffer = 0;
    p->kind = c->sh.kind;
    p->callerValue1 = c->callerValue1;
    p->callerValue2 = c->callerValue2;
    p->width = int32_t(s.width);
    p->height = int32_t(s.height);
    p->strideY = p->width;
    p->strideC = p->width / 2;
    // The new picture and every reference the motion compensation may read
    // at this size.
    const uint32_t maxBytes = c->maxW * c->maxH * 64;
    const uint32_t chromaBytes = std::min(uint32_t(p->strideC) * uint32_t(p->height / 2), maxBytes);
    PrepareStoreChroma(c, p, chromaBytes);
    for (uint32_t i = 0; i < c->dpbCount; ++i) PrepareStoreChroma(c, c->dpb[i], chromaBytes);
    p->cropLeft = int32_t(s.cropLeft);
    p->cropRight = int32_t(s.cropRight);
    p->cropTop = int32_t(s.cropTop);
    p->cropBottom = int32_t(s.cropBottom);
    p->idr = 0;
    p->damaged = 0;
    p->nalType = c->sh.nalType;
    p->frameNum = c->sh.frameNum;
    p->reference = c->sh.nalRefIdc != 0;
    p->longTerm = 0;
    p->longTermFrameIdx = 0;
    p->mbsExpected = c->sh.sizeMbs;
    p->mbsDecoded = 0;
    p->hadMmco5 = 0;
    p->pictureType = c->interlacedHint ? int32_t(c->sh.frameNum & 1) + 1 : 0;
    p->userData = c->haveUserData ? c->userData : nullptr;
}

}  // namespace

void H264QueueOutput(H264DecContext* c, H264Picture* p) {
    if (p->nonExisting) {
        p->outputState = kOutHandedOut;
        return;
    }
    p->outputState = kOutQueued;
    c->outQueue[c->outWrite % kOutputQueue] = p->index;
    ++c->outWrite;
    c->lastOutputPoc = p->poc;
}

void H264FlushDpb(H264DecContext* c) {
    for (uint32_t i = 0; i < c->dpbCount; ++i) Unmark(c->dpb[i]);
    RemoveUnused(c);
    for (;;) {
        uint32_t where = 0;
        H264Picture* w = SmallestWaiting(c, &where);
        if (!w) break;
        H264QueueOutput(c, w);
        RemoveFromDpb(c, where);
    }
    for (uint32_t i = 0; i < c->dpbCount; ++i) c->dpb[i]->inBuffer = 0;
    c->dpbCount = 0;
    c->lastOutputPoc = INT_MIN + 1;
}

void H264ResetPictureState(H264DecContext* c) {
    for (int i = 0; i < kMaxPictures; ++i) {
        H264Picture* p = &c->pictures[i];
        p->index = i;
        p->outputState = kOutHandedOut;
        p->inBuffer = 0;
        p->reference = 0;
        p->longTerm = 0;
    }
    c->cur = nullptr;
    c->dpbCount = 0;
    c->dpbSize = 1;
    c->lastOutputPoc = INT_MIN + 1;
    c->maxLongTermFrameIdx = kNoLongTermIdx;
    c->lastHadMmco5 = 0;
    c->prevPocMsb = c->prevPocLsb = 0;
    c->prevFrameNumOffset = 0;
    c->prevFrameNum = 0;
    c->prevRefFrameNum = 0;
    c->outWrite = c->outRead = 0;
    for (int i = 0; i < kOutputQueue; ++i) c->outQueue[i] = -1;
}

void H264FinishPicture(H264DecContext* c) {
    H264Picture* p = c->cur;
    if (!p) return;
    c->cur = nullptr;
    if (p->mbsDecoded < p->mbsExpected) p->damaged = 1;
    StorePicture(c, p, c->picSh);
}

int H264StartPicture(H264DecContext* c) {
    H264FinishPicture(c);
    const H264SliceHeader& sh = c->sh;
    const H264SeqParamSet& s = c->activeSps;
    c->dpbSize = s.dpbSize;
    if (c->dpbSize > kMaxDpb) c->dpbSize = kMaxDpb;
    bool idr = sh.nalType == 5;
    if (idr || c->lastHadMmco5) c->prevRefFrameNum = 0;
    uint32_t maxFrameNum = s.maxFrameNum;
    if (!idr && sh.frameNum != c->prevRefFrameNum && sh.frameNum != (c->prevRefFrameNum + 1) % maxFrameNum) {
        uint32_t expected = (c->prevRefFrameNum + 1) % maxFrameNum;
        if (!s.gapsAllowed) {
            if (sh.frameNum < expected) return -1;
        } else {
            // Fill the gap with non-existing reference frames.
            uint32_t fn = expected;
            uint32_t guard = 0;
            while (fn != sh.frameNum && guard++ < maxFrameNum) {
                H264Picture* g = FreeStore(c);
                if (!g) break;
                FillPicture(c, g);
                g->nonExisting = 1;
                g->outputState = kOutHandedOut;
                g->reference = 1;
                g->frameNum = fn;
                g->nalType = 1;
                g->mbsDecoded = g->mbsExpected;
                static const int32_t kZero[2] = {0, 0};
                if (s.pocType != 0) ComputePoc(c, g, 1, false, fn, 0, 0, kZero);
                else g->topPoc = g->bottomPoc = g->poc = 0;
                // Gap frames are marked by the sliding window alone.
                c->picSh.nalType = 1;
                c->picSh.adaptiveRefPicMarking = 0;
                c->picSh.frameNum = fn;
                StorePicture(c, g, c->picSh);
                c->prevRefFrameNum = fn;
                fn = (fn + 1) % maxFrameNum;
            }
        }
    }
    H264Picture* p = FreeStore(c);
    if (!p) return -1;
    FillPicture(c, p);
    p->idr = idr ? 1 : 0;
    if (p->reference) c->prevRefFrameNum = sh.frameNum;
    ComputePoc(c, p, sh.nalRefIdc, idr, sh.frameNum, sh.pocLsb, sh.deltaPocBottom, sh.deltaPoc);
    c->cur = p;
    c->mbCounter = 0;
    return 0;
}

int H264BuildRefList0(H264DecContext* c) {
    c->wrapFrameNum = c->sh.frameNum;
    H264Picture* st[kMaxDpb];
    H264Picture* lt[kMaxDpb];
    uint32_t ns = 0, nl = 0;
    for (uint32_t i = 0; i < c->dpbCount; ++i) {
        H264Picture* p = c->dpb[i];
        if (!p->reference) continue;
        p->frameNumWrap = FrameNumWrap(c, p);
        if (p->longTerm) lt[nl++] = p;
        else st[ns++] = p;
    }
    // Short-term by PicNum descending, long-term by LongTermPicNum ascending.
    for (uint32_t i = 1; i < ns; ++i)
        for (uint32_t j = i; j > 0 && st[j]->frameNumWrap > st[j - 1]->frameNumWrap; --j) {
            H264Picture* t = st[j]; st[j] = st[j - 1]; st[j - 1] = t;
        }
    for (uint32_t i = 1; i < nl; ++i)
        for (uint32_t j = i; j > 0 && lt[j]->longTermFrameIdx < lt[j - 1]->longTermFrameIdx; --j) {
            H264Picture* t = lt[j]; lt[j] = lt[j - 1]; lt[j - 1] = t;
        }
    uint32_t n = 0;
    for (uint32_t i = 0; i < ns; ++i) c->refList0[n++] = st[i];
    for (uint32_t i = 0; i < nl; ++i) c->refList0[n++] = lt[i];
    if (n == 0) {
        c->refList0Size = 0;
        return -1;
    }
    uint32_t active = c->sh.numRefIdxL0Minus1 + 1;
    c->refList0Size = n < active ? n : active;
    for (uint32_t i = c->refList0Size; i < 33; ++i) c->refList0[i] = c->refList0[0];
    return 0;
}

void H264ModifyRefList0(H264DecContext* c) {
    const H264SliceHeader& sh = c->sh;
    c->wrapFrameNum = sh.frameNum;
    if (!sh.refListModification) return;
    int32_t maxFrameNum = int32_t(c->activeSps.maxFrameNum);
    int32_t currPicNum = int32_t(sh.frameNum);
    int32_t pred = currPicNum;
    uint32_t num = sh.numRefIdxL0Minus1;  // last active index
    uint32_t refIdx = 0;
    for (uint32_t k = 0; k < sh.numModOps && refIdx <= num; ++k) {
        H264Picture* pic = nullptr;
        bool isLong = sh.modIdc[k] == 2;
        int32_t picNum = 0;
        if (!isLong) {
            int32_t abs = int32_t(sh.modValue[k] % uint32_t(maxFrameNum)) + 1;
            int32_t noWrap;
            if (sh.modIdc[k] == 0) {
                noWrap = pred - abs;
                if (noWrap < 0) noWrap += maxFrameNum;
            } else {
                noWrap = pred + abs;
                if (noWrap >= maxFrameNum) noWrap -= maxFrameNum;
            }
            pred = noWrap;
            picNum = noWrap > currPicNum ? noWrap - maxFrameNum : noWrap;
            pic = FindShortTerm(c, picNum);
        } else {
            pic = FindLongTerm(c, sh.modValue[k]);
        }
        if (!pic) continue;
        for (uint32_t i = num + 1; i > refIdx; --i) c->refList0[i] = c->refList0[i - 1];
        c->refList0[refIdx++] = pic;
        uint32_t n = refIdx;
        for (uint32_t i = refIdx; i <= num + 1; ++i) {
            H264Picture* q = c->refList0[i];
            bool same = isLong ? (q->reference && q->longTerm && q == pic)
                               : (q->reference && !q->longTerm && q == pic);
            if (!same) c->refList0[n++] = q;
        }
    }
    c->refList0Size = num + 1;
    for (uint32_t i = c->refList0Size; i < 33; ++i) c->refList0[i] = c->refList0[0];
}
