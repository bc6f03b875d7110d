#include "platform/qt_correction_source.h"

#include <QByteArray>
#include <QString>

namespace gnss {

QtCorrectionSource::~QtCorrectionSource() {
    socket_.abort();
}

bool QtCorrectionSource::Connect(std::string_view host, uint16_t port) {
    socket_.abort();
    socket_.connectToHost(QString::fromUtf8(host.data(), static_cast<qsizetype>(host.size())),
                          port);
    if (socket_.waitForConnected(kConnectWaitMs)) return true;
    socket_.abort();
    return false;
}

bool QtCorrectionSource::Disconnect() {
    if (socket_.state() == QAbstractSocket::UnconnectedState) return true;
    socket_.disconnectFromHost();
    if (socket_.state() != QAbstractSocket::UnconnectedState) socket_.abort();
    return socket_.state() == QAbstractSocket::UnconnectedState;
}

bool QtCorrectionSource::TakeAvailable(std::string& bytes) {
    const QByteArray data = socket_.readAll();
    bytes.append(data.constData(), static_cast<std::size_t>(data.size()));
    if (socket_.state() == QAbstractSocket::ConnectedState) return true;
    return !data.isEmpty();
}

}  // namespace gnss
