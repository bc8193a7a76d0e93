// Shared pieces of the live-stream tests: a collector of deliveries and the
// comparison of delivered access units with a clip's.
#pragma once
#include <gtest/gtest.h>
#include <winsock2.h>
#include <windows.h>

#include <mutex>
#include <string>
#include <vector>

#include "DeviceSimulator.h"
#include "core/Orvik.h"
#include "wait_until.h"

namespace streamtest {

// The SDK started once for the whole test program:
//   const auto* g_env = ::testing::AddGlobalTestEnvironment(new streamtest::SdkSession);
class SdkSession : public ::testing::Environment {
public:
    void SetUp() override { ASSERT_EQ(NET_Init(), 1); }
    void TearDown() override { NET_Cleanup(); }
};

using Bytes = std::vector<uint8_t>;

struct Delivery {
    int type;
    int codec;
    Bytes data;
};

class Collector {
public:
    static void CALLBACK Callback(unsigned char* data, int length, int type, int codec, void* user) {
        auto* self = static_cast<Collector*>(user);
        std::lock_guard<std::mutex> g(self->mutex_);
        self->all_.push_back(Delivery{type, codec, Bytes(data, data + length)});
    }
    std::vector<Delivery> Of(int type) {
        std::lock_guard<std::mutex> g(mutex_);
        std::vector<Delivery> out;
        for (auto& d : all_)
            if (d.type == type) out.push_back(d);
        return out;
    }
    size_t Count(int type) {
        std::lock_guard<std::mutex> g(mutex_);
        size_t n = 0;
        for (auto& d : all_) n += d.type == type;
        return n;
    }
    void Clear() {
        std::lock_guard<std::mutex> g(mutex_);
        all_.clear();
    }

private:
    std::mutex mutex_;
    std::vector<Delivery> all_;
};

inline std::string Data(const char* name) { return std::string(SELVANE_TEST_DATA) + "/" + name; }

inline NET_LOGIN_PARAMS Params(const std::string& address, unsigned short port) {
    NET_LOGIN_PARAMS p = {};
    p.address = address.c_str();
    p.port = port;
    return p;
}

// The NAL units of an Annex-B unit: start codes of either length removed.
inline std::vector<Bytes> Nals(const Bytes& unit) {
    auto nals = devsim::SplitNalUnits(unit.data(), unit.size());
    return nals;
}

// Checks that the deliveries after the first (empty) one are the clip's
// units in order from unit 0, looping. Returns the number checked.
inline size_t ExpectUnitsInOrder(const std::vector<Delivery>& got,
                                 const std::vector<Bytes>& units, const char* what) {
    if (got.empty()) {
        ADD_FAILURE() << what << ": nothing delivered";
        return 0;
    }
    EXPECT_TRUE(got[0].data.empty()) << what << ": the first delivery of a session must be empty";
    size_t checked = 0;
    for (size_t i = 1; i < got.size(); ++i) {
        const Bytes& want = units[(i - 1) % units.size()];
        if (Nals(got[i].data) != Nals(want)) {
            ADD_FAILURE() << what << ": unit " << i - 1 << " differs (" << got[i].data.size()
                          << " bytes, expected " << want.size() << ")";
            return checked;
        }
        // Every NAL unit starts with a start code.
        EXPECT_TRUE(got[i].data.size() > 3 && got[i].data[0] == 0 && got[i].data[1] == 0 &&
                    (got[i].data[2] == 1 || (got[i].data[2] == 0 && got[i].data[3] == 1)))
            << what << ": unit " << i - 1;
        ++checked;
    }
    return checked;
}

}  // namespace streamtest
