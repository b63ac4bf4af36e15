#pragma once

#include <QString>
#include <QStringList>

class QComboBox;
class QWidget;

namespace lumivo::ui {

// A drop-down list of fixed texts, the first one chosen. With `discardTyping` typed characters
// are ignored, also in the open list, so a choice is made from the list only; arrows, page keys,
// Home/End and F4 still work.
QComboBox* MakeListCombo(QWidget* parent, const QString& objectName, const QStringList& items,
                         bool discardTyping = true);

// The same for a list a form has made: its entries, the first chosen, and the typing rule.
void FillListCombo(QComboBox& combo, const QStringList& items, bool discardTyping = true);

} // namespace lumivo::ui
