// The device network of scripts/devnet, seen from a test under Wine: the
// addresses it made (SELVANE_DEVNET_STATE/devnet.env) and devsim's control
// port on a device address.
//
//   devnet::Network net;
//   if (!net.available) GTEST_SKIP() << net.reason;
//   devnet::Control(net.devices[0], "fault " + net.devices[0] + " short");
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace devnet {

struct Network {
  bool available = false;
  std::string reason;
  std::string client;                // this side's address
  std::vector<std::string> devices;  // one per simulated device
  int controlPort = 8010;

  Network() {
    const char* state = std::getenv("SELVANE_DEVNET_STATE");
    if (!state || !*state) {
      reason = "SELVANE_DEVNET_STATE is not set (run through ctest: the devnet fixture makes the network)";
      return;
    }
    std::string path = std::string(state) + "/devnet.env";
    if (path[0] == '/') path = "Z:" + path;  // Wine's drive of the Linux root
    FILE* f = std::fopen(path.c_str(), "r");
    if (!f) {
      reason = "no " + path + " (the devnet fixture did not run)";
      return;
    }
    char line[512];
    while (std::fgets(line, sizeof line, f)) {
      std::string s(line);
      while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
      size_t eq = s.find('=');
      if (eq == std::string::npos) continue;
      std::string key = s.substr(0, eq), value = s.substr(eq + 1);
      if (value.size() >= 2 && value.front() == '"') value = value.substr(1, value.size() - 2);
      if (key == "DEVNET_UNAVAILABLE") reason = value;
      else if (key == "DEVNET_CLIENT") client = value;
      else if (key == "DEVNET_CONTROL_PORT") controlPort = std::atoi(value.c_str());
      else if (key == "DEVNET_DEVICES") {
        std::istringstream in(value);
        for (std::string d; in >> d;) devices.push_back(d);
      }
    }
    std::fclose(f);
    available = reason.empty() && !client.empty() && !devices.empty();
    if (!available && reason.empty()) reason = "devnet.env is incomplete";
  }
};

// One command to devsim's control port on address; its reply (the lines
// of a "log" reply joined by '\n'), or "error: ..." when devsim cannot be
// reached. Bounded: 3 s to connect and to answer.
inline std::string Control(const std::string& address, const std::string& command, int port = 8010) {
  WSADATA wsa;
  WSAStartup(MAKEWORD(2, 2), &wsa);
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  DWORD timeout = 3000;
  setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
  sockaddr_in at = {};
  at.sin_family = AF_INET;
  at.sin_port = htons(u_short(port));
  at.sin_addr.s_addr = inet_addr(address.c_str());
  std::string reply;
  if (connect(s, reinterpret_cast<sockaddr*>(&at), sizeof at) != 0) {
    closesocket(s);
    WSACleanup();
    return "error: cannot reach devsim at " + address;
  }
  std::string line = command + "\n";
  send(s, line.data(), int(line.size()), 0);
  // A "log" reply starts with its line count.
  int linesWanted = 1;
  std::string got;
  for (;;) {
    char buf[4096];
    int n = recv(s, buf, sizeof buf, 0);
    if (n <= 0) break;
    got.append(buf, size_t(n));
    size_t first = got.find('\n');
    if (first == std::string::npos) continue;
    if (command == "log") linesWanted = 1 + std::atoi(got.substr(0, first).c_str());
    size_t lines = 0;
    for (char c : got) lines += c == '\n';
    if (int(lines) >= linesWanted) break;
  }
  closesocket(s);
  WSACleanup();
  if (!got.empty() && got.back() == '\n') got.pop_back();
  return got;
}

// Bytes written as hex text (devsim's log lines and blocks).
inline std::vector<unsigned char> HexBytes(const std::string& hex) {
  std::vector<unsigned char> b;
  for (size_t i = 0; i + 1 < hex.size(); i += 2)
    b.push_back(static_cast<unsigned char>(std::stoul(hex.substr(i, 2), nullptr, 16)));
  return b;
}

// A block as the device at address holds it now ("stream", "network",
// "sensor" or "region" of a channel); empty when devsim refuses.
inline std::vector<unsigned char> Block(const std::string& address, const std::string& which, int channel = 0) {
  const std::string reply = Control(address, "block " + address + " " + which + " " + std::to_string(channel));
  if (reply.empty() || reply.find("error") != std::string::npos) return {};
  return HexBytes(reply);
}

// devsim's log as lines "DEVICE FROM:PORT HEX", oldest first.
inline std::vector<std::string> Log(const std::string& address) {
  std::istringstream in(Control(address, "log"));
  std::vector<std::string> lines;
  std::string count;
  std::getline(in, count);
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  return lines;
}

}  // namespace devnet
