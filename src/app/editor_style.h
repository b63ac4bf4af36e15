#pragma once

#include <QProxyStyle>

namespace lumivo::ui {

// The editor's application style: the platform's own, with a 300 ms tooltip pause, and the menu
// item "ShowColorConfig1" drawn by the program (grey, 180 180 180, whether highlighted or not,
// its caption 20 pixels from the left and 3 pixels from the top).
class EditorStyle final : public QProxyStyle {
    Q_OBJECT
public:
    EditorStyle();

    int styleHint(StyleHint hint, const QStyleOption* option = nullptr,
                  const QWidget* widget = nullptr,
                  QStyleHintReturn* returnData = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
};

inline constexpr int kHintPauseMs = 300;

// Makes EditorStyle the application style unless it already is.
void InstallEditorStyle();

} // namespace lumivo::ui
