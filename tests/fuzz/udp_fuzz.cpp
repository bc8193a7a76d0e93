// libFuzzer target over the client's UDP command channel as bytes: the
// dispatch of a received datagram through the receiver list, the
// announcement view and its copy into a device record, and the settings
// pages' block views, address words, stream value checks and number edits
// over the configuration replies dispatched.
//
// Input: a control byte (bit 0: the first receiver removes itself during
// its first call; bits 1-7: the offset of a text read from the
// announcement), then the datagram.
//
// Properties: every block, item and list handed on lies inside the
// datagram and within what its length field claims; a configuration reply
// is only handed on whole; items follow each other without overlap; each
// dispatch hands on at most what the bytes hold and reports what it did;
// the announcement copy is the datagram's bytes padded with zeros; texts
// end within their fields; address texts read back to the same word; a
// stream value check either stores values in range or changes nothing.
#include <cstdio>
#include <cstring>
#include <string>

#include "config_blocks.h"
#include "config_image.h"
#include "fuzz_input.h"
#include "udp_packets.h"
#include "udp_receivers.h"

namespace {

using namespace shell;

const uint8_t* g_data;
size_t g_size;

void Inside(const uint8_t* p, size_t n, const char* what) {
    if (n && (p < g_data || p > g_data + g_size || n > size_t(g_data + g_size - p)))
        fuzz::Fail(what, long(p - g_data), long(n));
}

size_t LengthField() { return size_t(g_data[14] | g_data[15] << 8); }
size_t Received() { return g_size - kUdpHeaderSize; }

void CheckAddressWord(const uint8_t* word) {
    const std::string text = devcfg::BlockAddressText(word);
    uint8_t back[4] = {};
    if (!devcfg::PutBlockAddress(back, text.c_str()) || std::memcmp(back, word, 4) != 0)
        fuzz::Fail("address word does not read back");
}

void CheckNumberText(const uint8_t* p, size_t n, int max) {
    const std::string text = devcfg::FieldText(reinterpret_cast<const char*>(p), n);
    if (text.size() > n) fuzz::Fail("field text longer than its field");
    int value = -1;
    if (devcfg::ParseBoundedNumber(text.c_str(), max, &value) && (value < 0 || value > max))
        fuzz::Fail("bounded number out of range", value, max);
    uint32_t a = 0;
    if (ParseIpv4(text.c_str(), &a)) {
        uint32_t b = 0;
        if (!ParseIpv4(Ipv4Text(a).c_str(), &b) || a != b) fuzz::Fail("dotted text does not read back");
    }
}

void CheckStreamBlock(const uint8_t* block) {
    devcfg::StreamBlock s;
    std::memcpy(&s, block, sizeof s);
    for (int flow = 0; flow < 2; ++flow) {
        const devcfg::StreamFlow& f = s.flow[flow];
        devcfg::StreamValues v{devcfg::GetU16(f.bitRate), f.iFrameInterval, f.rateType, f.quality, f.frameRate};
        devcfg::StreamBlock before = s;
        devcfg::StreamCheck c = devcfg::StoreStreamValues(s, flow, v);
        if (c != devcfg::StreamCheck::Ok) {
            if (std::memcmp(&before, &s, sizeof s) != 0) fuzz::Fail("refused stream values changed the block");
            continue;
        }
        const devcfg::StreamFlow& g = s.flow[flow];
        const int rate = devcfg::GetU16(g.bitRate);
        if (rate < devcfg::kBitRateMin || rate > devcfg::kBitRateMax || g.iFrameInterval < devcfg::kIFrameMin ||
            g.iFrameInterval > devcfg::kIFrameMax || g.frameRate < 1 ||
            g.frameRate > devcfg::MaxFrameRate(flow, s.flow[0].resolution))
            fuzz::Fail("stream values stored out of range", flow);
    }
}

void CheckNetworkBlock(const uint8_t* block) {
    devcfg::NetworkBlock n;
    std::memcpy(&n, block, sizeof n);
    CheckAddressWord(n.dns);
    CheckAddressWord(n.ip);
    CheckAddressWord(n.mask);
    CheckAddressWord(n.gateway);
    if (devcfg::FieldText(n.ssid, sizeof n.ssid).size() > sizeof n.ssid ||
        devcfg::FieldText(n.password, sizeof n.password).size() > sizeof n.password)
        fuzz::Fail("network text past its field");
}

class Checker : public UdpReceiver {
public:
    Checker(CUdpReceiverList* list, bool leave) : list_(list), leave_(leave) {}
    int calls = 0, items = 0;
    size_t itemBytes = 0;
    const uint8_t* nextItem = nullptr;
    UdpDispatch seen = UdpDispatch::Ignored;
    uint8_t textOffset = 0;

    void OnAnnouncement(const std::string& from, const uint8_t* block) override {
        Call(UdpDispatch::Announcement);
        if (g_size < kDeviceInfoSize) fuzz::Fail("announcement from a short datagram", long(g_size));
        const size_t carried = Received() < kDeviceInfoSize ? Received() : kDeviceInfoSize;
        if (std::memcmp(block, g_data + kUdpHeaderSize, carried) != 0) fuzz::Fail("announcement copy");
        for (size_t i = carried; i < kDeviceInfoSize; ++i)
            if (block[i]) fuzz::Fail("announcement padding", long(i));
        UdpDeviceInfoView v(block);
        uint32_t a = 0;
        if (!ParseIpv4(v.AddressText().c_str(), &a) || a != v.Address()) fuzz::Fail("announcement address");
        const std::string serial = v.Serial();
        if (serial.size() > kDeviceInfoSize - 20 || serial.find('\0') != std::string::npos)
            fuzz::Fail("serial text", long(serial.size()));
        const std::string text = v.Text(textOffset);
        if (text.size() > kDeviceInfoSize - textOffset || text.find('\0') != std::string::npos)
            fuzz::Fail("announcement text", textOffset, long(text.size()));
        // The copy into the device record whose address is the sender's.
        DeviceRecord records[2] = {};
        std::snprintf(records[1].address, sizeof records[1].address, "%s", from.c_str());
        if (ApplyAnnouncement(records, 2, from, block) != 1 ||
            std::memcmp(records[1].announcement, block, sizeof records[1].announcement) != 0)
            fuzz::Fail("announcement not applied");
        for (uint8_t b : records[0].announcement)
            if (b) fuzz::Fail("announcement applied to another record");
    }
    void OnConfigReply(const std::string&, uint8_t command, uint8_t channel, const uint8_t* block,
                       size_t size) override {
        Call(UdpDispatch::ConfigReply);
        Inside(block, size, "configuration block past the datagram");
        if (block != g_data + kUdpHeaderSize || size != ConfigBlockSize(command) || !size)
            fuzz::Fail("configuration block", command, long(size));
        if (channel != g_data[3]) fuzz::Fail("configuration channel");
        if (command == UDPCFG_STREAM) CheckStreamBlock(block);
        if (command == UDPCFG_NETWORK) CheckNetworkBlock(block);
        if (command == UDPCFG_REGION) {
            devcfg::ChannelSettingsBlock c = {};
            std::memcpy(c.bytes, block, size);
            if (devcfg::ChannelName(c).size() > devcfg::kChannelNameSize) fuzz::Fail("channel name");
        }
        CheckNumberText(block, size < 16 ? size : 16, textOffset * 100);
    }
    void OnListItem(const std::string&, uint16_t, const uint8_t* data, size_t size) override {
        if (seen != UdpDispatch::ItemList && calls) fuzz::Fail("item among other calls");
        if (!calls) seen = UdpDispatch::ItemList;
        ++calls;
        const uint8_t* head = data - 4;
        if (head < g_data + kUdpHeaderSize) fuzz::Fail("item before the payload");
        if (nextItem && head != nextItem) fuzz::Fail("items not consecutive");
        if (!nextItem && head != g_data + kUdpHeaderSize) fuzz::Fail("first item not at the payload");
        Inside(head, 4 + size, "item past the datagram");
        if (size != size_t(head[2] | head[3] << 8)) fuzz::Fail("item size");
        itemBytes += 4 + size;
        if (itemBytes > LengthField() || itemBytes > Received()) fuzz::Fail("items past the length", long(itemBytes));
        nextItem = data + size;
        ++items;
    }
    void OnRecordList(const std::string&, uint8_t command, const uint8_t* payload, size_t size) override {
        Call(UdpDispatch::RecordList);
        if (payload != g_data + kUdpHeaderSize || command != g_data[2]) fuzz::Fail("record list");
        Inside(payload, size, "record list past the datagram");
        if (size > LengthField() || size > Received()) fuzz::Fail("record list past its length", long(size));
    }
    void OnAlarm(const std::string&, uint8_t kind, uint8_t channel, uint8_t state) override {
        Call(UdpDispatch::Alarm);
        if (kind != g_data[2] || channel != g_data[3] || state != g_data[4]) fuzz::Fail("alarm fields");
    }

private:
    void Call(UdpDispatch kind) {
        if (calls++) fuzz::Fail("more than one call for one datagram", calls);
        seen = kind;
        if (leave_) list_->Remove(this);
    }
    CUdpReceiverList* list_;
    bool leave_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Input in(data, size);
    const uint8_t control = in.Byte();
    fuzz::Exact datagram(in.Rest(), in.Left());
    g_data = datagram.data();
    g_size = datagram.size();

    CUdpReceiverList list;
    Checker first(&list, control & 1), second(&list, false);
    first.textOffset = second.textOffset = uint8_t(control >> 1);
    list.Add(&first);
    list.Add(&second);
    list.Add(&first);  // registered once only
    if (list.Count() != 2) fuzz::Fail("receiver registered twice");
    const UdpDispatch r = DispatchUdpDatagram(g_data, g_size, "192.168.1.9", list);

    // Both receivers see the same calls, even the one that left during its
    // first (items of a list go to the receivers registered).
    if (first.calls != second.calls || first.items != second.items) fuzz::Fail("receivers saw different calls");
    if (r == UdpDispatch::Ignored ? second.calls != 0 : (r != UdpDispatch::ItemList && second.calls != 1))
        fuzz::Fail("dispatch result and calls differ", int(r), second.calls);
    if (second.calls && second.seen != r) fuzz::Fail("dispatch reported another kind", int(r));
    if (r == UdpDispatch::ItemList && size_t(second.items) * 4 > g_size) fuzz::Fail("more items than bytes");
    if ((control & 1) && r != UdpDispatch::ItemList && second.calls && list.Count() != 1) fuzz::Fail("receiver did not leave");
    return 0;
}
