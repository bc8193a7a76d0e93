// The device table as the Connect Server dialog and the device search edit
// it: finding and filling DeviceRecords of the configuration image, the
// texts of the server list, and the logins of a Connect run as steps over a
// small SDK interface. No window code here.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "config_image.h"

namespace live {

constexpr int kDeviceRecords = 36;

// The first record not in use, -1 when all 36 are.
int FirstFreeDevice(const shell::SystemConfigImage& image);
// The first record in use whose address text is exactly this one, -1 none.
int FindDeviceByAddress(const shell::SystemConfigImage& image, const char* address);

// One server as the "Server Info" dialog or the search hands it over.
struct ServerEntry {
  std::string address, serverName, userName, password;
  int port = 36688;
  int channels = 1;      // 0 is taken as 1
  uint32_t linkType = 0;
};
// Fills the record (texts bounded to their fields, in use, port, channel
// count) and gives it named channel blocks.
void StoreServerEntry(shell::DeviceRecord& record, const ServerEntry& entry, const char* channelWord);
// The entry of a record in use (for the "Server Info" dialog).
ServerEntry EntryOfRecord(const shell::DeviceRecord& record);

// English texts of the server list's columns.
const char* ServerStatusText(uint32_t state);   // "Reconnecting", "Connected" or ""
const char* LinkTypeText(uint32_t linkType);    // "TCP", "UDP", "Multicast"

// A device found by the device search.
struct FoundDevice {
  std::string address, name;
  int port = 36688;
  int channels = 0;
};
enum class AddFoundResult { Added, Present, TableFull };
// Adds the device to the first free record unless one in use has its
// address already.
AddFoundResult AddFoundDevice(shell::SystemConfigImage& image, const FoundDevice& device, const char* userName,
                              const char* password, const char* channelWord, int* index = nullptr);
// The found-devices text: one device a line ("\r\n" or "\n"), fields
// separated by tabs: address, then optionally name, port and channels.
// Empty addresses are skipped; texts are bounded to their fields.
std::vector<FoundDevice> ParseFoundDevices(const char* text, size_t size);
std::string FormatFoundDevices(const std::vector<FoundDevice>& devices);

// ------------------------------------------------------------ login runs
struct LoginJob {
  int row = -1;           // list row, for the status text
  int record = -1;        // device record index
  bool skip = false;      // the record was not offline when the run began
  std::string address;
  int port = 0;           // 0 means 36688
  std::string user, password;
};

class LoginSdk {
public:
  virtual ~LoginSdk() = default;
  // The host's IPv4 address (network order); FALSE with the socket error.
  virtual bool Resolve(const std::string& host, uint32_t* address, int* socketError) = 0;
  // NET_Login: a login id, 0 on failure.
  virtual int Login(const char* dotted, int port, const char* user, const char* password) = 0;
  virtual int LastError() = 0;
};

struct LoginEvent {
  enum Kind { Log, Progress, LoggedIn, Finished } kind = Log;
  int row = -1, record = -1;
  std::string text;       // Log: the line
  int percent = 0;        // Progress
  uint32_t address = 0;   // LoggedIn: network order
  int loginId = 0;
};

// The translated words of the log lines and the error texts.
struct LoginWords {
  std::string connecting, initDevice, failed, errorInfo, success;
  std::function<std::string(int code)> errorText;
};

// Runs the logins in order, reporting each step through emit (on the
// caller's thread). The last event is Finished.
void RunLogins(const std::vector<LoginJob>& jobs, LoginSdk& sdk, const LoginWords& words,
               const std::function<void(LoginEvent)>& emit);

}  // namespace live
