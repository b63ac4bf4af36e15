#pragma once

#include "widgets/prompter.h"

#include <QMessageBox>
#include <QString>
#include <QStringList>

#include <deque>
#include <vector>

namespace lumivo::ui {

// A prompter that shows nothing: it records every box and file request and answers from queues
// filled beforehand. With no answer queued a box returns its first button and a file dialog is
// cancelled.
class ScriptedPrompter final : public Prompter {
public:
    struct ShownBox {
        QWidget* parent = nullptr;
        BoxRequest request;
    };

    void setNextAnswer(QMessageBox::StandardButton answer);
    void setNextFileName(const QString& fileName);

    const std::vector<ShownBox>& boxes() const { return m_boxes; }
    const std::vector<FileRequest>& fileRequests() const { return m_fileRequests; }
    // The texts of the boxes shown, oldest first.
    QStringList texts() const;
    void clear();

    QMessageBox::StandardButton showBox(QWidget* parent, const BoxRequest& request) override;
    QString askFileName(QWidget* parent, const FileRequest& request) override;

private:
    std::deque<QMessageBox::StandardButton> m_answers;
    std::deque<QString> m_fileNames;
    std::vector<ShownBox> m_boxes;
    std::vector<FileRequest> m_fileRequests;
};

} // namespace lumivo::ui
