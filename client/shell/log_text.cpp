#include "log_text.h"

#include <cstdio>

std::string FormatLogTime(int year, int month, int day, int hour, int minute, int second) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%d-%d-%d %d:%02d:%02d", year, month, day, hour, minute, second);
  return buf;
}

std::string LogExportLine(const std::vector<std::string>& columns) {
  std::string line;
  for (size_t i = 0; i < columns.size(); ++i) {
    if (i) line += '\t';
    line += columns[i];
  }
  line += "\r\n";
  return line;
}

std::string LogFileName(const std::string& chosen) {
  size_t slash = chosen.find_last_of("\\/");
  size_t start = slash == std::string::npos ? 0 : slash + 1;
  if (chosen.find('.', start) != std::string::npos) return chosen;
  return chosen + ".log";
}
