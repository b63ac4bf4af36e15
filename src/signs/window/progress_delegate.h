#pragma once

#include <QStyledItemDelegate>

namespace lumivo::signs {

// Draws the progress cell of a sign being sent to as a bar with its text; other cells as usual.
class ProgressDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};

} // namespace lumivo::signs
