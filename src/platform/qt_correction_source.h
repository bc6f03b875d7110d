#pragma once

#include <QTcpSocket>

#include "corrections/correction_source.h"

namespace gnss {

// The correction link over a Qt TCP socket. The socket collects what arrives while the event
// loop runs; TakeAvailable hands over what it holds. A connection closed by the other end still
// gives its last bytes before it counts as failed.
class QtCorrectionSource final : public CorrectionSource {
  public:
    // A refused local connection fails at once; this only bounds an unanswered one.
    static constexpr int kConnectWaitMs = 3000;

    QtCorrectionSource() = default;
    ~QtCorrectionSource() override;
    QtCorrectionSource(const QtCorrectionSource&) = delete;
    QtCorrectionSource& operator=(const QtCorrectionSource&) = delete;

    bool Connect(std::string_view host, uint16_t port) override;
    bool Disconnect() override;
    bool TakeAvailable(std::string& bytes) override;

  private:
    QTcpSocket socket_;
};

}  // namespace gnss
