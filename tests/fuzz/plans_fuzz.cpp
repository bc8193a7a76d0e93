// libFuzzer target over the rules that read plans stored in the client's
// files: playing a preview plan slot of LocalPlans.dat and looking up plan
// names, and the edits of the weekly recording schedule of SysCfg.dat.
//
// Input: the mode byte (even: a preview plan slot, odd: the schedule).
// Preview plan: the slot's bytes (the rest of the input repeated), with a
// plan name to look up taken from the input's first bytes. Schedule: one
// channel's week (224 bytes), then operations, each an operation byte and
// signed channel, day and entry numbers.
//
// Properties: a slot that is not playable touches nothing; playing opens at
// most 20 channels per window, each with an address that ends within its
// field and is the field's text; a name is only found where a slot holds
// it; the schedule's counts stay within four and agree with the first free
// entry; an edit with an index out of range changes nothing; a deletion
// changes only its day, a copy only the days or channels asked for.
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "config_image.h"
#include "fuzz_input.h"
#include "local_work_plan.h"
#include "preview_plan.h"

namespace {

using namespace shell;

class Recorder : public PlanTarget {
public:
    const PlanSlot* slot = nullptr;
    int calls = 0, layout = 0;
    int opened[kMonitorWindows] = {};
    int next[kMonitorWindows] = {};
    bool WindowShowsChannel(int window) override {
        InRange(window);
        return opened[window] > 0;
    }
    void CloseWindowView(int window) override {
        InRange(window);
        ++calls;
    }
    void ConnectAll() override { ++calls; }
    void ArrangeWindows(int layoutKind) override {
        ++calls;
        layout = layoutKind;
        if (layoutKind < 1 || layoutKind > 10) fuzz::Fail("layout kind", layoutKind);
    }
    void OpenChannelInWindow(const char* address, int channel, int window) override {
        InRange(window);
        ++calls;
        if (++opened[window] > kPlanWindowChannels) fuzz::Fail("too many channels in a window", window);
        // The next channel in use of the window: its address, bounded to the field.
        const PlanWindow& w = slot->windows[window];
        int& at = next[window];
        while (at < kPlanWindowChannels && !w.channels[at].used) ++at;
        if (at >= kPlanWindowChannels) fuzz::Fail("a channel opened that the window does not hold", window);
        const PlanChannel& c = w.channels[at++];
        const size_t field = sizeof c.address;
        const size_t len = strnlen(address, field);
        if (len >= field) fuzz::Fail("address not terminated within its field", window);
        if (len != std::min(strnlen(c.address, field), field - 1) || std::memcmp(address, c.address, len) != 0)
            fuzz::Fail("address not the field's text", window);
        if (uint32_t(channel) != c.channel) fuzz::Fail("channel not the field's", window);
    }
    void SetWindowRecordOn(int window) override {
        InRange(window);
        ++calls;
        if (!slot->windows[window].record) fuzz::Fail("recording on for a window without it", window);
    }

private:
    static void InRange(int window) {
        if (window < 0 || window >= kMonitorWindows) fuzz::Fail("window out of range", window);
    }
};

void PreviewPlan(const uint8_t* p, size_t n) {
    static PlanImage* image = [] {
        PlanImage* i = new PlanImage;
        std::memset(i, 0, sizeof *i);
        std::strcpy(i->slots[3].name, "Lobby");
        return i;
    }();
    PlanSlot& slot = image->slots[kLastPlayPlanSlot];
    fuzz::Fill(&slot, sizeof slot, p, n);
    Recorder r;
    r.slot = &slot;
    const bool played = PlayPlanSlot(slot, r);
    if (played != PlanPlayable(slot)) fuzz::Fail("played a slot that is not playable");
    if (!played && r.calls) fuzz::Fail("a slot not played touched the windows", r.calls);
    if (played && r.layout != int(slot.layoutKind)) fuzz::Fail("layout not the slot's");
    // Every channel opened is one in use in a window in use, in order.
    for (int w = 0; w < kMonitorWindows; ++w) {
        int used = 0;
        if (slot.windows[w].used)
            for (const PlanChannel& c : slot.windows[w].channels) used += c.used ? 1 : 0;
        if (played && r.opened[w] != used) fuzz::Fail("channels opened differ from the slot's", w, r.opened[w]);
    }
    // A name is found only where a slot holds it.
    const size_t k = n < sizeof slot.name + 8 ? n : sizeof slot.name + 8;
    const std::string name(reinterpret_cast<const char*>(p), strnlen(reinterpret_cast<const char*>(p), k));
    bool held = false;
    for (const PlanSlot& s : image->slots)
        held = held || (name.size() < sizeof s.name && strnlen(s.name, sizeof s.name) == name.size() &&
                        std::memcmp(s.name, name.data(), name.size()) == 0);
    if (PlanNameTaken(*image, name.c_str()) != held) fuzz::Fail("plan name lookup", long(name.size()));
    const int free = FirstFreeNamedPlanSlot(*image);
    if (free < -1 || free >= kLastPlayPlanSlot || (free >= 0 && image->slots[free].used))
        fuzz::Fail("first free plan slot", free);
}

int Signed(fuzz::Input& in) { return int(int8_t(in.Byte())); }

void Schedule(fuzz::Input& in) {
    static LocalWorkPlan* plan = new LocalWorkPlan;
    static LocalWorkPlan* before = new LocalWorkPlan;
    std::memset(plan, 0, sizeof *plan);
    const int source = in.Byte() % kPlanChannels;
    const uint8_t* week = nullptr;
    const size_t weekBytes = in.Take(sizeof plan->entries[0], &week);
    fuzz::Fill(plan->entries[source], sizeof plan->entries[0], week, weekBytes);
    for (int steps = 0; in.Left() && steps < 64; ++steps) {
        const uint8_t op = in.Byte() % 4;
        const int channel = Signed(in), day = Signed(in), entry = Signed(in);
        const uint32_t mask = in.Byte();
        std::memcpy(before, plan, sizeof *plan);
        const bool valid = ValidPlanDay(channel, day);
        const int count = CountPlanEntries(*plan, channel, day);
        const int first = FirstFreePlanEntry(*plan, channel, day);
        if (count < 0 || count > kPlanEntries) fuzz::Fail("entry count", count);
        if (valid ? first != (count < kPlanEntries ? count : -1) : (count != 0 || first != -1))
            fuzz::Fail("first free entry and count differ", count, first);
        if (op == 0) {
            const bool done = DeletePlanEntry(*plan, channel, day, entry);
            if (done != (valid && entry >= 0 && entry < kPlanEntries)) fuzz::Fail("deletion taken", entry);
            if (done) {
                WorkPlanEntry* e = before->entries[channel][day];
                const WorkPlanEntry* a = plan->entries[channel][day];
                if (std::memcmp(a, e, sizeof(WorkPlanEntry) * size_t(entry)) != 0 ||
                    std::memcmp(a + entry, e + entry + 1, sizeof(WorkPlanEntry) * size_t(kPlanEntries - 1 - entry)) != 0 ||
                    a[kPlanEntries - 1].used)
                    fuzz::Fail("deletion moved the wrong entries", entry);
                std::memcpy(e, a, sizeof before->entries[0][0]);
            }
        } else if (op == 1) {
            CopyPlanDay(*plan, channel, day, mask);
            if (valid)
                for (int d = 0; d < kPlanDays; ++d)
                    if (d != day && (mask >> d & 1)) {
                        if (std::memcmp(plan->entries[channel][d], plan->entries[channel][day], sizeof plan->entries[0][0]))
                            fuzz::Fail("day not copied", d);
                        std::memcpy(before->entries[channel][d], plan->entries[channel][d], sizeof plan->entries[0][0]);
                    }
        } else if (op == 2) {
            int flags[kPlanChannels];
            for (int c = 0; c < kPlanChannels; ++c) flags[c] = (mask + uint32_t(c) * uint32_t(entry)) % 3 == 0;
            CopyPlanChannel(*plan, channel, flags);
            if (channel >= 0 && channel < kPlanChannels)
                for (int c = 0; c < kPlanChannels; ++c)
                    if (c != channel && flags[c]) {
                        if (std::memcmp(plan->entries[c], plan->entries[channel], sizeof plan->entries[0]))
                            fuzz::Fail("channel not copied", c);
                        std::memcpy(before->entries[c], plan->entries[c], sizeof plan->entries[0]);
                    }
        }
        if (std::memcmp(before, plan, sizeof *plan) != 0) fuzz::Fail("an edit changed what it was not asked to", op);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Input in(data, size);
    if (in.Byte() % 2 == 0) {
        fuzz::Exact rest(in.Rest(), in.Left());
        PreviewPlan(rest.data(), rest.size());
    } else {
        Schedule(in);
    }
    return 0;
}
