#include "app/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QIcon>
#include <QKeyEvent>
#include <QMouseEvent>

#include <algorithm>

#include "app/fonts.h"
#include "app/text_codec.h"
#include "common/cp1251.h"

// The pictures live in a static library; their registration must be pulled in by hand, and
// outside any namespace.
static void registerPictures() { Q_INIT_RESOURCE(pictures); }

namespace korv {

namespace {

Bytes cp(const char* utf8) { return cp1251::fromUtf8(utf8); }

// The success message: two lines, each led by spaces that move the words to the right.
Bytes successMessage() {
    return Bytes(29, ' ') + cp("ПО успешно обновлено!") + "\r\n" + Bytes(24, ' ') +
           cp("Сбросте настройки по умолчанию!");
}

// System colours of the style in use: button face, 3-D light, window background, button shadow.
void paint(QWidget& w, QPalette::ColorRole backgroundRole, const QColor& background) {
    QPalette p = w.palette();
    p.setColor(backgroundRole, background);
    // Black text while enabled; a disabled control keeps the style's greyed text.
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
            p.setColor(group, role, Qt::black);
        }
    }
    w.setPalette(p);
}

bool isInputEvent(QEvent::Type type) {
    switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Wheel:
        case QEvent::Shortcut:
        case QEvent::ShortcutOverride:
        case QEvent::ContextMenu:
        case QEvent::TabletPress:
        case QEvent::TouchBegin:
            return true;
        default:
            return false;
    }
}

}  // namespace

MainWindow::MainWindow(int logicalDpi)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      dpi_(logicalDpi),
      errorLine1_(this),
      errorLine2_(this),
      writeButton_(this),
      statusField_(this),
      portList_(this),
      progressBar_(this),
      crcField_(this),
      crcReceivedLabel_(this),
      crcLabel_(this),
      okButton_(this),
      errorPicture_((registerPictures(), QPixmap(":/BITMAP0")), this),
      successText_(this),
      versionLabel_(this) {
    const QPalette system = palette();
    const QColor buttonFace = system.color(QPalette::Button);
    setWindowTitle("Korvandelix bootloader");
    QIcon icon;
    icon.addFile(":/ASMA16", QSize(16, 16));
    icon.addFile(":/ASMA32", QSize(32, 32));
    setWindowIcon(icon);
    setFixedSize(kClientWidth, kClientHeight);
    move(200, 200);
    paint(*this, QPalette::Window, buttonFace);
    setAutoFillBackground(true);

    setUpLabel(errorLine1_, cp("Ошибка при передаче данных!"), 10, false, Qt::AlignHCenter | Qt::AlignTop);
    setUpLabel(errorLine2_, cp("Проверьте все соединения и попробуйте ещё раз."), 10, false,
               Qt::AlignHCenter | Qt::AlignTop);
    errorLine1_.setWordWrap(true);
    errorLine2_.setWordWrap(true);
    errorLine1_.hide();
    errorLine2_.hide();

    for (QPushButton* button : {&writeButton_, &okButton_}) {
        button->setFont(fonts::msSansSerif(8, dpi_));
        button->setAutoDefault(false);
        button->setDefault(false);
        paint(*button, QPalette::Button, buttonFace);
        button->installEventFilter(this);
        connect(button, &QPushButton::clicked, this, button == &writeButton_ ? &MainWindow::writeClicked
                                                                            : &MainWindow::okClicked);
    }
    writeButton_.setText(text::forLabel(cp("Записать")));
    writeButton_.setGeometry(5, 50, 85, 30);
    writeButton_.setEnabled(false);

    statusField_.setGeometry(110, 10, 320, 25);
    statusField_.setFont(fonts::msSansSerif(8, dpi_));
    statusField_.setReadOnly(true);
    statusField_.setFocusPolicy(Qt::StrongFocus);
    paint(statusField_, QPalette::Base, system.color(QPalette::Midlight));
    statusField_.setText(text::forField(cp("Выберите порт с подключённым устройством.")));
    statusField_.setCursorPosition(0);
    statusField_.installEventFilter(this);

    portList_.setGeometry(10, 10, 85, 24);
    portList_.setFont(fonts::msSansSerif(8, dpi_));
    paint(portList_, QPalette::Base, system.color(QPalette::Base));
    connect(&portList_, &QComboBox::activated, this, [this] {
        // Raised from the end of the queue, once the list has finished its own work.
        QMetaObject::invokeMethod(
            this, [this] { emit portPicked(portList_.itemText(portList_.currentIndex())); },
            Qt::QueuedConnection);
    });

    progressBar_.setGeometry(5, 90, 600, 30);
    progressBar_.setRange(0, kProgressMaximum);
    progressBar_.setValue(0);
    progressBar_.setTextVisible(false);
    QPalette bar = progressBar_.palette();
    bar.setColor(QPalette::Window, buttonFace);
    bar.setColor(QPalette::Base, buttonFace);
    bar.setColor(QPalette::Highlight, system.color(QPalette::Dark));
    progressBar_.setPalette(bar);

    crcField_.setGeometry(45, 145, 85, 25);
    crcField_.setFont(fonts::msSansSerif(8, dpi_));
    paint(crcField_, QPalette::Base, system.color(QPalette::Base));
    crcField_.setText("FFFF");
    crcField_.hide();

    setUpLabel(crcReceivedLabel_, cp("CRC принятый:"), 8, false, Qt::AlignLeft | Qt::AlignTop);
    crcReceivedLabel_.move(140, 150);
    setUpLabel(crcLabel_, cp("CRC:"), 8, false, Qt::AlignLeft | Qt::AlignTop);
    crcLabel_.move(10, 150);

    okButton_.setText("OK");
    okButton_.setGeometry(245, 60, 115, 30);
    okButton_.hide();

    errorPicture_.setGeometry(145, 3, 15, 14);
    paint(errorPicture_, QPalette::Window, buttonFace);
    errorPicture_.hide();

    setUpLabel(successText_, successMessage(), 10, true, Qt::AlignHCenter | Qt::AlignTop);
    successText_.setGeometry(5, 0, 492, 49);
    successText_.hide();

    setUpLabel(versionLabel_, cp("Версия ПО для обновления:1.8 (KVRT)"), 8, false, Qt::AlignLeft | Qt::AlignTop);
    versionLabel_.move(110, 55);

    fitLabel(errorLine1_);
    fitLabel(errorLine2_);
    fitLabel(crcReceivedLabel_);
    fitLabel(crcLabel_);
    fitLabel(versionLabel_);

    QWidget* focusOrder[] = {&writeButton_, &statusField_, &portList_, &crcField_, &okButton_};
    for (std::size_t i = 0; i + 1 < std::size(focusOrder); ++i) setTabOrder(focusOrder[i], focusOrder[i + 1]);
    qApp->installEventFilter(this);
}

MainWindow::~MainWindow() { qApp->removeEventFilter(this); }

void MainWindow::setUpLabel(QLabel& label, const Bytes& text, int points, bool bold, Qt::Alignment alignment) {
    label.setTextFormat(Qt::PlainText);
    label.setFont(fonts::msSansSerif(points, dpi_, bold));
    label.setAlignment(alignment);
    label.setAutoFillBackground(true);
    paint(label, QPalette::Window, palette().color(QPalette::Button));
    label.setText(text::forLabel(text));
}

void MainWindow::fitLabel(QLabel& label) {
    const QFontMetrics metrics(label.font());
    const bool docked = &label == &errorLine1_ || &label == &errorLine2_;
    const int width = docked ? kClientWidth : metrics.horizontalAdvance(label.text()) + 1;
    label.resize(width, metrics.height() + 1);
}

// The visible error lines stacked from the top in creation order, each the client's width.
void MainWindow::redockErrorLines() {
    int y = 0;
    for (QLabel* line : {&errorLine1_, &errorLine2_}) {
        if (line->isHidden()) continue;
        line->setGeometry(0, y, kClientWidth, line->height());
        y += line->height();
    }
}

QWidget* MainWindow::control(Control c) {
    switch (c) {
        case Control::ErrorLine1: return &errorLine1_;
        case Control::ErrorLine2: return &errorLine2_;
        case Control::WriteButton: return &writeButton_;
        case Control::StatusField: return &statusField_;
        case Control::PortList: return &portList_;
        case Control::ProgressBar: return &progressBar_;
        case Control::CrcField: return &crcField_;
        case Control::CrcReceivedLabel: return &crcReceivedLabel_;
        case Control::CrcLabel: return &crcLabel_;
        case Control::OkButton: return &okButton_;
        case Control::ErrorPicture: return &errorPicture_;
        case Control::SuccessText: return &successText_;
        case Control::VersionLabel: return &versionLabel_;
    }
    return nullptr;
}

void MainWindow::setControlVisible(Control c, bool visible) {
    control(c)->setVisible(visible);
    if (c == Control::ErrorLine1 || c == Control::ErrorLine2) redockErrorLines();
}

void MainWindow::setControlEnabled(Control c, bool enabled) { control(c)->setEnabled(enabled); }

void MainWindow::setInputBlocked(bool blocked) { inputBlocked_ = blocked; }

void MainWindow::setFieldText(Control c, const Bytes& bytes) {
    QLineEdit& field = c == Control::CrcField ? crcField_ : statusField_;
    const int caret = field.cursorPosition();
    field.setText(text::forField(bytes));
    field.setCursorPosition(std::min(caret, static_cast<int>(field.text().size())));
}

Bytes MainWindow::fieldText(Control c) const {
    return text::fromField(c == Control::CrcField ? crcField_.text() : statusField_.text());
}

void MainWindow::setProgress(int blocks) {
    progressBar_.setValue(std::clamp(blocks, 0, kProgressMaximum));
    progressBar_.repaint();
}

void MainWindow::addPortEntry(const Bytes& name) {
    // Adding an entry leaves the selection and the text part as they were.
    const QString editText = portList_.currentText();
    const int current = portList_.currentIndex();
    const QSignalBlocker quiet(portList_);
    portList_.addItem(text::forField(name));
    portList_.setCurrentIndex(current);
    portList_.setEditText(editText);
}

void MainWindow::closeNow() {
    forceClose_ = true;
    close();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (closingRaised_) return;  // already closed
    if (inputBlocked_ && !forceClose_) {
        event->ignore();
        return;
    }
    closingRaised_ = true;
    emit closing();
    event->accept();
    emit closed();
}

void MainWindow::mousePressEvent(QMouseEvent* event) {
    const bool dragButton = event->button() == Qt::LeftButton || event->button() == Qt::RightButton ||
                            event->button() == Qt::MiddleButton;
    // Only the client area itself starts a drag, not a control on it.
    if (dragButton && childAt(event->position().toPoint()) == nullptr) {
        dragging_ = true;
        dragOffset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
    }
}

void MainWindow::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_) move(event->globalPosition().toPoint() - dragOffset_);
}

void MainWindow::mouseReleaseEvent(QMouseEvent*) { dragging_ = false; }

bool MainWindow::moveFocusByKey(QObject* watched, int key) {
    const bool onButton = watched == &writeButton_ || watched == &okButton_;
    const bool onStatus = watched == &statusField_;
    bool backwards = false;
    if (onButton && (key == Qt::Key_Left || key == Qt::Key_Up || key == Qt::Key_PageUp)) backwards = true;
    else if (onButton && (key == Qt::Key_Right || key == Qt::Key_Down || key == Qt::Key_PageDown)) backwards = false;
    else if (onStatus && (key == Qt::Key_Up || key == Qt::Key_PageUp)) backwards = true;
    else if (onStatus && (key == Qt::Key_Down || key == Qt::Key_PageDown)) backwards = false;
    else return false;
    focusNextPrevChild(!backwards);
    return true;
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (inputBlocked_ && isInputEvent(event->type())) {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget != nullptr && (widget == this || isAncestorOf(widget))) return true;
    }
    if (event->type() == QEvent::KeyPress &&
        moveFocusByKey(watched, static_cast<QKeyEvent*>(event)->key())) {
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace korv
