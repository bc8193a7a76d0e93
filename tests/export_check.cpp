// Compares each DLL's export table with the list kept beside its .def file.
// Usage: export_check MANIFEST, where each manifest line is "dll-path|list-path".
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "pe_exports.h"

static std::vector<std::string> ReadList(const std::string& path, bool& ok) {
    std::ifstream in(path);
    ok = bool(in);
    std::vector<std::string> out;
    std::string line;
    while (std::getline(in, line)) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        out.push_back(line);
    }
    return out;
}

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: export_check MANIFEST\n");
        return 2;
    }
    bool ok;
    std::vector<std::string> manifest = ReadList(argv[1], ok);
    if (!ok || manifest.empty()) {
        std::fprintf(stderr, "cannot read manifest %s\n", argv[1]);
        return 2;
    }
    int failures = 0, passed = 0;
    for (const std::string& entry : manifest) {
        size_t bar = entry.find('|');
        std::string dll = entry.substr(0, bar), list = entry.substr(bar + 1);
        std::ifstream in(dll, std::ios::binary);
        std::vector<uint8_t> img((std::istreambuf_iterator<char>(in)), {});
        std::vector<std::string> names;
        bool listOk;
        std::vector<std::string> want = ReadList(list, listOk);
        if (img.empty() || !testsupport::ReadPeExportNames(img, names) || !listOk) {
            std::printf("FAIL %s: cannot read the image or its list %s\n", dll.c_str(), list.c_str());
            ++failures;
            continue;
        }
        std::set<std::string> have(names.begin(), names.end()), expect(want.begin(), want.end());
        std::vector<std::string> missing, extra;
        std::set_difference(expect.begin(), expect.end(), have.begin(), have.end(), std::back_inserter(missing));
        std::set_difference(have.begin(), have.end(), expect.begin(), expect.end(), std::back_inserter(extra));
        if (missing.empty() && extra.empty() && have.size() == names.size()) {
            std::printf("ok   %s: %zu exports\n", dll.c_str(), names.size());
            ++passed;
            continue;
        }
        ++failures;
        std::printf("FAIL %s\n", dll.c_str());
        for (auto& m : missing) std::printf("  missing: %s\n", m.c_str());
        for (auto& e : extra) std::printf("  not listed: %s\n", e.c_str());
    }
    std::printf("export check: %d DLLs right, %d wrong\n", passed, failures);
    return failures ? 1 : 0;
}
