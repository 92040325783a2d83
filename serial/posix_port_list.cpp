#include "serial/posix_port_list.h"

#include <grp.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "serial/posix_port_access.h"
#include "serial/posix_tty.h"

namespace korv::posix_port {

namespace fs = std::filesystem;

bool naturalLess(const std::string& a, const std::string& b) {
    auto split = [](const std::string& s) {
        std::size_t i = s.size();
        while (i > 0 && s[i - 1] >= '0' && s[i - 1] <= '9') --i;
        long number = i < s.size() ? std::strtol(s.c_str() + i, nullptr, 10) : -1;
        return std::pair(s.substr(0, i), number);
    };
    return split(a) < split(b);
}

std::vector<std::string> serialDevices(const std::string& sysfsTtyDir) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(sysfsTtyDir, ec)) {
        // Virtual terminals, ptys and the console have no device link; real ports do.
        if (!fs::exists(entry.path() / "device", ec)) continue;
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end(), naturalLess);
    std::vector<std::string> paths;
    for (const auto& name : names) {
        const std::string path = "/dev/" + name;
        if (name.rfind("ttyS", 0) == 0) {
            ExclusivePort port = openExclusive(path);
            if (port.isOpen() && !posix_tty::hasKnownUart(port.fd())) continue;
        }
        paths.push_back(path);
    }
    return paths;
}

std::vector<std::string> extraPorts(const char* environmentValue) {
    std::vector<std::string> paths;
    if (environmentValue == nullptr) return paths;
    std::string value(environmentValue);
    std::size_t start = 0;
    while (start <= value.size()) {
        std::size_t end = value.find(':', start);
        if (end == std::string::npos) end = value.size();
        if (end > start) paths.push_back(value.substr(start, end - start));
        start = end + 1;
    }
    return paths;
}

namespace {

// One line for all ports left out for want of permission, naming the group that owns them.
void explainPermissionDenied(const std::vector<std::string>& paths) {
    struct stat info {};
    std::string group = "dialout";
    if (::stat(paths.front().c_str(), &info) == 0) {
        if (const struct group* owner = ::getgrgid(info.st_gid)) group = owner->gr_name;
    }
    std::string names;
    for (const auto& path : paths) names += (names.empty() ? "" : ", ") + path;
    std::fprintf(stderr,
                 "korvandelix-bootloader: left out of the port list, permission denied: %s; "
                 "add your user to the group '%s' (sudo usermod -aG %s $USER) and log in again\n",
                 names.c_str(), group.c_str(), group.c_str());
}

}  // namespace

void listOpenablePorts(const std::function<void(const std::string&)>& found) {
    std::vector<std::string> candidates = serialDevices();
    for (auto& extra : extraPorts(std::getenv("KORVANDELIX_EXTRA_PORTS"))) {
        candidates.push_back(std::move(extra));
    }
    std::vector<std::string> denied;
    for (const auto& path : candidates) {
        ExclusivePort port = openExclusive(path);
        if (port.isOpen()) {
            port = ExclusivePort();  // closed at once, before anyone is told about it
            found(path);
        } else if (port.error() == EACCES || port.error() == EPERM) {
            denied.push_back(path);
        }
    }
    if (!denied.empty()) explainPermissionDenied(denied);
}

}  // namespace korv::posix_port
