#include "widgets/prompter.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>

namespace lumivo::ui {

QString BoxTitle() {
    const QString name = QApplication::applicationDisplayName();
    return name.isEmpty() ? QStringLiteral("Lumivo") : name;
}

namespace {

QMessageBox::Icon IconOf(MessageKind kind) {
    switch (kind) {
    case MessageKind::Plain:
        return QMessageBox::NoIcon;
    case MessageKind::Information:
        return QMessageBox::Information;
    case MessageKind::Warning:
        return QMessageBox::Warning;
    case MessageKind::Error:
        return QMessageBox::Critical;
    case MessageKind::Question:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

// A filter "*.lmv" is shown as written and lists its pattern; "*.*" lists every file.
QString QtFilter(const QString& filter) {
    const QString pattern = filter == QStringLiteral("*.*") ? QStringLiteral("*") : filter;
    return filter + QStringLiteral(" (") + pattern + QLatin1Char(')');
}

bool HasNoSuffix(const QString& name) {
    return !name.endsWith(QLatin1Char('.')) && QFileInfo(name).suffix().isEmpty();
}

// The file dialog. Opening, it takes a typed name as it is when that file exists and adds the
// default extension only when it does not; saving, the dialog itself adds the extension.
class FileDialog final : public QFileDialog {
public:
    FileDialog(QWidget* parent, const FileRequest& request)
        : QFileDialog(parent, request.caption),
          m_openSuffix(request.mode == FileRequest::Mode::Open ? request.defaultSuffix
                                                               : QString()) {}

    void accept() override {
        const QStringList typed = selectedFiles();
        if (!m_openSuffix.isEmpty() && typed.size() == 1) {
            const QString chosen = OpenedFileName(typed.constFirst(), m_openSuffix);
            if (chosen != typed.constFirst()) {
                selectFile(chosen);
            }
        }
        QFileDialog::accept();
    }

private:
    QString m_openSuffix;
};

class DialogPrompter final : public Prompter {
public:
    QMessageBox::StandardButton showBox(QWidget* parent, const BoxRequest& request) override {
        QMessageBox box(IconOf(request.kind), BoxTitle(), request.text, request.buttons, parent);
        if (!request.details.isEmpty()) {
            box.setInformativeText(request.details);
        }
        return static_cast<QMessageBox::StandardButton>(box.exec());
    }

    QString askFileName(QWidget* parent, const FileRequest& request) override {
        const std::unique_ptr<QFileDialog> dialog = MakeFileDialog(parent, request);
        if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) {
            return {};
        }
        return dialog->selectedFiles().constFirst();
    }
};

DialogPrompter& RealDialogs() {
    static DialogPrompter dialogs;
    return dialogs;
}

Prompter* g_current = nullptr;

} // namespace

QString OpenedFileName(const QString& typed, const QString& defaultSuffix) {
    if (defaultSuffix.isEmpty() || QFileInfo::exists(typed) || !HasNoSuffix(typed)) {
        return typed;
    }
    const QString suffixed = typed + QLatin1Char('.') + defaultSuffix;
    return QFileInfo::exists(suffixed) ? suffixed : typed;
}

std::unique_ptr<QFileDialog> MakeFileDialog(QWidget* parent, const FileRequest& request) {
    auto dialog = std::make_unique<FileDialog>(parent, request);
    QStringList filters;
    for (const QString& filter : request.filters) {
        filters.append(QtFilter(filter));
    }
    dialog->setNameFilters(filters);
    dialog->setOption(QFileDialog::HideNameFilterDetails);
    if (!request.directory.isEmpty()) {
        dialog->setDirectory(request.directory);
    }
    if (request.mode == FileRequest::Mode::Save) {
        dialog->setDefaultSuffix(request.defaultSuffix);
        dialog->setAcceptMode(QFileDialog::AcceptSave);
        dialog->setFileMode(QFileDialog::AnyFile);
        dialog->setOption(QFileDialog::DontConfirmOverwrite);
    } else {
        dialog->setAcceptMode(QFileDialog::AcceptOpen);
        dialog->setFileMode(QFileDialog::ExistingFile);
    }
    return dialog;
}

Prompter& CurrentPrompter() {
    return g_current != nullptr ? *g_current : RealDialogs();
}

PrompterScope::PrompterScope(Prompter& prompter) : m_previous(g_current) {
    g_current = &prompter;
}

PrompterScope::~PrompterScope() {
    g_current = m_previous;
}

QMessageBox::StandardButton ShowBox(QWidget* parent, MessageKind kind, const QString& text,
                                    QMessageBox::StandardButtons buttons) {
    return CurrentPrompter().showBox(parent, BoxRequest{kind, text, buttons, QString()});
}

QMessageBox::StandardButton ShowErrorWithDetails(QWidget* parent, const QString& text,
                                                 const QString& details) {
    return CurrentPrompter().showBox(
        parent, BoxRequest{MessageKind::Error, text, QMessageBox::Ok, details});
}

QString AskFileName(QWidget* parent, const FileRequest& request) {
    QString name = CurrentPrompter().askFileName(parent, request);
    if (name.isEmpty() || request.defaultSuffix.isEmpty()) {
        return name;
    }
    if (request.mode == FileRequest::Mode::Open) {
        return OpenedFileName(name, request.defaultSuffix);
    }
    // A name typed without an extension gets the default one; a name ending in a dot asks for
    // none.
    if (HasNoSuffix(name)) {
        name += QLatin1Char('.') + request.defaultSuffix;
    }
    return name;
}

} // namespace lumivo::ui
