// Every real capture of the test data decoded offline and compared with its stored report
// (tests/data/golden/<capture>.jsonl). GNSS_REGENERATE_GOLDEN=1 rewrites the stored reports
// on purpose; review the difference before committing it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "replay/decode_report.h"

namespace gnss {
namespace {

namespace fs = std::filesystem;

// Reports larger than this keep their first events and the summary only.
constexpr std::size_t kGoldenEventLimit = 6000;

std::vector<fs::path> Captures() {
    std::vector<fs::path> files;
    const fs::path dir(GNSS_TESTDATA_DIR);
    if (!fs::is_directory(dir)) return files;
    for (const auto& entry : fs::directory_iterator(dir)) {
        const auto ext = entry.path().extension();
        if (entry.is_regular_file() && ext != ".chk" && ext != ".md") files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

// Text logs stored with LF line ends (no CR LF anywhere) are replayed with a CR added before
// each LF; everything else exactly as stored.
std::string DecodeReport(const fs::path& capture) {
    const std::string bytes = ReadFile(capture);
    std::ostringstream out;
    JsonLinesReport report(out);
    report.SetEventLimit(kGoldenEventLimit);
    ReplayOptions options;
    options.LfLineEnds = bytes.find("\r\n") == std::string::npos;
    report.Begin(capture.filename().string(), options);
    ReplayCapture(bytes, options, report);
    return out.str();
}

// The first line where the two texts differ, for a readable failure.
std::string FirstDifference(const std::string& expected, const std::string& actual) {
    std::istringstream a(expected);
    std::istringstream b(actual);
    std::string lineA;
    std::string lineB;
    for (int number = 1;; ++number) {
        const bool moreA = static_cast<bool>(std::getline(a, lineA));
        const bool moreB = static_cast<bool>(std::getline(b, lineB));
        if (!moreA && !moreB) return "no difference";
        if (!moreA || !moreB || lineA != lineB) {
            return "line " + std::to_string(number) + "\n  stored:  " + (moreA ? lineA : "<end>") +
                   "\n  decoded: " + (moreB ? lineB : "<end>");
        }
    }
}

TEST(GoldenReplay, EveryCaptureDecodesAsStored) {
    const auto captures = Captures();
    ASSERT_FALSE(captures.empty()) << "no captures in " << GNSS_TESTDATA_DIR;
    const char* regenerate = std::getenv("GNSS_REGENERATE_GOLDEN");
    const bool rewrite = regenerate != nullptr && std::string(regenerate) == "1";
    const fs::path goldenDir = fs::path(GNSS_TEST_GOLDEN_DIR) / "golden";
    if (rewrite) fs::create_directories(goldenDir);

    for (const auto& capture : captures) {
        SCOPED_TRACE(capture.filename().string());
        const std::string report = DecodeReport(capture);
        const fs::path golden = goldenDir / (capture.filename().string() + ".jsonl");
        if (rewrite) {
            std::ofstream(golden, std::ios::binary) << report;
            continue;
        }
        ASSERT_TRUE(fs::exists(golden)) << golden << " missing; GNSS_REGENERATE_GOLDEN=1 makes it";
        const std::string stored = ReadFile(golden);
        EXPECT_TRUE(stored == report) << FirstDifference(stored, report);
    }
}

TEST(GoldenReplay, DecodingTwiceGivesTheSameReport) {
    const auto captures = Captures();
    ASSERT_FALSE(captures.empty()) << "no captures in " << GNSS_TESTDATA_DIR;
    const fs::path& capture = captures.front();
    EXPECT_EQ(DecodeReport(capture), DecodeReport(capture));
}

}  // namespace
}  // namespace gnss
