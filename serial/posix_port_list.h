#pragma once

#include <functional>
#include <string>
#include <vector>

namespace korv::posix_port {

// Device paths of the ttys under sysfsTtyDir that have a real device behind them, in a stable
// order (by name, numbers compared as numbers). 8250-type ttyS ports count only when the
// driver reports a UART behind them.
std::vector<std::string> serialDevices(const std::string& sysfsTtyDir = "/sys/class/tty");

// Paths from the value of KORVANDELIX_EXTRA_PORTS: separated by ':', empty ones skipped.
std::vector<std::string> extraPorts(const char* environmentValue);

// Orders device names as people do: ttyS2 before ttyS10.
bool naturalLess(const std::string& a, const std::string& b);

// Every port that can be opened right now (opened and closed at once), system ports first, then
// the extra ones. A port left out because permission was denied is named on standard error,
// with the usual fix.
void listOpenablePorts(const std::function<void(const std::string&)>& found);

}  // namespace korv::posix_port
