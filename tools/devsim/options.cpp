#include "tools/devsim/options.h"

#include <cstdlib>
#include <functional>
#include <map>
#include <random>

namespace devsim {

const char* const kUsage =
    "usage: korv-devsim [options]\n"
    "  --name NAME --version VERSION   identification answer (DEV2, 1.8)\n"
    "  --crlf                          end the identification answer with CR LF\n"
    "  --marker-case upper|lower|mixed letter case of KORVANDELIX\n"
    "  --image-size BYTES              image length (130048)\n"
    "  --link PATH                     symlink to the port, removed at exit\n"
    "  --report FILE                   JSON report at exit (else standard error)\n"
    "  --expect FILE                   compare the received image with this file\n"
    "  --exit-after-pusk               end once PUSK has come\n"
    "  --line-rate                     pace like the real line: 38462 bit/s, 8N1\n"
    "  --turnaround US                 processing time per block\n"
    "faults (block numbers from 1):\n"
    "  --wrong-crc-at N  --silent-from N  --split-reply-at N [--split-pause-ms MS]\n"
    "  --garbage-after-reply-at N  --no-vers-answer  --garbage-vers-answer\n"
    "  --unplug-at N  --repeat-final  --slow-reply-at N [--slow-reply-ms MS]\n"
    "  --random-fault --seed S         one of the block faults, drawn from the seed\n";

std::optional<Options> parseOptions(int argc, char** argv, std::string& error) {
    Options o;
    auto number = [](const std::string& s) { return std::strtoll(s.c_str(), nullptr, 10); };
    std::map<std::string, std::function<void(const std::string&)>> withValue = {
        {"--name", [&](const std::string& v) { o.name = v; }},
        {"--version", [&](const std::string& v) { o.version = v; }},
        {"--image-size", [&](const std::string& v) { o.imageSize = static_cast<std::size_t>(number(v)); }},
        {"--link", [&](const std::string& v) { o.linkPath = v; }},
        {"--report", [&](const std::string& v) { o.reportPath = v; }},
        {"--expect", [&](const std::string& v) { o.expectPath = v; }},
        {"--turnaround", [&](const std::string& v) { o.turnaround = std::chrono::microseconds(number(v)); }},
        {"--wrong-crc-at", [&](const std::string& v) { o.faults.wrongChecksumAt = static_cast<int>(number(v)); }},
        {"--silent-from", [&](const std::string& v) { o.faults.silentFrom = static_cast<int>(number(v)); }},
        {"--split-reply-at", [&](const std::string& v) { o.faults.splitReplyAt = static_cast<int>(number(v)); }},
        {"--split-pause-ms", [&](const std::string& v) { o.faults.splitPause = std::chrono::milliseconds(number(v)); }},
        {"--garbage-after-reply-at", [&](const std::string& v) { o.faults.garbageAfterReplyAt = static_cast<int>(number(v)); }},
        {"--unplug-at", [&](const std::string& v) { o.faults.unplugAt = static_cast<int>(number(v)); }},
        {"--slow-reply-at", [&](const std::string& v) { o.faults.slowReplyAt = static_cast<int>(number(v)); }},
        {"--slow-reply-ms", [&](const std::string& v) { o.faults.slowReplyDelay = std::chrono::milliseconds(number(v)); }},
        {"--seed", [&](const std::string& v) { o.seed = static_cast<std::uint64_t>(number(v)); }},
        {"--marker-case",
         [&](const std::string& v) {
             if (v == "upper") o.markerCase = MarkerCase::Upper;
             else if (v == "lower") o.markerCase = MarkerCase::Lower;
             else if (v == "mixed") o.markerCase = MarkerCase::Mixed;
             else error = "--marker-case takes upper, lower or mixed";
         }},
    };
    std::map<std::string, bool*> flags = {
        {"--crlf", &o.crlf},
        {"--exit-after-pusk", &o.exitAfterPusk},
        {"--line-rate", &o.lineRate},
        {"--no-vers-answer", &o.faults.noVersAnswer},
        {"--garbage-vers-answer", &o.faults.garbageVersAnswer},
        {"--repeat-final", &o.faults.repeatFinalReply},
        {"--random-fault", &o.randomFault},
    };
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (auto f = flags.find(arg); f != flags.end()) {
            *f->second = true;
        } else if (auto w = withValue.find(arg); w != withValue.end()) {
            if (i + 1 >= argc) {
                error = arg + " needs a value";
                return std::nullopt;
            }
            w->second(argv[++i]);
        } else {
            error = "unknown option " + arg;
            return std::nullopt;
        }
        if (!error.empty()) return std::nullopt;
    }
    if (o.imageSize == 0) {
        error = "--image-size must be positive";
        return std::nullopt;
    }
    if (o.randomFault && !o.seed) {
        error = "--random-fault needs --seed";
        return std::nullopt;
    }
    return o;
}

void chooseRandomFault(Options& o) {
    if (!o.randomFault) return;
    std::mt19937_64 random(*o.seed);
    const int blocks = static_cast<int>((o.imageSize + 255) / 256);
    const int block = static_cast<int>(random() % static_cast<std::uint64_t>(blocks)) + 1;
    switch (random() % 6) {
        case 0: o.faults.wrongChecksumAt = block; o.randomFaultName = "wrong-crc-at"; break;
        case 1: o.faults.silentFrom = block; o.randomFaultName = "silent-from"; break;
        case 2: o.faults.garbageAfterReplyAt = block; o.randomFaultName = "garbage-after-reply-at"; break;
        case 3: o.faults.unplugAt = block; o.randomFaultName = "unplug-at"; break;
        case 4: o.faults.splitReplyAt = block; o.randomFaultName = "split-reply-at"; break;
        default: o.faults.slowReplyAt = block; o.randomFaultName = "slow-reply-at"; break;
    }
    o.randomFaultName += " " + std::to_string(block);
}

}  // namespace devsim
