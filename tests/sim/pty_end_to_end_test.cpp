// The gnss-sim program in its own process, read through a real pseudo-terminal with plain
// POSIX calls, as a serial port would be.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "nmea/nmea_checksum.h"
#include "sim_test_bench.h"

namespace gnss::sim {
namespace {

const std::string kBinary = std::string(GNSS_BINARY_DIR) + "/src/gnss-sim";

// gnss-sim as a child process; its first stdout line is the device path.
class SimProcess {
  public:
    explicit SimProcess(const std::vector<std::string>& args) {
        int out[2];
        if (pipe(out) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], STDOUT_FILENO);
            close(out[0]);
            close(out[1]);
            const int devnull = open("/dev/null", O_WRONLY);
            if (devnull >= 0) dup2(devnull, STDERR_FILENO);
            std::vector<char*> argv;
            argv.push_back(const_cast<char*>(kBinary.c_str()));
            for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            execv(kBinary.c_str(), argv.data());
            _exit(127);
        }
        close(out[1]);
        // Read the first line (the device path), waiting at most 10 s.
        std::string line;
        pollfd pfd{out[0], POLLIN, 0};
        while (line.find('\n') == std::string::npos && poll(&pfd, 1, 10000) > 0) {
            char c;
            if (read(out[0], &c, 1) != 1) break;
            line.push_back(c);
        }
        close(out[0]);
        if (!line.empty() && line.back() == '\n') line.pop_back();
        path_ = line;
    }
    ~SimProcess() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            int status = 0;
            waitpid(pid_, &status, 0);
        }
    }
    [[nodiscard]] const std::string& Path() const { return path_; }
    // Waits for the process to end on SIGTERM; its exit status.
    int Terminate() {
        kill(pid_, SIGTERM);
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        return status;
    }

  private:
    pid_t pid_ = -1;
    std::string path_;
};

int OpenPort(const std::string& path, speed_t speed) {
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return -1;
    termios tio{};
    tcgetattr(fd, &tio);
    cfmakeraw(&tio);
    cfsetispeed(&tio, speed);
    cfsetospeed(&tio, speed);
    tcsetattr(fd, TCSANOW, &tio);
    return fd;
}

void SetSpeed(int fd, speed_t speed) {
    termios tio{};
    tcgetattr(fd, &tio);
    cfsetispeed(&tio, speed);
    cfsetospeed(&tio, speed);
    tcsetattr(fd, TCSANOW, &tio);
}

// Reads until `until` returns true or `seconds` pass.
std::string ReadFor(int fd, double seconds, const std::function<bool(const std::string&)>& until) {
    std::string data;
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end && !until(data)) {
        pollfd pfd{fd, POLLIN, 0};
        if (poll(&pfd, 1, 100) > 0) {
            char buffer[4096];
            const ssize_t n = read(fd, buffer, sizeof buffer);
            if (n > 0) data.append(buffer, static_cast<std::size_t>(n));
        }
    }
    return data;
}

int CountValid(const std::string& data) {
    int n = 0;
    for (const auto& line : testing::Lines(data))
        if (IsValidSentence(line)) ++n;
    return n;
}

TEST(PtyEndToEnd, ServesNmeaInOrderAnswersQueriesAndGarblesAtTheWrongBaud) {
    ASSERT_EQ(access(kBinary.c_str(), X_OK), 0) << "gnss-sim program missing: " << kBinary;
    SimProcess sim({"--family", "mtk", "--variant", "c", "--baud", "9600", "--rate", "1",
                    "--power-on-ms", "0"});
    ASSERT_FALSE(sim.Path().empty());
    const int fd = OpenPort(sim.Path(), B9600);
    ASSERT_GE(fd, 0) << sim.Path();

    // Three epochs of valid sentences with increasing time stamps.
    const std::string data = ReadFor(fd, 8.0, [](const std::string& d) {
        int rmc = 0;
        for (const auto& line : testing::Lines(d))
            if (testing::IsKind(line, "RMC") && IsValidSentence(line)) ++rmc;
        return rmc >= 3;
    });
    std::vector<std::string> times;
    for (const auto& line : testing::Lines(data)) {
        if (testing::IsKind(line, "RMC") && IsValidSentence(line))
            times.push_back(testing::Fields(line)[1]);
    }
    ASSERT_GE(times.size(), 3u);
    for (std::size_t i = 1; i < times.size(); ++i) EXPECT_LT(times[i - 1], times[i]);

    // The tool's version query is answered.
    const std::string query = "$PMTK605*31\r\n";
    ASSERT_EQ(write(fd, query.data(), query.size()), static_cast<ssize_t>(query.size()));
    const std::string reply =
        ReadFor(fd, 5.0, [](const std::string& d) { return d.find("ZK-48") != std::string::npos; });
    EXPECT_NE(reply.find("$PMTK705,"), std::string::npos);

    // At the wrong rate the stream is garbage.
    SetSpeed(fd, B115200);
    ReadFor(fd, 2.5, [](const std::string&) { return false; });  // what was already on its way
    const std::string garbled = ReadFor(fd, 2.5, [](const std::string&) { return false; });
    EXPECT_FALSE(garbled.empty());
    EXPECT_EQ(CountValid(garbled), 0);

    // Back at the right rate, NMEA again.
    SetSpeed(fd, B9600);
    ReadFor(fd, 1.5, [](const std::string&) { return false; });
    const std::string clean =
        ReadFor(fd, 6.0, [](const std::string& d) { return CountValid(d) >= 5; });
    EXPECT_GE(CountValid(clean), 5);
    close(fd);
    EXPECT_EQ(sim.Terminate(), 0);
}

TEST(PtyEndToEnd, VanishingDeviceEndsTheStream) {
    ASSERT_EQ(access(kBinary.c_str(), X_OK), 0) << "gnss-sim program missing: " << kBinary;
    SimProcess sim({"--family", "ublox", "--fault", "vanish=2"});
    ASSERT_FALSE(sim.Path().empty());
    const int fd = OpenPort(sim.Path(), B9600);
    ASSERT_GE(fd, 0);
    // Reading ends in an error or hang-up once the device has gone.
    bool gone = false;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!gone && std::chrono::steady_clock::now() < end) {
        pollfd pfd{fd, POLLIN, 0};
        if (poll(&pfd, 1, 200) > 0) {
            char buffer[1024];
            const ssize_t n = read(fd, buffer, sizeof buffer);
            gone = (pfd.revents & (POLLHUP | POLLERR)) != 0 || n == 0 || (n < 0 && errno != EAGAIN);
        }
    }
    EXPECT_TRUE(gone);
    close(fd);
}

}  // namespace
}  // namespace gnss::sim
