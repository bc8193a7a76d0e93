// The front-end system page's rules over the device settings block: the
// ports it shows and accepts, and the size of a software update file.
// Portable: no Windows headers.
#pragma once

#include <cstddef>
#include <cstdint>

namespace devcfg {

// Fields of the 512-byte device settings block.
constexpr size_t kDeviceNameAt = 0, kDeviceNameSize = 33;
constexpr size_t kVideoStandardAt = 33;   // u32: 0 PAL, 1 NTSC
constexpr size_t kDiskFullAt = 293;       // non-zero cycle recording
constexpr size_t kTcpPortAt = 396, kHttpPortAt = 398;  // u16, 0 = default
constexpr uint32_t kDefaultTcpPort = 36688, kDefaultHttpPort = 80;

// A stored port as the page shows it: 0 shows the default.
inline uint32_t ShownPort(uint16_t stored, uint32_t byDefault) { return stored ? stored : byDefault; }
// TCP and HTTP ports are accepted when both are 1..65535, differ, and
// neither is one the device keeps for itself (36788, 36888, 36681).
bool PortsAccepted(uint32_t tcp, uint32_t http);

// A software update file holds 1 .. 2 MiB.
constexpr uint32_t kUpdateFileMax = 0x200000;
inline bool UpdateFileSizeAccepted(uint32_t size) { return size >= 1 && size <= kUpdateFileMax; }

}  // namespace devcfg
