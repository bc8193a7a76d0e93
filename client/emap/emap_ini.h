// EMAP.INI through the platform's private-profile calls.
#pragma once
#include <string>

#include "emap_file.h"

class CPrivateProfileMapIni : public emap::IMapIni {
public:
  static constexpr size_t kMaxValue = 32000;   // longest value written, bytes
  explicit CPrivateProfileMapIni(std::string path) : m_path(std::move(path)) {}
  // The whole value, however long: the buffer grows until it holds it.
  std::string Read(const std::string& section, const std::string& key, const std::string& def) override;
  void Write(const std::string& section, const std::string& key, const std::string& value) override;
  const std::string& Path() const { return m_path; }

private:
  std::string m_path;
};
