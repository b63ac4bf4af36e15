#include "widgets/list_combo.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QKeyEvent>

namespace lumivo::ui {

namespace {

class IgnoreTyping final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const QString text = static_cast<QKeyEvent*>(event)->text();
            if (!text.isEmpty() && text.at(0).isPrint()) {
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }
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
        auto* filter = new IgnoreTyping(&combo);
        combo.installEventFilter(filter);
        combo.view()->installEventFilter(filter);
    }
}

} // namespace lumivo::ui
