#include "app_test_support.h"

#include "app/startup.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QTest>

namespace lumivo::ui::test {

void EditorTest::SetUp() {
    ASSERT_TRUE(m_home.isValid());
    qputenv("LUMIVO_HOME", QFile::encodeName(m_home.path()));
    m_scope = std::make_unique<PrompterScope>(m_prompts);
}

void EditorTest::TearDown() {
    m_main.reset();
    m_scope.reset();
    qunsetenv("LUMIVO_HOME");
}

TForm1& EditorTest::Start(const char* settings) {
    if (settings != nullptr) {
        WriteFileBytes(settingsPath(), settings);
    }
    m_main = StartEditor();
    return *m_main;
}

QString EditorTest::settingsPath() const {
    return m_home.filePath(QStringLiteral("lumivo.INI"));
}

std::string EditorTest::SettingsText() const {
    return ReadFileBytes(settingsPath());
}

bool EditorTest::SettingsFileExists() const {
    return QFile::exists(settingsPath());
}

QAction* EditorTest::item(const char* name) const {
    QAction* action = m_main->item(QString::fromLatin1(name));
    EXPECT_NE(action, nullptr) << name;
    return action;
}

void EditorTest::Trigger(const char* name) {
    QAction* action = item(name);
    ASSERT_NE(action, nullptr);
    ASSERT_TRUE(action->isEnabled()) << name;
    action->trigger();
}

void EditorTest::Type(QWidget& widget, const QString& text) {
    for (QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClick(&widget, c.toLatin1());
            continue;
        }
        // Characters beyond ASCII have no key code of their own; they arrive as text.
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(&widget, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(&widget, &release);
    }
}

void EditorTest::TypeKey(QWidget& widget, Qt::Key key, Qt::KeyboardModifiers modifiers) {
    QTest::keyClick(&widget, key, modifiers);
}

QString Repeat(char c, int n) {
    return QString(n, QLatin1Char(c));
}

::testing::AssertionResult Coloured(const RtfDocument& line, std::size_t from, std::size_t to,
                                    RtfColour colour) {
    if (to > line.chars.size()) {
        return ::testing::AssertionFailure()
               << "the line has " << line.chars.size() << " characters, not " << to;
    }
    for (std::size_t i = from; i < to; ++i) {
        const StyledChar& c = line.chars[i];
        if (!(c.colour == colour) || !c.bold) {
            return ::testing::AssertionFailure()
                   << "character " << i << " '" << c.byte << "' has colour " << int(c.colour.r)
                   << "," << int(c.colour.g) << "," << int(c.colour.b)
                   << (c.bold ? " bold" : " not bold");
        }
    }
    return ::testing::AssertionSuccess();
}

std::string ReadFileBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.readAll().toStdString();
}

void WriteFileBytes(const QString& path, std::string_view bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

} // namespace lumivo::ui::test
