#include "bench_corpus.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace gnss::bench {

namespace fs = std::filesystem;

namespace {

CorpusChoice& Choice() {
    static CorpusChoice choice = [] {
        if (const char* env = std::getenv("GNSS_BENCH_CORPUS"); env != nullptr && *env != '\0') {
            return CorpusChoice{env, false};
        }
        return CorpusChoice{GNSS_TESTDATA_DIR, true};
    }();
    return choice;
}

bool IsStoredAside(const std::string& name) {
    return name.ends_with(".chk") || name.ends_with(".md");
}

}  // namespace

const CorpusChoice& Corpus() {
    return Choice();
}

void SetCorpusPath(const fs::path& path) {
    Choice() = CorpusChoice{path, false};
}

std::vector<fs::path> CorpusFiles(CaptureFilter filter) {
    const CorpusChoice& choice = Corpus();
    std::vector<fs::path> files;
    if (fs::is_regular_file(choice.Path)) {
        files.push_back(choice.Path);
        return files;
    }
    if (!fs::is_directory(choice.Path)) return files;
    for (const auto& entry : fs::directory_iterator(choice.Path)) {
        const std::string name = entry.path().filename().string();
        if (!entry.is_regular_file() || IsStoredAside(name)) continue;
        if (choice.IsDefault && !filter(name)) continue;
        files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::string ReadFileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool IsPureNmeaCapture(const std::string& fileName) {
    return fileName.find("nmea") != std::string::npos && fileName.find('+') == std::string::npos;
}

bool IsMixedCapture(const std::string& fileName) {
    return fileName.find('+') != std::string::npos;
}

bool IsAnyCapture(const std::string&) {
    return true;
}

}  // namespace gnss::bench
