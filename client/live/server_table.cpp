#include "server_table.h"

#include <cstdio>
#include <cstring>

#include "channel_blocks.h"
#include "text_copy.h"

namespace live {

int FirstFreeDevice(const shell::SystemConfigImage& image) {
  for (int i = 0; i < kDeviceRecords; ++i)
    if (!image.devices[i].inUse) return i;
  return -1;
}

int FindDeviceByAddress(const shell::SystemConfigImage& image, const char* address) {
  if (!address) return -1;
  for (int i = 0; i < kDeviceRecords; ++i) {
    const shell::DeviceRecord& d = image.devices[i];
    if (d.inUse && strncmp(d.address, address, sizeof d.address) == 0 && strlen(address) < sizeof d.address)
      return i;
  }
  return -1;
}

void StoreServerEntry(shell::DeviceRecord& record, const ServerEntry& e, const char* channelWord) {
  CopyText(record.address, e.address.c_str());
  CopyText(record.serverName, e.serverName.c_str());
  CopyText(record.userName, e.userName.c_str());
  CopyText(record.password, e.password.c_str());
  record.linkType = e.linkType;
  record.streamPort = uint16_t(e.port > 0 && e.port <= 65535 ? e.port : 0);
  record.inUse = 1;
  int channels = e.channels <= 0 ? 1 : e.channels > shell::kMaxDeviceChannels ? shell::kMaxDeviceChannels : e.channels;
  record.channelCount = uint8_t(channels);
  shell::NameChannels(record, channelWord);
}

ServerEntry EntryOfRecord(const shell::DeviceRecord& r) {
  auto text = [](const char* field, size_t size) { return std::string(field, strnlen(field, size)); };
  ServerEntry e;
  e.address = text(r.address, sizeof r.address);
  e.serverName = text(r.serverName, sizeof r.serverName);
  e.userName = text(r.userName, sizeof r.userName);
  e.password = text(r.password, sizeof r.password);
  e.port = r.streamPort ? r.streamPort : 36688;
  e.channels = r.channelCount;
  e.linkType = r.linkType;
  return e;
}

const char* ServerStatusText(uint32_t state) {
  return state == 1 ? "Reconnecting" : state == 4 ? "Connected" : "";
}

const char* LinkTypeText(uint32_t linkType) { return linkType == 1 ? "UDP" : linkType == 2 ? "Multicast" : "TCP"; }

AddFoundResult AddFoundDevice(shell::SystemConfigImage& image, const FoundDevice& device, const char* userName,
                              const char* password, const char* channelWord, int* index) {
  int free = FirstFreeDevice(image);
  if (free < 0) return AddFoundResult::TableFull;
  if (FindDeviceByAddress(image, device.address.c_str()) >= 0) return AddFoundResult::Present;
  shell::DeviceRecord& r = image.devices[free];
  std::memset(&r, 0, sizeof r);
  ServerEntry e;
  e.address = device.address;
  e.serverName = device.name.empty() ? device.address : device.name;
  e.userName = userName ? userName : "";
  e.password = password ? password : "";
  e.port = device.port;
  e.channels = device.channels;
  StoreServerEntry(r, e, channelWord);
  if (index) *index = free;
  return AddFoundResult::Added;
}

std::vector<FoundDevice> ParseFoundDevices(const char* text, size_t size) {
  std::vector<FoundDevice> out;
  if (!text) return out;
  std::string all(text, strnlen(text, size));
  size_t start = 0;
  while (start < all.size()) {
    size_t end = all.find('\n', start);
    if (end == std::string::npos) end = all.size();
    std::string line = all.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::vector<std::string> fields;
    size_t f = 0;
    for (;;) {
      size_t tab = line.find('\t', f);
      fields.push_back(line.substr(f, tab == std::string::npos ? std::string::npos : tab - f));
      if (tab == std::string::npos) break;
      f = tab + 1;
    }
    if (fields[0].empty()) continue;
    FoundDevice d;
    d.address = fields[0].substr(0, sizeof(shell::DeviceRecord::address) - 1);
    if (fields.size() > 1) d.name = fields[1].substr(0, sizeof(shell::DeviceRecord::serverName) - 1);
    if (fields.size() > 2) {
      long port = strtol(fields[2].c_str(), nullptr, 10);
      d.port = port > 0 && port <= 65535 ? int(port) : 36688;
    }
    if (fields.size() > 3) {
      long ch = strtol(fields[3].c_str(), nullptr, 10);
      d.channels = ch < 0 ? 0 : ch > shell::kMaxDeviceChannels ? shell::kMaxDeviceChannels : int(ch);
    }
    out.push_back(d);
  }
  return out;
}

std::string FormatFoundDevices(const std::vector<FoundDevice>& devices) {
  std::string out;
  for (const FoundDevice& d : devices)
    out += d.address + "\t" + d.name + "\t" + std::to_string(d.port) + "\t" + std::to_string(d.channels) + "\r\n";
  return out;
}

void RunLogins(const std::vector<LoginJob>& jobs, LoginSdk& sdk, const LoginWords& w,
               const std::function<void(LoginEvent)>& emit) {
  const int total = int(jobs.size());
  auto log = [&](const LoginJob& job, const std::string& line) {
    LoginEvent e;
    e.kind = LoginEvent::Log;
    e.row = job.row;
    e.record = job.record;
    e.text = line;
    emit(e);
  };
  auto errorText = [&](int code) { return w.errorText ? w.errorText(code) : std::to_string(code); };
  for (int i = 0; i < total; ++i) {
    const LoginJob& job = jobs[i];
    if (!job.skip) {
      log(job, w.connecting + " [" + job.address + "]");
      uint32_t address = 0;
      int socketError = 0;
      if (!sdk.Resolve(job.address, &address, &socketError)) {
        log(job, w.initDevice + " [" + job.address + "] " + w.failed + " " + w.errorInfo + " " +
                     errorText(-socketError));
      } else {
        const uint8_t* b = reinterpret_cast<const uint8_t*>(&address);
        char dotted[16];
        std::snprintf(dotted, sizeof dotted, "%u.%u.%u.%u", b[0], b[1], b[2], b[3]);
        int id = sdk.Login(dotted, job.port ? job.port : 36688, job.user.c_str(), job.password.c_str());
        if (id <= 0) {
          log(job, w.initDevice + " [" + job.address + "] " + w.failed + " " + w.errorInfo + " " +
                       errorText(sdk.LastError()));
        } else {
          log(job, w.initDevice + " [" + job.address + "] " + w.success);
          LoginEvent e;
          e.kind = LoginEvent::LoggedIn;
          e.row = job.row;
          e.record = job.record;
          e.address = address;
          e.loginId = id;
          emit(e);
        }
      }
    }
    LoginEvent p;
    p.kind = LoginEvent::Progress;
    p.percent = (i + 1) * 100 / total;
    emit(p);
  }
  LoginEvent done;
  done.kind = LoginEvent::Finished;
  emit(done);
}

}  // namespace live
