#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace gnss {

// The connection's status texts, each shown in its own place.
enum class ConnectionStatusItem : uint8_t {
    PortText,      // the port and what became of it
    PortOpenLook,  // the port text's look: raised while the port is open
    Elapsed,       // connected time
    NoData,        // the no-data mark
    ReceiveRate,   // bytes received in the last second
    Detection,     // progress of the baud-rate detection
};

struct ConnectionStatus {
    std::string PortText;       // "Open (ttyUSB0,9600 bps)", "Connection Fail", "ttyUSB0 Close"
    bool PortOpenLook = false;  // true from a successful open until the port is closed
    std::string Elapsed;        // seconds since the connect as "hh:mm:ss"
    std::string NoData;         // "*" after a second without data, else empty
    std::string ReceiveRate;    // " Rx(Bps):1234"
    std::string Detection;      // "GPS Baud Rate Detection", with a dot per rate tried
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
