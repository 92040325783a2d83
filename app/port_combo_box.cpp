#include "app/port_combo_box.h"

#include <QAbstractItemView>
#include <QKeyEvent>
#include <QLineEdit>

#include <algorithm>

namespace korv {

QSize PortComboBox::RowHeightDelegate::sizeHint(const QStyleOptionViewItem& option,
                                               const QModelIndex& index) const {
    return {QStyledItemDelegate::sizeHint(option, index).width(), combo_->height()};
}

PortComboBox::PortComboBox(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setMaxVisibleItems(kMaxRows);
    setItemDelegate(&rowHeight_);
    lineEdit()->installEventFilter(this);
}

void PortComboBox::showPopup() {
    QComboBox::showPopup();
    const int rows = std::clamp(count(), 1, kMaxRows);
    QWidget* popup = view()->window();
    popup->setFixedHeight(rows * height() + 2);
}

bool PortComboBox::eventFilter(QObject* watched, QEvent* event) {
    // Enter in the text part would pick a matching entry: typed text is to have no effect.
    if (watched == lineEdit() && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) return true;
    }
    return QComboBox::eventFilter(watched, event);
}

}  // namespace korv
