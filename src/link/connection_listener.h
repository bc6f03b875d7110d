#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace gnss {

// What the connection reports about itself, each item shown in its own place. All but the last
// are texts.
enum class ConnectionStatusItem : uint8_t {
    PortText,      // "Open (ttyUSB0,9600 bps)", "Connection Fail", "ttyUSB0 Close"
    Elapsed,       // seconds since the connect as "hh:mm:ss"
    NoData,        // "*" after a second without data, else empty
    ReceiveRate,   // " Rx(Bps):1234", bytes received in the last second
    Detection,     // "GPS Baud Rate Detection", with a dot per rate tried
    PortOpenLook,  // the port text's look: raised from a successful open until the port closes
};
inline constexpr std::size_t kConnectionStatusTextCount = 5;

struct ConnectionStatus {
    std::array<std::string, kConnectionStatusTextCount> Texts;
    bool PortOpenLook = false;

    // The text of an item; empty for PortOpenLook.
    [[nodiscard]] const std::string& Text(ConnectionStatusItem item) const {
        static const std::string kNone;
        const auto index = static_cast<std::size_t>(item);
        return index < Texts.size() ? Texts[index] : kNone;
    }
};

// What the connection control tells the features that follow it; registered with
// ConnectionControl::AddListener and called in registration order. Every method does nothing by
// default.
class ConnectionListener {
  public:
    virtual ~ConnectionListener() = default;

    // The connect button was pressed (to connect or to disconnect), before anything else.
    virtual void OnConnectPressed() {}
    // While any listener answers true, a press of the connect button changes nothing (a
    // running calibration keeps the connection).
    [[nodiscard]] virtual bool HoldsConnection() const { return false; }
    // Every connect and every disconnect, after the link's own resets: the listener's
    // per-connection state goes back to its start.
    virtual void OnConnectionChanging() {}
    // A connect begins, before the port is opened: the listener's state for a new receiver.
    virtual void OnConnecting() {}
    // A disconnect closed the port.
    virtual void OnDisconnected() {}
    // Once per second while the link runs, after the link's own duties and its supervision.
    virtual void OnLinkSecond() {}

    // The connection controls (ConnectionControl::View) changed.
    virtual void OnConnectionViewChanged() {}
    // One of the status texts (ConnectionControl::Status) was written.
    virtual void OnConnectionStatusChanged(ConnectionStatusItem /*item*/) {}
    // A port could not be opened; the user has been told why.
    virtual void OnPortOpenFailed() {}
    // A diagnostic line for the debug memo.
    virtual void OnConnectionNote(std::string_view /*line*/) {}
};

}  // namespace gnss
