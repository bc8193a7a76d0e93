// Inside Orvik.dll the media pipeline's lines go to the SDK log.
#include "core/Log.h"
#include "media/media_log.h"

namespace {

void ToSdkLog(const char* line) { SDK_LOG("%s", line); }

struct Install {
    Install() { orvik::SetMediaLogSink(ToSdkLog); }
} g_install;

}  // namespace
