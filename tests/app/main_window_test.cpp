#include "app/main_window.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QScreen>
#include <QTest>

#include "app/fonts.h"
#include "app/picture_fit.h"
#include "app/text_codec.h"
#include "common/cp1251.h"

namespace korv {
namespace {

int dpi() { return static_cast<int>(QGuiApplication::primaryScreen()->logicalDotsPerInchY()); }

// The text a control shows, as Windows-1251 bytes again.
Bytes shownBytes(QWidget* w) {
    if (auto* label = qobject_cast<QLabel*>(w)) return text::fromLabel(label->text());
    if (auto* field = qobject_cast<QLineEdit*>(w)) return text::fromField(field->text());
    if (auto* button = qobject_cast<QPushButton*>(w)) return text::fromLabel(button->text());
    if (auto* combo = qobject_cast<QComboBox*>(w)) return text::fromField(combo->currentText());
    return {};
}

struct ControlCase {
    const char* name;
    Control control;
    int x, y, width, height;  // width or height -1: fitted to the text
    const char* text;         // UTF-8 here, compared as Windows-1251 bytes
    int points;               // 0: no text of its own
    bool bold;
    bool visible;
    bool enabled;
};

const std::string kSuccessUtf8 = std::string(29, ' ') + "ПО успешно обновлено!\r\n" + std::string(24, ' ') +
                                 "Сбросте настройки по умолчанию!";

class MainWindowControls : public ::testing::TestWithParam<ControlCase> {};

TEST_P(MainWindowControls, StartAsTheTableGivesThem) {
    const ControlCase& c = GetParam();
    MainWindow window(dpi());
    QWidget* w = window.control(c.control);
    EXPECT_EQ(w->x(), c.x);
    EXPECT_EQ(w->y(), c.y);
    const QFontMetrics metrics(w->font());
    const int fittedWidth = metrics.horizontalAdvance(text::forLabel(cp1251::fromUtf8(c.text))) + 1;
    EXPECT_EQ(w->width(), c.width < 0 ? fittedWidth : c.width);
    EXPECT_EQ(w->height(), c.height < 0 ? metrics.height() + 1 : c.height);
    if (c.points > 0) {
        EXPECT_EQ(shownBytes(w), cp1251::fromUtf8(c.text));
        EXPECT_EQ(w->font().pixelSize(), fonts::pixelHeight(c.points, dpi()));
        EXPECT_EQ(w->font().bold(), c.bold);
    }
    EXPECT_EQ(!w->isHidden(), c.visible);
    EXPECT_EQ(w->isEnabled(), c.enabled);
}

INSTANTIATE_TEST_SUITE_P(
    Table, MainWindowControls,
    ::testing::Values(
        ControlCase{"ErrorLine1", Control::ErrorLine1, 0, 0, 610, -1, "Ошибка при передаче данных!", 10, false, false, true},
        ControlCase{"ErrorLine2", Control::ErrorLine2, 0, 0, 610, -1, "Проверьте все соединения и попробуйте ещё раз.", 10,
                    false, false, true},
        ControlCase{"WriteButton", Control::WriteButton, 5, 50, 85, 30, "Записать", 8, false, true, false},
        ControlCase{"StatusField", Control::StatusField, 110, 10, 320, 25, "Выберите порт с подключённым устройством.", 8,
                    false, true, true},
        ControlCase{"PortList", Control::PortList, 10, 10, 85, 24, "", 8, false, true, true},
        ControlCase{"ProgressBar", Control::ProgressBar, 5, 90, 600, 30, "", 0, false, true, true},
        ControlCase{"CrcField", Control::CrcField, 45, 145, 85, 25, "FFFF", 8, false, false, true},
        ControlCase{"CrcReceivedLabel", Control::CrcReceivedLabel, 140, 150, -1, -1, "CRC принятый:", 8, false, true, true},
        ControlCase{"CrcLabel", Control::CrcLabel, 10, 150, -1, -1, "CRC:", 8, false, true, true},
        ControlCase{"OkButton", Control::OkButton, 245, 60, 115, 30, "OK", 8, false, false, true},
        ControlCase{"ErrorPicture", Control::ErrorPicture, 145, 3, 15, 14, "", 0, false, false, true},
        ControlCase{"SuccessText", Control::SuccessText, 5, 0, 492, 49, kSuccessUtf8.c_str(), 10, true, false, true},
        ControlCase{"VersionLabel", Control::VersionLabel, 110, 55, -1, -1, "Версия ПО для обновления:1.8 (KVRT)", 8, false,
                    true, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MainWindow, WindowAttributes) {
    MainWindow window(dpi());
    EXPECT_EQ(window.windowTitle(), "Korvandelix bootloader");
    EXPECT_EQ(window.size(), QSize(610, 146));
    EXPECT_EQ(window.minimumSize(), window.maximumSize());  // not resizable
    EXPECT_EQ(window.pos(), QPoint(200, 200));
    EXPECT_FALSE(window.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(window.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_TRUE(window.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(window.windowIcon().isNull());
    EXPECT_EQ(window.windowIcon().availableSizes().size(), 2);
    auto* bar = qobject_cast<QProgressBar*>(window.control(Control::ProgressBar));
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_EQ(bar->maximum(), 507);
    EXPECT_EQ(bar->value(), 0);
    auto* combo = qobject_cast<QComboBox*>(window.control(Control::PortList));
    EXPECT_EQ(combo->count(), 0);
    EXPECT_TRUE(combo->isEditable());
    // The success text is exactly its 107 bytes.
    EXPECT_EQ(shownBytes(window.control(Control::SuccessText)).size(), 107u);
}

TEST(MainWindow, FontHeightsFollowTheFormula) {
    EXPECT_EQ(fonts::pixelHeight(8, 96), 11);
    EXPECT_EQ(fonts::pixelHeight(10, 96), 13);
    EXPECT_EQ(fonts::pixelHeight(8, 120), 13);
    EXPECT_EQ(fonts::pixelHeight(10, 144), 20);
}

TEST(MainWindow, ErrorLinesDockToTheTop) {
    MainWindow window(dpi());
    QWidget* line1 = window.control(Control::ErrorLine1);
    QWidget* line2 = window.control(Control::ErrorLine2);
    window.setControlVisible(Control::ErrorLine2, true);
    EXPECT_EQ(line2->geometry(), QRect(0, 0, 610, line2->height()));
    window.setControlVisible(Control::ErrorLine1, true);
    EXPECT_EQ(line1->geometry(), QRect(0, 0, 610, line1->height()));
    EXPECT_EQ(line2->y(), line1->height());
    window.setControlVisible(Control::ErrorLine1, false);
    EXPECT_EQ(line2->y(), 0);
}

TEST(MainWindow, FieldTextKeepsTheCaretAndEveryByte) {
    MainWindow window(dpi());
    auto* status = qobject_cast<QLineEdit*>(window.control(Control::StatusField));
    window.setFieldText(Control::StatusField, "abcdefgh");
    status->setCursorPosition(5);
    const Bytes odd("x\0\r\n\x80\x98\xFF", 7);
    window.setFieldText(Control::StatusField, odd + "zzz");
    EXPECT_EQ(status->cursorPosition(), 5);
    EXPECT_EQ(window.fieldText(Control::StatusField), odd + "zzz");
    window.setFieldText(Control::StatusField, "ab");
    EXPECT_EQ(status->cursorPosition(), 2);
    // Device bytes 0x80..0xFF show as their Windows-1251 letters.
    window.setFieldText(Control::StatusField, "\xC4\xE5\xE2");
    EXPECT_EQ(status->text(), QString::fromUtf8("Дев"));
}

TEST(MainWindow, TextCodecRoundTripsEveryByte) {
    Bytes all;
    for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
    EXPECT_EQ(text::fromField(text::forField(all)), all);
    EXPECT_EQ(text::fromLabel(text::forLabel(all)), all);
    EXPECT_EQ(text::forField(Bytes("a\0b", 3)).size(), 3);
}

struct FitCase {
    int areaW, areaH, picW, picH;
    PictureRect expected;
};

class PictureFit : public ::testing::TestWithParam<FitCase> {};

TEST_P(PictureFit, KeepsProportionsAndRoundsHalvesToEven) {
    const FitCase& c = GetParam();
    EXPECT_EQ(fitPicture(c.areaW, c.areaH, c.picW, c.picH), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Table, PictureFit,
                         ::testing::Values(FitCase{15, 14, 290, 290, {0, 0, 14, 14}},    // margin 0.5 -> 0
                                           FitCase{17, 14, 290, 290, {2, 0, 14, 14}},    // margin 1.5 -> 2
                                           FitCase{14, 17, 290, 290, {0, 2, 14, 14}},
                                           FitCase{20, 10, 100, 100, {5, 0, 10, 10}},
                                           FitCase{10, 10, 100, 50, {0, 2, 10, 5}},     // margin 2.5 -> 2
                                           FitCase{10, 10, 0, 0, {0, 0, 0, 0}}),
                         [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST(MainWindow, ErrorPictureIsBuiltIn) {
    QPixmap picture(":/BITMAP0");
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(picture.size(), QSize(290, 290));
    EXPECT_EQ(picture.toImage().pixelColor(2, 2), QColor(240, 240, 240));
    EXPECT_GT(picture.toImage().pixelColor(145, 40).red(), 180);  // the red badge
}

TEST(MainWindow, DropDownHeightHasRoomForOneToEightRows) {
    MainWindow window(dpi());
    window.show();
    auto* combo = qobject_cast<QComboBox*>(window.control(Control::PortList));
    auto openHeight = [&] {
        combo->showPopup();
        const int h = combo->view()->window()->height();
        combo->hidePopup();
        return h;
    };
    const int h = combo->height();
    EXPECT_EQ(openHeight(), 1 * h + 2);
    for (int i = 0; i < 8; ++i) window.addPortEntry("/dev/ttyS" + std::to_string(i));
    EXPECT_EQ(openHeight(), 8 * h + 2);
    for (int i = 0; i < 4; ++i) window.addPortEntry("/dev/ttyUSB" + std::to_string(i));
    EXPECT_EQ(openHeight(), 8 * h + 2);
    EXPECT_EQ(combo->itemText(8), "/dev/ttyUSB0");  // in the order added, never sorted
    EXPECT_EQ(combo->currentIndex(), -1);           // adding selects nothing
}

TEST(MainWindow, FocusMovesInCreationOrderAmongVisibleEnabledControls) {
    MainWindow window(dpi());
    window.show();
    QApplication::setActiveWindow(&window);
    window.setControlEnabled(Control::WriteButton, true);
    QWidget* write = window.control(Control::WriteButton);
    QWidget* status = window.control(Control::StatusField);
    QWidget* ports = window.control(Control::PortList);
    write->setFocus();
    ASSERT_TRUE(write->hasFocus());
    QTest::keyClick(write, Qt::Key_Tab);
    EXPECT_TRUE(status->hasFocus());
    QTest::keyClick(status, Qt::Key_Down);  // Up/Down/PageUp/PageDown move on from the status field
    EXPECT_TRUE(ports->hasFocus() || ports->focusProxy() == QApplication::focusWidget());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);  // CrcField and OK are hidden: wraps
    EXPECT_TRUE(write->hasFocus());
    QTest::keyClick(write, Qt::Key_Left);  // arrows on a button move backwards and forwards
    EXPECT_TRUE(ports->hasFocus() || ports->focusProxy() == QApplication::focusWidget());
    write->setFocus();
    QTest::keyClick(write, Qt::Key_PageDown);
    EXPECT_TRUE(status->hasFocus());
}

TEST(MainWindow, DragsByTheClientAreaButNotByAControl) {
    MainWindow window(dpi());
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QPoint start = window.pos();
    const QPoint empty(580, 70);
    ASSERT_EQ(window.childAt(empty), nullptr);
    QTest::mousePress(&window, Qt::RightButton, {}, empty);
    QMouseEvent move(QEvent::MouseMove, QPointF(empty + QPoint(30, 20)), window.mapToGlobal(QPointF(empty + QPoint(30, 20))),
                     Qt::NoButton, Qt::RightButton, {});
    QApplication::sendEvent(&window, &move);
    QTest::mouseRelease(&window, Qt::RightButton, {}, empty + QPoint(30, 20));
    EXPECT_EQ(window.pos(), start + QPoint(30, 20));

    const QPoint onLabel = window.control(Control::VersionLabel)->geometry().center();
    const QPoint before = window.pos();
    QTest::mousePress(window.control(Control::VersionLabel), Qt::LeftButton);
    QMouseEvent moveOnLabel(QEvent::MouseMove, QPointF(onLabel + QPoint(10, 10)),
                            window.mapToGlobal(QPointF(onLabel + QPoint(10, 10))), Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(&window, &moveOnLabel);
    QTest::mouseRelease(window.control(Control::VersionLabel), Qt::LeftButton);
    EXPECT_EQ(window.pos(), before);
}

}  // namespace
}  // namespace korv
