#pragma once

#include <QIcon>
#include <QTreeWidget>

namespace lumivo::schedule {

// A tree whose nodes carry a check mark drawn as a small state image in front of their text.
// Only a click on the mark reports `markClicked`; a click on the text just selects the node.
class PageTreeView final : public QTreeWidget {
    Q_OBJECT
public:
    explicit PageTreeView(QWidget* parent = nullptr);

    void setMark(QTreeWidgetItem* item, bool checked);
    static bool isMarked(const QTreeWidgetItem* item);

    // Where the mark of `item` is drawn, in viewport coordinates (empty when not visible).
    QRect markRect(const QTreeWidgetItem* item) const;

Q_SIGNALS:
    void markClicked(QTreeWidgetItem* item);

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    QIcon m_unchecked;
    QIcon m_checked;
};

} // namespace lumivo::schedule
