#pragma once

// A real HTTP server on 127.0.0.1 for download tests: Python's http.server serving a temporary
// folder. The test fails (it never skips) when python3 is missing.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <string>

#include "platform/qt_test_support.h"

namespace gnss::testing {

class HttpTestServer {
  public:
    HttpTestServer() {
        QTcpServer probe;  // a free port, released for the server
        if (!probe.listen(QHostAddress::LocalHost, 0)) return;
        port_ = probe.serverPort();
        probe.close();
        process_.setWorkingDirectory(folder_.path());
        process_.start("python3",
                       {"-m", "http.server", "--bind", "127.0.0.1", QString::number(port_)});
        if (!process_.waitForStarted(5000)) return;
        ready_ = WaitUntil(
            [&] {
                QTcpSocket socket;
                socket.connectToHost(QHostAddress::LocalHost, port_);
                return socket.waitForConnected(200);
            },
            10000);
    }
    ~HttpTestServer() {
        process_.terminate();
        if (!process_.waitForFinished(3000)) process_.kill();
        process_.waitForFinished(3000);
    }
    HttpTestServer(const HttpTestServer&) = delete;
    HttpTestServer& operator=(const HttpTestServer&) = delete;

    [[nodiscard]] bool Ready() const { return ready_; }
    // Serves bytes under name, which may have folders ("a/b.bin").
    bool Put(const QString& name, const std::string& bytes) const {
        QDir(folder_.path()).mkpath(QFileInfo(name).path());
        QFile file(FilePath(name));
        return file.open(QIODevice::WriteOnly) &&
               file.write(bytes.data(), static_cast<qint64>(bytes.size())) ==
                   static_cast<qint64>(bytes.size());
    }
    [[nodiscard]] QString FilePath(const QString& name) const {
        return QDir(folder_.path()).filePath(name);
    }
    // The server's request log so far: one line per request ("HEAD /x HTTP/1.1" 200 -).
    QByteArray Log() {
        process_.waitForReadyRead(100);
        log_ += process_.readAllStandardError();
        return log_;
    }
    [[nodiscard]] QString Url(const QString& name) const {
        return QString("http://127.0.0.1:%1/%2").arg(port_).arg(name);
    }

  private:
    QTemporaryDir folder_;
    QProcess process_;
    QByteArray log_;
    quint16 port_ = 0;
    bool ready_ = false;
};

}  // namespace gnss::testing
