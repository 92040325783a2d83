#pragma once

#include <atomic>

#include "common/output.h"
#include "common/value.h"

namespace korv {

// Where received data goes: to the identification until a device has answered, then to the
// update exchange.
enum LinkStateValue : int { Identifying = 0, Identified = 1 };

// The device identification: asks "VERS" on the chosen port and turns the device's answer into
// the status text; owns LinkState.
class TClassMultiElementEx_20786E0 {
public:
    // Window thread: the user picked a port.
    void PortSelected(const Value& portName);
    // Window thread: the port has been opened (its number) or not (0).
    void OpenResult(const Value& number);
    // Reader thread: one chunk, judged alone, while LinkState is Identifying.
    void ChunkReceived(const Value& chunk);

    int LinkState() const { return linkState_.load(); }

    Output RequestOpen;       // the chosen port name
    Output SendQuery;         // "VERS"
    Output ShowStatus;        // the status text (Windows-1251)
    Output DeviceIdentified;  // the marker token as received

    static const Bytes& failureText();
    static const Bytes& successTemplate();

private:
    std::atomic<int> linkState_{Identifying};
};

}  // namespace korv
