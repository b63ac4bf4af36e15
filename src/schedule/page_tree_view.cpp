#include "schedule/page_tree_view.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QStyleOptionViewItem>

namespace lumivo::schedule {

namespace {

constexpr int kMarkSize = 13;
constexpr int kMarkedRole = Qt::UserRole + 1;

// A check box of kMarkSize dots: a dark frame on white, with a tick when checked.
QPixmap MarkPixmap(bool checked) {
    QPixmap pixmap(kMarkSize, kMarkSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(QPen(QColor(0x40, 0x40, 0x40), 1));
    painter.setBrush(Qt::white);
    painter.drawRect(0, 0, kMarkSize - 1, kMarkSize - 1);
    if (checked) {
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(Qt::black, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        const QPointF tick[] = {{3.0, 6.5}, {5.5, 9.0}, {10.0, 3.5}};
        painter.drawPolyline(tick, 3);
    }
    return pixmap;
}

} // namespace

PageTreeView::PageTreeView(QWidget* parent)
    : QTreeWidget(parent), m_unchecked(MarkPixmap(false)), m_checked(MarkPixmap(true)) {
    setIconSize(QSize(kMarkSize, kMarkSize));
    setHeaderHidden(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
}

void PageTreeView::setMark(QTreeWidgetItem* item, bool checked) {
    item->setData(0, kMarkedRole, checked);
    item->setIcon(0, checked ? m_checked : m_unchecked);
    item->setData(0, Qt::AccessibleDescriptionRole,
                  checked ? QStringLiteral("checked") : QStringLiteral("unchecked"));
}

bool PageTreeView::isMarked(const QTreeWidgetItem* item) {
    return item->data(0, kMarkedRole).toBool();
}

QRect PageTreeView::markRect(const QTreeWidgetItem* item) const {
    const QModelIndex index = indexFromItem(item);
    const QRect cell = visualRect(index);
    if (!index.isValid() || cell.isEmpty()) {
        return {};
    }
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = cell;
    option.index = index;
    option.features |= QStyleOptionViewItem::HasDecoration | QStyleOptionViewItem::HasDisplay;
    option.icon = item->icon(0);
    option.text = item->text(0);
    option.decorationSize = iconSize();
    return style()->subElementRect(QStyle::SE_ItemViewItemDecoration, &option, this);
}

void PageTreeView::mousePressEvent(QMouseEvent* event) {
    QTreeWidget::mousePressEvent(event);
    if (event->button() != Qt::LeftButton) {
        return;
    }
    QTreeWidgetItem* item = itemAt(event->position().toPoint());
    if (item != nullptr && markRect(item).contains(event->position().toPoint())) {
        setCurrentItem(item);
        Q_EMIT markClicked(item);
    }
}

} // namespace lumivo::schedule
