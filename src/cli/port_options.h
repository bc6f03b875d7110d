#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>
#include <string>

namespace gnss::cli {

// The receiver port a command opens, as given on its command line.
struct PortChoice {
    std::string Name;           // a name (ttyUSB0) or a device path (/dev/pts/3)
    std::string Baud = "9600";  // the rate's digits, or "Auto" to find the receiver's rate
};

// The --port and --baud options shared by every command that opens a receiver. Add them to
// the parser before parsing, read them after.
class PortOptions {
  public:
    // `defaultBaud`: the rate used when --baud is left out ("9600", or "auto").
    explicit PortOptions(const QString& defaultBaud = "9600");
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
