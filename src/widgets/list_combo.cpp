#include "widgets/list_combo.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QKeyEvent>

namespace lumivo::ui {

namespace {

// Swallows printable keys on the list and, once the list's drop-down exists, on its view too.
// The drop-down is made only when the list first opens, not with the list: a window with a few
// lists of 256 entries would otherwise build every pop-up before it is ever shown.
class IgnoreTyping final : public QObject {
public:
    explicit IgnoreTyping(QComboBox& combo) : QObject(&combo), m_combo(combo) {}

    void watchView() {
        if (!m_onView) {
            m_combo.view()->installEventFilter(this);
            m_onView = true;
        }
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &m_combo && event->type() == QEvent::ChildPolished) {
            // The drop-down is a pop-up window among the list's children; it is polished as it
            // first shows, before any key reaches its view.
            auto* child = qobject_cast<QWidget*>(static_cast<QChildEvent*>(event)->child());
            if (child != nullptr && child->isWindow()) {
                watchView();
            }
        }
        if (event->type() == QEvent::KeyPress) {
            const QString text = static_cast<QKeyEvent*>(event)->text();
            if (!text.isEmpty() && text.at(0).isPrint()) {
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QComboBox& m_combo;
    bool m_onView = false;
};

} // namespace

QComboBox* MakeListCombo(QWidget* parent, const QString& objectName, const QStringList& items,
                         bool discardTyping) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(objectName);
    FillListCombo(*combo, items, discardTyping);
    return combo;
}

void FillListCombo(QComboBox& combo, const QStringList& items, bool discardTyping) {
    combo.setEditable(false);
    combo.clear();
    combo.addItems(items);
    combo.setCurrentIndex(0);
    combo.setMaxVisibleItems(16);
    if (discardTyping) {
        auto* filter = new IgnoreTyping(combo);
        combo.installEventFilter(filter);
        // A drop-down that exists already (the list was filled before) takes the filter now.
        if (combo.findChild<QAbstractItemView*>() != nullptr) {
            filter->watchView();
        }
    }
}

} // namespace lumivo::ui
