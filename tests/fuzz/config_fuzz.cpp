// libFuzzer target over the loading rules of the client's configuration
// images, SysCfg.dat and LocalPlans.dat: the size and magic check of a
// file's bytes and the repair of an image read whole.
//
// Input: the mode (0 a SysCfg.dat image, 1 a LocalPlans.dat image, each
// filled by repeating the rest of the input; 2 the rest as a file of any
// size), then the bytes.
//
// Properties: only bytes of exactly the image's size with the magic are
// taken; after a repair every text ends within its field, every count,
// layout and reference is in range, the run-time fields are clear, and a
// second repair finds nothing to do.
#include <cstring>
#include <memory>

#include "config_image.h"
#include "fuzz_input.h"

namespace {

using namespace shell;

template <size_t N>
void Terminated(const char (&text)[N]) {
    if (!std::memchr(text, 0, N)) fuzz::Fail("text not terminated", long(N));
}

void CheckSysConfig(SystemConfigImage& image) {
    RepairSysConfig(image);
    Terminated(image.savedUser);
    Terminated(image.savedPassword);
    if (image.splitLayout > 9) fuzz::Fail("split layout");
    for (const LocalUserRecord& u : image.users) {
        Terminated(u.name);
        Terminated(u.password);
    }
    for (const DeviceRecord& d : image.devices) {
        Terminated(d.address);
        Terminated(d.serverName);
        Terminated(d.userName);
        Terminated(d.password);
        if (d.state || d.loginId || d.channelBlocks) fuzz::Fail("run-time fields");
        if (d.linkType > 2 || d.channelCount > 64) fuzz::Fail("device ranges");
    }
    for (const LogicalChannelEntry& c : image.channels)
        if (c.deviceRef > 36) fuzz::Fail("device reference");
    for (const WindowChannelList& w : image.windows) {
        if (w.count > 64) fuzz::Fail("window count");
        for (uint32_t i = 0; i < w.count; ++i)
            if (w.slots[i] > 63) fuzz::Fail("window slot");
        if (w.count && w.position >= w.count) fuzz::Fail("window position");
    }
    if (RepairSysConfig(image) != 0) fuzz::Fail("second repair of SysCfg.dat");
}

void CheckPlans(PlanImage& image) {
    RepairPlans(image);
    for (const PlanSlot& s : image.slots) {
        Terminated(s.date);
        Terminated(s.userName);
        Terminated(s.name);
        for (const PlanWindow& w : s.windows)
            for (const PlanChannel& c : w.channels) Terminated(c.address);
    }
    if (RepairPlans(image) != 0) fuzz::Fail("second repair of LocalPlans.dat");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static SystemConfigImage* sys = new SystemConfigImage;
    static PlanImage* plans = new PlanImage;
    fuzz::Input in(data, size);
    const uint8_t mode = in.Byte() % 3;
    const uint8_t* rest = in.Rest();
    const size_t n = in.Left();
    if (mode == 0) {
        fuzz::Fill(sys, sizeof *sys, rest, n);
        const uint8_t* bytes = reinterpret_cast<const uint8_t*>(sys);
        ImageCheck c = CheckSysConfigBytes(bytes, sizeof *sys);
        if ((c == ImageCheck::Ok) != (std::memcmp(bytes, "RIMC", 4) == 0)) fuzz::Fail("magic check");
        // A file that is refused gets defaults, which need no repair.
        if (c != ImageCheck::Ok) {
            ResetSysConfig(*sys);
            if (RepairSysConfig(*sys) != 0) fuzz::Fail("defaults need repair");
        }
        CheckSysConfig(*sys);
    } else if (mode == 1) {
        fuzz::Fill(plans, sizeof *plans, rest, n);
        CheckPlans(*plans);
    } else {
        fuzz::Exact file(rest, n);
        ImageCheck c = CheckSysConfigBytes(file.data(), file.size());
        if (n != sizeof(SystemConfigImage) && c != ImageCheck::WrongSize) fuzz::Fail("size check");
    }
    return 0;
}
