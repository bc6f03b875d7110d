// Every real capture of the test data streamed through the receive path as a receiver at
// 115200 bit/s would deliver it: about 806 bytes per 70 ms processing tick.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "frames/binary_frame.h"
#include "link/dispatch_fixture.h"
#include "link/received_line.h"

namespace gnss {
namespace {

namespace fs = std::filesystem;
using testing::DispatchFixture;

constexpr std::size_t kBytesPerTick = 806;

std::vector<fs::path> Captures() {
    std::vector<fs::path> files;
    const fs::path dir(GNSS_TESTDATA_DIR);
    if (!fs::is_directory(dir)) return files;
    for (const auto& entry : fs::directory_iterator(dir)) {
        if (!entry.is_regular_file()) continue;
        const auto ext = entry.path().extension();
        if (ext == ".chk" || ext == ".md") continue;
        files.push_back(entry.path());
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

// The lines a simple split of the whole capture gives, as family "unknow" lets them through.
std::vector<std::string> ExpectedLines(const std::string& data) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end = data.find("\r\n"); end != std::string::npos;
         end = data.find("\r\n", start)) {
        // Binary bytes before a sentence are not part of it.
        std::string line(SentenceAfterBinary(std::string_view(data).substr(start, end - start)));
        start = end + 2;
        if (line.empty() || line.find("$PUNV,ERR,") != std::string::npos) continue;
        if (line.find("$GPTXT") != std::string::npos) {
            if (line.find("ANTSTATUS") == std::string::npos) continue;
        } else if (line == "$PMTK001,-1,0*1F") {
            continue;
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

// The longest stretch without a line end: the receive buffer in the NMEA state holds at most
// this plus one tick's data (no once-per-second cut is wired here).
std::size_t LongestStretchWithoutCrLf(const std::string& data) {
    std::size_t longest = 0;
    std::size_t start = 0;
    for (std::size_t end = data.find("\r\n"); end != std::string::npos;
         end = data.find("\r\n", start)) {
        longest = std::max(longest, end + 2 - start);
        start = end + 2;
    }
    return std::max(longest, data.size() - start);
}

std::size_t Count(const std::string& data, std::string_view what) {
    std::size_t n = 0;
    for (std::size_t at = data.find(what); at != std::string::npos; at = data.find(what, at + 1))
        ++n;
    return n;
}

struct Replay {
    std::vector<std::string> lines;
    std::vector<std::string> hdFrames;
    std::vector<std::string> ubxFrames;
    std::size_t largestBuffer = 0;
};

// Keeps every frame the receive path hands over.
struct FrameRecorder final : FrameListener {
    FrameRecorder(std::vector<std::string>& ubx, std::vector<std::string>& hd) : Ubx(ubx), Hd(hd) {}
    void OnUbxFrame(std::string_view frame) override { Ubx.emplace_back(frame); }
    void OnHdFrame(std::string_view frame) override { Hd.emplace_back(frame); }
    std::vector<std::string>& Ubx;
    std::vector<std::string>& Hd;
};

// An identified receiver of `family`; UBX frames are taken out only when `takeUbx`.
Replay ReplayCapture(const std::string& data, ReceiverFamily family, bool takeUbx) {
    DispatchFixture f;
    f.shared.Family = family;
    f.shared.ReceiverIdentified = true;
    f.shared.UbxReplyDeadline = takeUbx ? 1 << 30 : -1;
    f.shared.HedReplyDeadline = 1 << 30;
    Replay r;
    FrameRecorder frames(r.ubxFrames, r.hdFrames);
    f.dispatcher.AddListener(frames);
    for (std::size_t at = 0; at < data.size(); at += kBytesPerTick) {
        f.FeedTick(std::string_view(data).substr(at, kBytesPerTick));
        r.largestBuffer = std::max(r.largestBuffer, f.dispatcher.RxBuffer().size());
    }
    f.time.Advance(1000);
    r.lines = std::move(f.lines);
    return r;
}

TEST(CaptureReplay, EveryCompleteLineReachesTheChainInOrder) {
    const auto files = Captures();
    ASSERT_FALSE(files.empty()) << "no captures in " << GNSS_TESTDATA_DIR;
    for (const auto& path : files) {
        SCOPED_TRACE(path.filename().string());
        const std::string data = ReadFile(path);
        const Replay r = ReplayCapture(data, ReceiverFamily::Unknown, false);
        EXPECT_LE(r.largestBuffer, LongestStretchWithoutCrLf(data) + kBytesPerTick);
        const std::size_t hdSyncs = Count(data, "\xF1\xD9");
        if (hdSyncs == 0) {
            EXPECT_EQ(r.lines, ExpectedLines(data));
            EXPECT_TRUE(r.hdFrames.empty());
            continue;
        }
        // HD frames (or bytes that look like one) are cut out: a cut inside a line changes
        // that one line; every other line is found in order.
        std::size_t pos = 0;
        std::size_t altered = 0;
        for (const auto& line : r.lines) {
            const std::size_t at = data.find(line + "\r\n", pos);
            if (at == std::string::npos) {
                ++altered;
                continue;
            }
            pos = at + line.size() + 2;
        }
        EXPECT_LE(altered, hdSyncs);
        for (const auto& frame : r.hdFrames) EXPECT_TRUE(IsHdFrame(frame));
    }
}

TEST(CaptureReplay, UbloxFramesAreTakenOutInStreamOrder) {
    const auto files = Captures();
    ASSERT_FALSE(files.empty()) << "no captures in " << GNSS_TESTDATA_DIR;
    std::size_t totalFrames = 0;
    for (const auto& path : files) {
        SCOPED_TRACE(path.filename().string());
        const std::string data = ReadFile(path);
        const Replay r = ReplayCapture(data, ReceiverFamily::ublox, true);
        EXPECT_LE(r.largestBuffer, LongestStretchWithoutCrLf(data) + kBytesPerTick);
        std::size_t pos = 0;
        EXPECT_TRUE(r.hdFrames.empty());
        for (const auto& frame : r.ubxFrames) {
            ASSERT_TRUE(IsUbxFrame(frame));
            const std::size_t at = data.find(frame, pos);
            ASSERT_NE(at, std::string::npos);
            pos = at + frame.size();
        }
        totalFrames += r.ubxFrames.size();
    }
    EXPECT_GT(totalFrames, 500u);  // the u-blox captures carry well over 500 good frames
}

}  // namespace
}  // namespace gnss
