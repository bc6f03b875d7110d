#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace gnss::bench {

// Where the benchmarks take their bytes from: the file or folder given as --corpus=PATH on the
// command line or in the GNSS_BENCH_CORPUS environment variable (the command line wins); by
// default the repository's real captures.
//
// CorpusFiles(filter): every regular file of a given folder (sorted), or the given file; for
// the default corpus only the captures whose name `filter` accepts (".chk" and ".md" files are
// never part of it). A given path is taken whole: the user's own logs are what they point at.
struct CorpusChoice {
    std::filesystem::path Path;
    bool IsDefault = true;
};
[[nodiscard]] const CorpusChoice& Corpus();
void SetCorpusPath(const std::filesystem::path& path);

using CaptureFilter = bool (*)(const std::string& fileName);
[[nodiscard]] std::vector<std::filesystem::path> CorpusFiles(CaptureFilter filter);
[[nodiscard]] std::string ReadFileBytes(const std::filesystem::path& path);

// Names of the default corpus: NMEA captures without binary frames ("+" marks mixed ones).
[[nodiscard]] bool IsPureNmeaCapture(const std::string& fileName);
[[nodiscard]] bool IsMixedCapture(const std::string& fileName);
[[nodiscard]] bool IsAnyCapture(const std::string& fileName);

}  // namespace gnss::bench
