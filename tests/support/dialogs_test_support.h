#pragma once

// What the dialog tests share: a host that records what the dialogs ask of the main window, a
// connection to a scripted line, and the virtual sign as a child process.

#include "support/window_test_support.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QStringList>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>

namespace lumivo::test {

inline void ChooseText(QComboBox* combo, const QString& text) {
    ASSERT_NE(combo, nullptr);
    const int index = combo->findText(text);
    ASSERT_GE(index, 0) << text.toStdString();
    combo->setCurrentIndex(index);
}

inline QStringList Items(const QComboBox* combo) {
    QStringList items;
    for (int i = 0; i < combo->count(); ++i) {
        items.append(combo->itemText(i));
    }
    return items;
}

inline void TypeTime(QLineEdit* field, const char* typed) {
    ASSERT_NE(field, nullptr);
    TypeMasked(field, QString::fromLatin1(typed));
}

inline QString Latin1(const std::string& bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

} // namespace lumivo::test
