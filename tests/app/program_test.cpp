#include "app/program.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <chrono>
#include <thread>

#include "app/main_window.h"
#include "app/text_codec.h"
#include "common/cp1251.h"

extern char** environ;

namespace korv {
namespace {

MainWindow* shownMainWindow() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* window = qobject_cast<MainWindow*>(w); window != nullptr && window->isVisible()) return window;
    }
    return nullptr;
}

bool anyMainWindow() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (qobject_cast<MainWindow*>(w) != nullptr) return true;
    }
    return false;
}

TEST(Program, InfoSwitchShowsOnlyTheMessageBoxAndExitsZero) {
    QString title;
    QString text;
    bool windowSeen = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) return;
        title = box->windowTitle();
        text = box->text();
        windowSeen = anyMainWindow();
        box->button(QMessageBox::Ok)->click();
    });
    poll.start(10);
    EXPECT_EQ(runProgram({"korvandelix-bootloader", "/ih"}, -1), 0);
    EXPECT_EQ(title, "HiAsm Info");
    EXPECT_EQ(text::fromLabel(text), cp1251::fromUtf8("Сделано в HiAsm."));
    EXPECT_FALSE(windowSeen);
}

class ProgramStartsNormally : public ::testing::TestWithParam<QStringList> {};

TEST_P(ProgramStartsNormally, WithAnyOtherArguments) {
    bool windowShown = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (MainWindow* window = shownMainWindow()) {
            windowShown = true;
            window->close();
        }
    });
    poll.start(10);
    EXPECT_EQ(runProgram(GetParam(), -1), 0);
    EXPECT_TRUE(windowShown);
}

INSTANTIATE_TEST_SUITE_P(Table, ProgramStartsNormally,
                         ::testing::Values(QStringList{"prog"}, QStringList{"prog", "/IH"}, QStringList{"prog", "ih"},
                                           QStringList{"prog", "x", "/ih"}),
                         [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST(Program, SigtermClosesTheWindowAndExitsZero) {
    std::vector<std::string> args = {KORV_PROGRAM};
    std::vector<char*> argv = {args[0].data(), nullptr};
    std::vector<std::string> env = {"QT_QPA_PLATFORM=offscreen"};
    for (char** e = environ; *e != nullptr; ++e) env.emplace_back(*e);
    std::vector<char*> envp;
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    pid_t pid = -1;
    ASSERT_EQ(::posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), envp.data()), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    ::kill(pid, SIGTERM);
    int status = -1;
    for (int i = 0; i < 500 && ::waitpid(pid, &status, WNOHANG) == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_TRUE(WIFEXITED(status)) << "still running or killed: " << status;
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
}  // namespace korv
