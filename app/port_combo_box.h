#pragma once

#include <QComboBox>
#include <QStyledItemDelegate>

namespace korv {

// The port drop-down: an editable text part whose typing has no effect, entries in the order
// added, and an opened list with room for 1 to 8 rows of the closed control's height.
class PortComboBox : public QComboBox {
public:
    explicit PortComboBox(QWidget* parent);

    static constexpr int kMaxRows = 8;

    void showPopup() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Rows as high as the closed control.
    class RowHeightDelegate : public QStyledItemDelegate {
    public:
        explicit RowHeightDelegate(QComboBox* combo) : QStyledItemDelegate(combo), combo_(combo) {}
        QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    private:
        QComboBox* combo_;
    };

    RowHeightDelegate rowHeight_{this};
};

}  // namespace korv
