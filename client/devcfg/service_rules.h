// The service pages' fields in the dialog's shared blocks (FTP upload and
// mail alarm in the 2,048-byte service block, handset video in the 512-byte
// device block) and their input rules. Portable: no Windows headers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace devcfg {

struct TextField {
  size_t at, size;  // NUL-terminated text of size bytes
};

// FTP upload, service block.
constexpr size_t kFtpEnabledAt = 0;
constexpr TextField kFtpServer{1, 16};
constexpr size_t kFtpPortAt = 17;  // u16
constexpr TextField kFtpUser{19, 33}, kFtpPassword{52, 33};
constexpr size_t kFtpFileLengthAt = 85;  // u16 megabytes
constexpr TextField kFtpPath{87, 65};
constexpr int kFtpFileLengthMin = 10;

// Mail alarm, service block.
constexpr size_t kMailEnabledAt = 152;
constexpr TextField kMailServer{153, 16};
constexpr size_t kMailPortAt = 169;  // u16
constexpr TextField kMailUser{171, 33}, kMailPassword{204, 33}, kMailSender{237, 65}, kMailSubject{302, 65};
constexpr TextField kMailReceivers[3] = {{367, 65}, {432, 65}, {497, 65}};

// Handset video, device block.
constexpr size_t kHandsetEnabledAt = 400;
constexpr size_t kHandsetModeAt = 401;  // u32: 0 Stream Server, 1 Point To Point
constexpr TextField kHandsetServer{405, 16};
constexpr size_t kHandsetPortAt = 421;  // u16
constexpr TextField kHandsetUser{423, 32}, kHandsetPassword{455, 16};
constexpr size_t kHandsetDeviceIdAt = 471;  // u32
constexpr size_t kHandsetCapabilityAt = 63;  // of the device information block

// A file length below 10 MB is saved as 10.
inline int FtpFileLength(int typed) { return typed < kFtpFileLengthMin ? kFtpFileLengthMin : typed; }

// A port typed into a 5-digit edit: 0..65535; 65536..99999 are refused.
bool ParsePort(const char* text, uint32_t* port);
// A device id typed into a 10-digit edit: refused when it overflows 32 bits.
bool ParseDeviceId(const char* text, uint32_t* id);

// The mail alarm's input, checked only while the alarm is enabled: user,
// password, sender and subject filled, a receiver at least, and every
// receiver given at least 3 characters long with an at sign.
struct MailInput {
  std::string user, password, sender, subject, receivers[3];
};
bool MailInputAccepted(const MailInput& in);

}  // namespace devcfg
