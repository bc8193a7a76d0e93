// Text rules of the log lists: the time column, the exported lines and the
// export file name. No window code.
#pragma once

#include <string>
#include <vector>

// "%d-%d-%d %d:%02d:%02d": year, month, day, hour, minute, second.
std::string FormatLogTime(int year, int month, int day, int hour, int minute, int second);
// One exported row: the columns joined by tabs, ended by CR LF.
std::string LogExportLine(const std::vector<std::string>& columns);
// The name a log is saved under: ".log" appended when the file name (the
// part after the last separator) has no dot.
std::string LogFileName(const std::string& chosen);
