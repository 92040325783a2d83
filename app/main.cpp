#include <QApplication>
#include <QStyleFactory>

#include "app/program.h"
#include "app/stop_signals.h"

int main(int argc, char** argv) {
    korv::StopSignals stopSignals;  // first: before any thread exists
    // Only the first argument counts, as given: read it before Qt takes out its own options.
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    QApplication application(argc, argv);
    QApplication::setStyle(QStyleFactory::create("Fusion"));
    korv::runProgram(arguments, stopSignals.fd());
    return 0;
}
