// Remote record playback: the state of one record file played from a
// device in one playback pane. The session keeps the requested file name,
// the session id the device assigns, a five-step speed state, the device's
// progress reports and a 2 MiB buffer that gathers the device's data
// messages.
//
// Nothing in the client carries remote playback yet: no open request goes to
// the device and no device message reaches OnDeviceMessage. A transport
// would send the file name to the device of loginId after Start and pass
// every device message of the session in with its code and bytes.
//
// Threads: the panel calls everything on the UI thread; OnDeviceMessage may
// come from a transport's thread. The buffer and its fill are guarded by
// one lock that Stop and FreeBuffer take as well.
#pragma once

#include <cstddef>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

namespace record {

// Device message codes the session reads.
enum : uint32_t {
    kRemoteOpenReply = 2023,
    kRemoteData = 3006,
    kRemoteProgress = 3007,
};
constexpr uint32_t kRemoteBufferSize = 0x200000;
constexpr uint32_t kRemoteMessageHeader = 16;
constexpr uint32_t kRemoteOpenReplySize = 81;   // through the session id at 77
constexpr uint32_t kRemoteFileNameField = 65;

// SetParam's parameters. Numbers are passed as a pointer to a u32, the file
// name as a NUL-terminated text, the window as the handle itself.
enum RemoteParam {
    kParamLoginId = 1,
    kParamChannelId = 2,
    kParamFileName = 3,
    kParamMode = 5,
    kParamNotifyWindow = 6,
    kParamTotalSeconds = 7,
};

// The play-session interface the panel drives without knowing the kind of
// session. Slots are in the interface's fixed order; the reserved ones have
// no meaning for remote playback.
class CPlaySession {
public:
    virtual ~CPlaySession() = default;
    virtual uint32_t GetKind() = 0;                                        // 0
    virtual void Release() = 0;                                            // 1
    virtual void ChangeSpeed(bool faster) = 0;                             // 2
    virtual int GetSpeedLevel() = 0;                                       // 3
    virtual int Reserved4() = 0;                                           // 4
    virtual int Reserved5() = 0;                                           // 5
    virtual uint32_t GetPlayTime() = 0;                                    // 6
    virtual uint32_t GetTotalTime() = 0;                                   // 7
    virtual uint32_t GetPosition() = 0;                                    // 8
    virtual int SetPosition(uint32_t perMille) = 0;                        // 9
    virtual int Reserved10(uint32_t) = 0;                                  // 10
    virtual void Reserved11(uint32_t, uint32_t) = 0;                       // 11
    virtual void Reserved12(uint32_t, uint32_t, uint32_t) = 0;             // 12
    virtual int Pause(int on) = 0;                                         // 13
    virtual int StepFrame() = 0;                                           // 14
    virtual int Reserved15(uint32_t, uint32_t, uint32_t, uint32_t) = 0;    // 15
    virtual int Reserved16() = 0;                                          // 16
    virtual int Reserved17() = 0;                                          // 17
    virtual int Reserved18() = 0;                                          // 18
    virtual int Reserved19(const char*) = 0;                               // 19
    virtual void Reserved20(uint32_t) = 0;                                 // 20
    virtual int OnDeviceMessage(uint32_t code, const uint8_t* message, uint32_t length) = 0;  // 21
    virtual int Stop() = 0;                                                // 22
    virtual int Start(void* window) = 0;                                   // 23
    virtual int Resume() = 0;                                              // 24
    virtual int Reserved25(const char*) = 0;                               // 25
    virtual int Reserved26() = 0;                                          // 26
    virtual void SetParam(int which, const void* value) = 0;               // 27
    virtual void FreeBuffer() = 0;                                         // 28
};

class CRemotePlaySession : public CPlaySession {
public:
    CRemotePlaySession();
    ~CRemotePlaySession() override;
    CRemotePlaySession(const CRemotePlaySession&) = delete;
    CRemotePlaySession& operator=(const CRemotePlaySession&) = delete;

    uint32_t GetKind() override { return 2; }
    void Release() override {}
    void ChangeSpeed(bool faster) override;
    int GetSpeedLevel() override;
    int Reserved4() override { return 0; }
    int Reserved5() override { return 0; }
    uint32_t GetPlayTime() override { return playTime_; }
    uint32_t GetTotalTime() override { return totalSeconds_; }
    uint32_t GetPosition() override { return position_; }
    int SetPosition(uint32_t perMille) override;
    int Reserved10(uint32_t) override { return 0; }
    void Reserved11(uint32_t, uint32_t) override {}
    void Reserved12(uint32_t, uint32_t, uint32_t) override {}
    int Pause(int) override { return 1; }
    int StepFrame() override { return 1; }
    int Reserved15(uint32_t, uint32_t, uint32_t, uint32_t) override { return 0; }
    int Reserved16() override { return 0; }
    int Reserved17() override { return 0; }
    int Reserved18() override { return 0; }
    int Reserved19(const char*) override { return 0; }
    void Reserved20(uint32_t) override {}
    // 2023 open reply, 3006 data, 3007 progress; other codes are ignored.
    // length is the number of bytes message points to. Always 1.
    int OnDeviceMessage(uint32_t code, const uint8_t* message, uint32_t length) override;
    // 0. While active: waits 200 ms, frees the buffer, back to idle.
    int Stop() override;
    // 1. Makes the session active without a session id; the window is not
    // kept.
    int Start(void* window) override;
    int Resume() override { return 1; }
    int Reserved25(const char*) override { return 1; }
    int Reserved26() override { return 0; }
    void SetParam(int which, const void* value) override;
    void FreeBuffer() override;

    // What tests and the panel read.
    bool IsActive() const { return active_; }
    uint32_t SessionId() const { return sessionId_; }
    uint32_t SpeedState() const { return speedState_; }
    uint32_t Fill();
    bool HasBuffer();
    // Copies up to size gathered bytes from offset; the number copied.
    size_t ReadGathered(size_t offset, uint8_t* out, size_t size);
    const std::string& FileName() const { return fileName_; }
    uint32_t LoginId() const { return loginId_; }
    uint32_t ChannelId() const { return channelId_; }
    uint32_t Mode() const { return mode_; }
    void* NotifyWindow() const { return notifyWindow_; }

private:
    void OnOpenReply(const uint8_t* m, uint32_t length);
    void OnData(const uint8_t* m, uint32_t length);
    void OnProgress(const uint8_t* m, uint32_t length);

    // Parameters and speed: the UI thread's. The state the device's messages
    // change is atomic; the buffer and its fill are under lock_.
    uint32_t channelId_ = 0;
    std::atomic<bool> active_{false};
    std::string fileName_;
    uint32_t loginId_ = 0;
    uint32_t mode_ = 0;
    std::atomic<uint32_t> sessionId_{0};
    uint32_t speedState_ = 0;
    std::unique_ptr<uint8_t[]> buffer_;
    uint32_t fill_ = 0;
    std::atomic<uint32_t> playTime_{0};
    std::atomic<uint32_t> position_{0};
    uint32_t totalSeconds_ = 0;
    void* notifyWindow_ = nullptr;
    std::mutex lock_;
};

// Level of a speed state: 1 -> 0, 2 -> -1, 3 -> -2, 4 -> 1, 5 -> 2, others 0.
int RemoteSpeedLevel(uint32_t state);
// The next state of the ladder; a state outside 1..5 becomes 1.
uint32_t RemoteSpeedStep(uint32_t state, bool faster);

}  // namespace record
