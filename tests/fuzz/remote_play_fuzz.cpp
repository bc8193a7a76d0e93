// libFuzzer target over remote record playback as it reads the device: a
// session fed an arbitrary sequence of device messages, and the record
// length the panel works out from a remote record's times.
//
// Input: the file name the session asks for (a length byte, then the
// name), then messages, each a selector byte (the code: open reply, data,
// progress or another), a 16-bit length and that many bytes (fewer at the
// input's end).
//
// Properties: nothing is read past a message; the session id is taken once,
// from an open reply naming the requested file; the progress only changes
// with a progress report of the session; the gathered bytes never pass the
// buffer, and the data of a message taken ends the gathered bytes; a
// record's length is 0 exactly when its end is not after its begin and a
// file's length from its times of day stays under a day.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <memory>
#include <string>

#include "PlaybackCore.h"
#include "RemotePlaySession.h"
#include "fuzz_input.h"

namespace {

using namespace record;

uint32_t U32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

bool SameName(const std::string& a, const uint8_t* field) {
    const size_t n = strnlen(reinterpret_cast<const char*>(field), kRemoteFileNameField);
    if (n != a.size()) return false;
    for (size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(field[i])) return false;
    return true;
}

LocalTime Time(fuzz::Input& in) {
    LocalTime t;
    // Fields as a device's record list carries them: 16-bit numbers.
    t.year = int(in.Word());
    t.month = int(in.Word());
    t.day = int(in.Word());
    t.hour = int(in.Word());
    t.minute = int(in.Word());
    t.second = int(in.Word());
    return t;
}

bool TimeOfDay(const LocalTime& t) { return t.hour < 24 && t.minute < 60 && t.second < 60; }

void CheckTimes(fuzz::Input& in) {
    const LocalTime a = Time(in), b = Time(in);
    const uint32_t ab = RemoteRecordSeconds(a, b), ba = RemoteRecordSeconds(b, a);
    if (ab && ba) fuzz::Fail("both records have a length", long(ab), long(ba));
    if (RemoteRecordSeconds(a, a) != 0) fuzz::Fail("a record ending at its begin has a length");
    if (TimeOfDay(a) && TimeOfDay(b) && RecordSecondsBetween(a, b) >= 24 * 3600)
        fuzz::Fail("file length of a day or more", long(RecordSecondsBetween(a, b)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Input in(data, size);
    CheckTimes(in);
    const uint8_t* name;
    const size_t nameLength = in.Take(in.Byte() % 80, &name);
    const std::string fileName(reinterpret_cast<const char*>(name), strnlen(reinterpret_cast<const char*>(name), nameLength));

    CRemotePlaySession s;
    s.SetParam(kParamFileName, fileName.c_str());
    s.Start(nullptr);
    std::unique_ptr<uint8_t[]> tail(new uint8_t[0x10000]);
    static const uint32_t kCodes[] = {kRemoteOpenReply, kRemoteData, kRemoteProgress, 0};
    while (in.Left()) {
        const uint32_t code = kCodes[in.Byte() % 4];
        const uint8_t* p;
        const size_t n = in.Take(in.Word(), &p);
        fuzz::Exact m(p, n);
        const uint32_t idBefore = s.SessionId(), timeBefore = s.GetPlayTime(), posBefore = s.GetPosition();
        const uint32_t fillBefore = s.Fill();
        if (s.OnDeviceMessage(code, m.data(), uint32_t(n)) != 1) fuzz::Fail("message not answered with 1");
        const uint32_t fill = s.Fill();
        if (fill > kRemoteBufferSize) fuzz::Fail("gathered past the buffer", long(fill));
        if (s.SessionId() != idBefore) {
            if (code != kRemoteOpenReply || idBefore != 0 || n < kRemoteOpenReplySize || U32(p + 73) != 0 ||
                !SameName(fileName, p + 8) || s.SessionId() != U32(p + 77))
                fuzz::Fail("session id taken from another message");
        }
        if ((s.GetPlayTime() != timeBefore || s.GetPosition() != posBefore) &&
            (code != kRemoteProgress || n < 20 || U32(p + 8) != s.SessionId()))
            fuzz::Fail("progress from another message");
        const size_t taken = n >= kRemoteMessageHeader ? std::min<size_t>(U32(p + 4), n) : 0;
        const bool accepted = code == kRemoteData && taken >= kRemoteMessageHeader && U32(p + 8) == s.SessionId();
        if (!accepted && fill != fillBefore) fuzz::Fail("data gathered from another message");
        if (accepted) {
            const size_t k = taken - kRemoteMessageHeader;
            if (fill < k) fuzz::Fail("message data not gathered", long(fill), long(k));
            if (s.ReadGathered(fill - k, tail.get(), k) != k ||
                (k && std::memcmp(tail.get(), p + kRemoteMessageHeader, k) != 0))
                fuzz::Fail("gathered bytes differ from the message");
        }
    }
    return 0;
}
