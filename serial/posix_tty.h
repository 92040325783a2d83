#pragma once

namespace korv::posix_tty {

// What applying the line settings did, for the caller and the tests.
struct LineReport {
    unsigned rateReadBack = 0;   // the input and output rate the driver reports afterwards
    bool modemLinesOff = false;  // DTR and RTS cleared (a pseudo-terminal has no modem lines)
    bool lowLatency = false;     // the driver's low-latency mode is on
};

// Raw mode with VMIN=1, 8N1, no flow control in either direction, HUPCL off, the device rate set
// exactly (termios2 with BOTHER), DTR and RTS off, low latency where offered. Returns false only
// when the line settings themselves are refused.
bool configureLine(int fd, LineReport& report);

// Discards both queues.
bool flushBoth(int fd);

// Exclusive mode of the tty (further opens fail with EBUSY, except for root).
void setExclusive(int fd, bool on);

// For 8250-type ports, which exist whether or not there is a UART behind them.
bool hasKnownUart(int fd);

}  // namespace korv::posix_tty
