// devsim: a simulated device on a loopback address, for trying the client
// and the SDK without a camera.
//   devsim [--address 127.0.0.x] [--port N] [--standard] [--mtu N]
//          [--main clip.264] [--sub clip.264] [--audio tone.pcma] [--pcmu]
//          [--fps N] [--full-speed]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "DeviceSimulator.h"

int main(int argc, char** argv) {
    devsim::Config config;
    config.port = 36688;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto next = [&]() -> const char* { return i + 1 < argc ? argv[++i] : ""; };
        if (a == "--address") config.address = next();
        else if (a == "--port") config.port = (unsigned short)std::atoi(next());
        else if (a == "--standard") config.mode = devsim::Packetization::Standard;
        else if (a == "--mtu") config.maxPayload = size_t(std::atoi(next()));
        else if (a == "--main") config.mainClip = next();
        else if (a == "--sub") config.subClip = next();
        else if (a == "--audio") config.audioFile = next();
        else if (a == "--pcmu") config.audioCodec = 2;
        else if (a == "--fps") config.fps = unsigned(std::atoi(next()));
        else if (a == "--full-speed") config.fullSpeed = true;
        else {
            std::fprintf(stderr, "unknown option %s\n", a.c_str());
            return 2;
        }
    }
    if (config.maxPayload < 16) config.maxPayload = 16;
    devsim::Simulator sim(config);
    if (!sim.Start()) {
        std::fprintf(stderr, "devsim: cannot serve %s:%u (clip %s)\n", config.address.c_str(),
                     unsigned(config.port), config.mainClip.c_str());
        return 1;
    }
    std::printf("devsim: serving rtsp://%s:%u/ch00_00.h264 and the other streams; Enter stops\n",
                config.address.c_str(), unsigned(sim.Port()));
    std::fflush(stdout);
    std::getchar();
    sim.Stop();
    return 0;
}
