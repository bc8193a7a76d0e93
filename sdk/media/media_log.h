// Log lines of the media pipeline. They go to the debugger output; the SDK
// log takes them over through SetMediaLogSink once it is running.
#pragma once

namespace orvik {

using MediaLogSink = void (*)(const char* line);
void SetMediaLogSink(MediaLogSink sink);
void MediaLog(const char* line);

}  // namespace orvik
