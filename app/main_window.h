#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QWidget>

#include "app/picture_box.h"
#include "app/port_combo_box.h"
#include "common/value.h"
#include "coordinator/window_operations.h"

namespace korv {

// The program's one window with its thirteen controls. It knows how the window looks and what
// it does by itself (fitting labels, docking the error lines, dragging, focus keys, the
// disabled state); what the rest of the program asks of it goes through QtWindowOperations.
class MainWindow : public QWidget {
    Q_OBJECT

public:
    static constexpr int kClientWidth = 610;
    static constexpr int kClientHeight = 146;

    explicit MainWindow(int logicalDpi);
    ~MainWindow() override;

    QWidget* control(Control c);

    void setControlVisible(Control c, bool visible);
    void setControlEnabled(Control c, bool enabled);
    // While blocked, the window and its controls ignore mouse and keyboard input and the close
    // box, but are still drawn and still changed by the program.
    void setInputBlocked(bool blocked);
    void setFieldText(Control c, const Bytes& text);
    Bytes fieldText(Control c) const;
    void setProgress(int blocks);
    void addPortEntry(const Bytes& name);
    // Closes at once, whatever the input state: Closing is raised, then the window goes.
    void closeNow();

signals:
    void writeClicked();
    void okClicked();
    void portPicked(const QString& entry);  // raised from the event queue, after the pick
    void closing();                          // once, as the window begins to close
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setUpLabel(QLabel& label, const Bytes& text, int points, bool bold, Qt::Alignment alignment);
    void fitLabel(QLabel& label);
    void redockErrorLines();
    bool moveFocusByKey(QObject* watched, int key);

    const int dpi_;
    bool inputBlocked_ = false;
    bool forceClose_ = false;
    bool closingRaised_ = false;
    bool dragging_ = false;
    QPoint dragOffset_;

    // In creation order, which is also the focus order.
    QLabel errorLine1_;
    QLabel errorLine2_;
    QPushButton writeButton_;
    QLineEdit statusField_;
    PortComboBox portList_;
    QProgressBar progressBar_;
    QLineEdit crcField_;
    QLabel crcReceivedLabel_;
    QLabel crcLabel_;
    QPushButton okButton_;
    PictureBox errorPicture_;
    QLabel successText_;
    QLabel versionLabel_;
};

}  // namespace korv
