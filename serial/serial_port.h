#pragma once

#include <memory>

#include "common/output.h"
#include "common/value.h"
#include "common/waiter.h"

namespace korv {

// The serial port service: lists the ports that can be opened, opens one at a time with the
// device's fixed line settings, writes bytes, and delivers received bytes as chunks from a
// reader thread of its own. It never interprets the bytes. The platform's part lives in
// serial/<platform>_*; this header names no type of the system's.
class SerialPort {
public:
    // waiter: how Close waits for the reader thread; the window's keeps serving the operations
    // handed to the window thread meanwhile, so a reader blocked on the window cannot deadlock it.
    explicit SerialPort(Waiter& waiter);
    ~SerialPort();
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // One PortFound per port that can be opened right now, before it returns.
    void ListPorts();
    // Exactly one OpenResult (the port number 1..255, or 0) before it returns, unless a port is
    // already open, in which case nothing at all happens.
    void Open(const Value& name);
    // Stops the reader (no DataReceived follows), discards both queues and releases the port.
    void Close();
    // Sends the bytes unchanged; returns when they are with the driver or the write time-out has
    // passed. Dropped silently when no port is open or the line has gone.
    void Write(const Value& bytes);

    // True from the moment Close begins on an open port until the next Open: a reaction waiting
    // on the reader thread ends its wait when it sees this.
    bool closing() const;

    Output PortFound;     // a port name
    Output OpenResult;    // the port number, or 0
    Output DataReceived;  // one chunk, on the reader thread

private:
    class Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace korv
