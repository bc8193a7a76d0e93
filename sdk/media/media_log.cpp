#include "media_log.h"

#include <windows.h>

#include <atomic>

namespace orvik {

namespace {
std::atomic<MediaLogSink> g_sink{nullptr};
}

void SetMediaLogSink(MediaLogSink sink) { g_sink.store(sink); }

void MediaLog(const char* line) {
    if (MediaLogSink s = g_sink.load()) {
        s(line);
        return;
    }
    OutputDebugStringA(line);
    OutputDebugStringA("\n");
}

}  // namespace orvik
