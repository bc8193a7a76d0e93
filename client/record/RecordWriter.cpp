#include "RecordWriter.h"

#include <chrono>
#include <cstdio>

namespace record {
namespace {

std::string UpperRoot(std::string root) {
    for (char& c : root)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return root;
}

}  // namespace

CRecordWriter::CRecordWriter(CFrameQueue& queue, IRecordHost& host, RecordWriterOptions options)
    : queue_(queue), host_(host), options_(std::move(options)) {
    if (!options_.openFile)
        options_.openFile = CreateRecordFileSink;
    if (!options_.onWriterThreadStart)
        options_.onWriterThreadStart = RaiseCurrentThreadPriority;
}

CRecordWriter::~CRecordWriter() {
    StopThread();
    for (int i = 0; i < kRecordChannels; ++i)
        if (files_[i].file)
            StopRecord(i);
}

bool CRecordWriter::StartRecord(int slot, int recordType, int preFrames) {
    if (!ValidSlot(slot) || slot >= host_.ChannelCount())
        return false;
    RecordChannelInfo info;
    if (!host_.GetChannel(slot, info))
        return false;
    {
        std::lock_guard<std::recursive_mutex> hold(lock_);
        if (files_[slot].recording)
            return true;
    }
    if (!host_.EnsureStreamStarted(slot))
        return false;

    const std::string name =
        info.hasChannelName ? info.channelName : DefaultChannelName(Tr("Channel"), info.channelIndex);
    std::string path = host_.MakeRecordFilePath(info.address, info.channelIndex, name, recordType);
    if (path.empty()) {
        if (!host_.CleanUpRecordDisk()) {
            host_.LocalLog(Tr("Disk Clean Up Fail,") + " " + Tr("Please Manually Clean Up!"));
            return false;
        }
        path = host_.MakeRecordFilePath(info.address, info.channelIndex, name, recordType);
        if (path.empty())
            return false;
    }

    std::lock_guard<std::recursive_mutex> hold(lock_);
    ChannelRecordFile& f = files_[slot];
    bool result = false;
    if (f.file) {
        // A file left open without a recording (cannot normally happen).
        if (!f.file->Close()) {
            char line[64];
            std::snprintf(line, sizeof line, " %02d ", slot + 1);
            host_.LocalLog(Tr("!!!Exception:End Record!!! Logic Channel:") + line + Tr("Type:") + " " +
                           std::to_string(f.recordType) + " " + Tr("File:") + " " + f.path);
        }
        f.file.reset();
    }
    std::unique_ptr<IRecordFileSink> file = options_.openFile(path);
    if (file) {
        RecordFileHeader header = MakeRecordFileHeader(info.videoStandard != 0);
        uint8_t raw[kRecordFileHeaderSize];
        StoreRecordFileHeader(header, raw);
        if (file->Append(raw, sizeof raw) == long(sizeof raw)) {
            f.file = std::move(file);
            f.recording = true;
            f.recordType = recordType;
            f.startTick = host_.TickMs();
            f.bytesWritten = kRecordFileHeaderSize;
            f.frameNumber = 0;
            f.writeErrors = 0;
            f.root = path.substr(0, 3);
            f.path = path;
            f.header = header;
            host_.SetRecordingFlag(slot, true);
            host_.ResetVideoFrameCounter(slot);
            queue_.StartRecord(slot, preFrames);
            host_.ShowRecordState(slot, true, false);
            host_.SendStreamStarted(slot);
            Signal(slot);  // the pre-recorded frames are waiting already
            result = true;
        } else {
            file->Close();
            host_.LocalLog(Tr("Write record file header error!") + " " + path);
        }
    }
    host_.UpdateRecordMark(slot, false);
    return result;
}

void CRecordWriter::StopRecord(int slot, bool fromWriter) {
    if (!ValidSlot(slot))
        return;
    queue_.StopRecord(slot);
    {
        std::lock_guard<std::recursive_mutex> hold(lock_);
        ChannelRecordFile& f = files_[slot];
        f.recording = false;
        host_.SetRecordingFlag(slot, false);
        if (f.file) {
            f.header.recordSeconds = (host_.TickMs() - f.startTick) / 1000;
            uint8_t raw[kRecordFileHeaderSize];
            StoreRecordFileHeader(f.header, raw);
            bool ok = f.file->RewriteStart(raw, sizeof raw);
            ok = f.file->Flush() && ok;
            ok = f.file->Close() && ok;
            if (!ok)
                host_.LocalLog(Tr("!!!Exception:End Record!!! File:") + " " + f.path);
            f.file.reset();
        }
        host_.UpdateRecordMark(slot, fromWriter);
    }
    host_.ShowRecordState(slot, false, fromWriter);
}

void CRecordWriter::Signal(int slot) {
    if (!ValidSlot(slot))
        return;
    {
        std::lock_guard<std::mutex> hold(eventLock_);
        signalled_ |= uint64_t(1) << slot;
    }
    eventCv_.notify_one();
}

bool CRecordWriter::StartThread() {
    if (thread_.joinable())
        return true;
    stop_ = false;
    exited_ = false;
    thread_ = std::thread([this] {
        RecordLoop();
        std::lock_guard<std::mutex> hold(exitLock_);
        exited_ = true;
        exitCv_.notify_all();
    });
    return true;
}

bool CRecordWriter::StopThread(uint32_t timeoutMs) {
    if (!thread_.joinable())
        return true;
    stop_ = true;
    Signal(0);
    bool left;
    {
        std::unique_lock<std::mutex> hold(exitLock_);
        left = exitCv_.wait_for(hold, std::chrono::milliseconds(timeoutMs), [this] { return exited_; });
    }
    if (left)
        thread_.join();
    else
        thread_.detach();  // it ends on its own when its write returns
    return left;
}

uint32_t CRecordWriter::RecordLoop() {
    if (options_.onWriterThreadStart)
        options_.onWriterThreadStart();
    while (!stop_) {
        uint64_t mask;
        {
            std::unique_lock<std::mutex> hold(eventLock_);
            eventCv_.wait(hold, [this] { return signalled_ != 0 || stop_; });
            mask = signalled_;
            signalled_ = 0;
        }
        // Every signalled channel is served, a frame from each in turn, so a
        // busy channel cannot hold back the others.
        const int count = host_.ChannelCount();
        uint64_t active = 0;
        for (int i = 0; i < kRecordChannels && i < count; ++i)
            active |= mask & (uint64_t(1) << i);
        while (active && !stop_) {
            for (int i = 0; i < kRecordChannels && !stop_; ++i) {
                const uint64_t bit = uint64_t(1) << i;
                if ((active & bit) && !WriteNextFrame(i))
                    active &= ~bit;
            }
        }
    }
    return kRecordLoopExit;
}

bool CRecordWriter::WriteNextFrame(int slot) {
    std::lock_guard<std::recursive_mutex> hold(lock_);
    ChannelRecordFile& f = files_[slot];
    // Taken under the record lock: a file started meanwhile begins with its
    // own first frame, never one released for the file before it.
    if (!queue_.Take(slot, frame_))
        return false;
    if (frame_.LostBefore()) {
        char line[32];
        std::snprintf(line, sizeof line, " %02d ", slot + 1);
        host_.LocalLog(Tr("Record frames lost! Logic Channel:") + line + Tr("Frames:") + " " +
                       std::to_string(frame_.LostBefore()));
    }
    if (!f.recording || !f.file)
        return true;
    const uint32_t size = frame_.Size();
    frame_.SetFrameNumber(f.frameNumber + 1);
    long done = f.file->Append(frame_.Data(), size);
    if (done == long(size)) {
        f.writeErrors = 0;
        f.bytesWritten += size;
        ++f.frameNumber;
        ++f.header.frameCount;
        host_.AddChannelBytes(slot, size);
        return true;
    }
    // Leave no torn frame behind: cut the file back to the last whole frame.
    if (done > 0)
        f.file->Truncate(f.bytesWritten);
    OnWriteError(slot, f);
    return true;
}

void CRecordWriter::OnWriteError(int slot, ChannelRecordFile& f) {
    if (++f.writeErrors < uint32_t(kWriteErrorLimit))
        return;
    const std::string root = UpperRoot(f.root);
    const std::string path = f.path;
    StopRecord(slot, true);
    host_.MarkDriveFailed(root);
    f.writeErrors = 0;
    host_.AddDiskErrorRow(slot, root, path, Tr("Write record file error, jump disk:") + " " + root);
}

bool CRecordWriter::IsRecording(int slot) const {
    if (!ValidSlot(slot))
        return false;
    std::lock_guard<std::recursive_mutex> hold(lock_);
    return files_[slot].recording;
}

RecordFileState CRecordWriter::FileState(int slot) const {
    RecordFileState s;
    if (!ValidSlot(slot))
        return s;
    std::lock_guard<std::recursive_mutex> hold(lock_);
    const ChannelRecordFile& f = files_[slot];
    s.open = f.file != nullptr;
    s.recordType = f.recordType;
    s.startTick = f.startTick;
    s.path = f.path;
    s.root = f.root;
    s.bytesWritten = f.bytesWritten;
    s.frameCount = f.header.frameCount;
    s.writeErrors = f.writeErrors;
    return s;
}

}  // namespace record
