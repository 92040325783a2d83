#include "app/program.h"

#include <QMessageBox>

#include "app/qt_window_operations.h"
#include "app/text_codec.h"
#include "common/cp1251.h"
#include "coordinator/hiSimpleForm_2008870.h"

namespace korv {

int runProgram(const QStringList& arguments, int stopSignalFd) {
    if (arguments.size() > 1 && arguments[1] == "/ih") {
        QMessageBox box(QMessageBox::NoIcon, "HiAsm Info", text::forLabel(cp1251::fromUtf8("Сделано в HiAsm.")),
                        QMessageBox::Ok);
        box.exec();
        return 0;
    }
    TClassSimpleForm_2008870 form(FormParts{[stopSignalFd]() -> std::unique_ptr<WindowOperations> {
        return std::make_unique<QtWindowOperations>(stopSignalFd);
    }});
    return form.run();
}

}  // namespace korv
