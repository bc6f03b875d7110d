#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <cstdint>
#include <string>

namespace gnss::cli {

// The receiver port a command opens, as given on its command line.
struct PortChoice {
    std::string Name;  // a name (ttyUSB0) or a device path (/dev/pts/3)
    uint32_t BaudRate = 9600;
};

// The --port and --baud options shared by every command that opens a receiver. Add them to
// the parser before parsing, read them after.
class PortOptions {
  public:
    static constexpr uint32_t kDefaultBaudRate = 9600;

    PortOptions();
    void AddTo(QCommandLineParser& parser) const;

    // Reads the options: without --port the first listed port. False when the command must end
    // with *exitCode (a usage error, or no port present); the message was printed.
    bool Read(const QCommandLineParser& parser, const char* command, PortChoice& choice,
              int* exitCode) const;

  private:
    QCommandLineOption port_;
    QCommandLineOption baud_;
};

}  // namespace gnss::cli
