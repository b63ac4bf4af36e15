#include "support/scripted_prompter.h"

namespace lumivo::ui {

namespace {

QMessageBox::StandardButton FirstButton(QMessageBox::StandardButtons buttons) {
    for (int bit = QMessageBox::FirstButton; bit <= QMessageBox::LastButton; bit <<= 1) {
        if (buttons.testFlag(static_cast<QMessageBox::StandardButton>(bit))) {
            return static_cast<QMessageBox::StandardButton>(bit);
        }
    }
    return QMessageBox::NoButton;
}

} // namespace

void ScriptedPrompter::setNextAnswer(QMessageBox::StandardButton answer) {
    m_answers.push_back(answer);
}

void ScriptedPrompter::setNextFileName(const QString& fileName) {
    m_fileNames.push_back(fileName);
}

QStringList ScriptedPrompter::texts() const {
    QStringList texts;
    for (const ShownBox& box : m_boxes) {
        texts.append(box.request.text);
    }
    return texts;
}

void ScriptedPrompter::clear() {
    m_answers.clear();
    m_fileNames.clear();
    m_boxes.clear();
    m_fileRequests.clear();
}

QMessageBox::StandardButton ScriptedPrompter::showBox(QWidget* parent, const BoxRequest& request) {
    m_boxes.push_back(ShownBox{parent, request});
    if (m_answers.empty()) {
        return FirstButton(request.buttons);
    }
    const QMessageBox::StandardButton answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

QString ScriptedPrompter::askFileName(QWidget*, const FileRequest& request) {
    m_fileRequests.push_back(request);
    if (m_fileNames.empty()) {
        return {};
    }
    QString name = m_fileNames.front();
    m_fileNames.pop_front();
    return name;
}

} // namespace lumivo::ui
