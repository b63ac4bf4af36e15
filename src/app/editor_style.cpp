#include "app/editor_style.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPainter>
#include <QStyleFactory>
#include <QStyleOptionMenuItem>

namespace lumivo::ui {

namespace {

QStyle* PlatformStyle() {
    const QString name =
        QApplication::style() != nullptr ? QApplication::style()->name() : QString();
    QStyle* style = name.isEmpty() ? nullptr : QStyleFactory::create(name);
    return style != nullptr ? style : QStyleFactory::create(QStringLiteral("Fusion"));
}

bool IsOwnerDrawnItem(const QStyleOption* option, const QWidget* widget) {
    const auto* menu = qobject_cast<const QMenu*>(widget);
    if (menu == nullptr || option == nullptr) {
        return false;
    }
    const QAction* action = menu->actionAt(option->rect.center());
    return action != nullptr && action->objectName() == QStringLiteral("ShowColorConfig1");
}

} // namespace

EditorStyle::EditorStyle() : QProxyStyle(PlatformStyle()) {}

int EditorStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                           QStyleHintReturn* returnData) const {
    if (hint == SH_ToolTip_WakeUpDelay) {
        return kHintPauseMs;
    }
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}

void EditorStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                              const QWidget* widget) const {
    if (element == CE_MenuItem && IsOwnerDrawnItem(option, widget)) {
        const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        painter->save();
        painter->fillRect(option->rect, QColor(180, 180, 180));
        painter->setPen(Qt::black);
        painter->setFont(item != nullptr ? item->font : widget->font());
        const QFontMetrics metrics(painter->font());
        QString caption = item != nullptr ? item->text : QString();
        caption = caption.left(caption.indexOf(QLatin1Char('\t')) < 0
                                   ? caption.size()
                                   : caption.indexOf(QLatin1Char('\t')));
        // The mnemonic's "&" underlines its letter, as in every other item.
        const QRect textRect(option->rect.left() + 20, option->rect.top() + 3,
                             option->rect.width() - 20, metrics.height());
        painter->drawText(textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextShowMnemonic, caption);
        painter->restore();
        return;
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

void InstallEditorStyle() {
    if (qobject_cast<EditorStyle*>(QApplication::style()) == nullptr) {
        QApplication::setStyle(new EditorStyle);
    }
}

} // namespace lumivo::ui
