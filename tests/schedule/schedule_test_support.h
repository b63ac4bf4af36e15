#pragma once

#include "support/window_test_support.h"

#include <QComboBox>

namespace lumivo::test {

// The schedule tests' name for the recording main window.
using FakeHost = RecordingHost;

inline void ChooseSignId(QComboBox* combo, const QString& id) {
    combo->setCurrentIndex(combo->findText(id));
}

} // namespace lumivo::test
