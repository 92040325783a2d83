#pragma once

#include <QStringList>

namespace korv {

// The program after the Qt application exists: "/ih" as the first argument shows only the
// information box; otherwise the main form runs until its window closes. Returns the exit code,
// which is always 0.
int runProgram(const QStringList& arguments, int stopSignalFd);

}  // namespace korv
