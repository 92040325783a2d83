#pragma once

#include <string>

namespace devsim {

// A pseudo-terminal pair in raw mode: the simulator is the master; the slave's path is the port
// the updater opens. The simulator keeps a slave descriptor of its own, so the port keeps its
// settings and the master sees no hang-up while the updater closes and reopens the port.
class PseudoTerminal {
public:
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    bool valid() const { return master_ >= 0 && slave_ >= 0; }
    int master() const { return master_; }
    const std::string& path() const { return path_; }

    // All bytes, or false when the pty has gone.
    bool writeAll(const std::string& bytes) const;
    // Closes both ends, as when the device is unplugged.
    void close();

private:
    int master_ = -1;
    int slave_ = -1;
    std::string path_;
};

}  // namespace devsim
