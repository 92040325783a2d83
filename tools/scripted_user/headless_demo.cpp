// korv-headless-demo PORT [SCREENSHOT.png]
// The program on the offscreen platform with a scripted user: picks PORT, presses "Записать",
// waits for the end screen, saves it as a picture and presses "OK". For the demo on a machine
// without a display.
#include <QApplication>
#include <QStyleFactory>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "tools/scripted_user/scripted_user.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PORT [SCREENSHOT.png]\n", argv[0]);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QApplication::setStyle(QStyleFactory::create("Fusion"));
    korv::ScriptedUserOptions options;
    if (argc > 2) options.screenshotPath = argv[2];
    std::printf("No display: the program runs off screen; a scripted user picks %s, presses the write\n"
                "button and waits for the end screen (the success text comes 15 s after the update).\n",
                argv[1]);
    std::fflush(stdout);
    const korv::ScriptedRun run = korv::runAsScriptedUser(argv[1], options);
    auto seconds = [](auto from, auto to) { return std::chrono::duration<double>(to - from).count(); };
    if (run.writeClickedAt && (run.successShownAt || run.errorShownAt)) {
        std::printf("End screen %.1f s after the write button: %s\n",
                    seconds(*run.writeClickedAt, run.successShownAt ? *run.successShownAt : *run.errorShownAt),
                    run.success ? "success" : "transfer error");
    }
    if (!options.screenshotPath.empty() && run.endScreenComplete) {
        std::printf("The end screen as it looked: %s\n", options.screenshotPath.c_str());
    }
    if (run.timedOut) std::printf("The run did not end in time.\n");
    return run.success ? 0 : 1;
}
