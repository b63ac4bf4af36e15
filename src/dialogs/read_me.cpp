#include "dialogs/read_me.h"

#include "core/file_io.h"
#include "core/program_folder.h"
#include "link/path_text.h"
#include "widgets/prompter.h"
#include "widgets/window_support.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace lumivo::ui {

namespace {

// A manual is a few pages of text; anything far larger is not one.
constexpr std::size_t kMaxManualBytes = 4 * 1024 * 1024;

DocumentOpener& CurrentOpener() {
    static DocumentOpener opener = [](const QUrl& document) {
        return QDesktopServices::openUrl(document);
    };
    return opener;
}

} // namespace

DocumentOpenerScope::DocumentOpenerScope(DocumentOpener opener)
    : m_previous(std::move(CurrentOpener())) {
    CurrentOpener() = std::move(opener);
}

DocumentOpenerScope::~DocumentOpenerScope() {
    CurrentOpener() = std::move(m_previous);
}

QStringList ManualCandidates() {
    const ProgramFolders folders = CurrentProgramFolders();
    const std::filesystem::path executable = ExecutableFolder();
    QStringList candidates;
    for (const std::filesystem::path& path :
         {ReadOnlyDataFile(folders, "Manual.txt"), folders.readOnly / "Manual.txt",
          SharedDataFolderOf(executable) / "Manual.txt", executable / "Manual.txt"}) {
        const QString text = QDir::cleanPath(link::PathText(path));
        if (!candidates.contains(text)) {
            candidates.append(text);
        }
    }
    return candidates;
}

QString ManualPath() {
    for (const QString& candidate : ManualCandidates()) {
        if (QFileInfo(candidate).isFile()) {
            return candidate;
        }
    }
    return {};
}

ManualWindow::ManualWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("ManualWindow"));
    setWindowTitle(QStringLiteral("Read Me"));
    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("ManualText"));
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_text);
    resize(640, 520);
}

void ManualWindow::setManual(const QString& path, const QString& text) {
    setWindowTitle(QStringLiteral("Read Me - ") + QDir::toNativeSeparators(path));
    m_text->setPlainText(text);
}

QString ManualWindow::text() const {
    return m_text->toPlainText();
}

void ReadMe1Click(QWidget* parent) {
    const QString path = ManualPath();
    if (path.isEmpty()) {
        QStringList places;
        for (const QString& candidate : ManualCandidates()) {
            places.append(QDir::toNativeSeparators(candidate));
        }
        CurrentPrompter().showBox(
            parent, BoxRequest{MessageKind::Error, QStringLiteral("The manual was not found"),
                               QMessageBox::Ok,
                               QStringLiteral("Looked for:\n") + places.join(QLatin1Char('\n'))});
        return;
    }
    if (CurrentOpener()(QUrl::fromLocalFile(path))) {
        return;
    }
    // No desktop program opens text files: show it here.
    const Result<Bytes> bytes = ReadWholeFile(link::FileSystemPath(path), kMaxManualBytes);
    if (!bytes) {
        ShowErrorWithDetails(
            parent, QStringLiteral("Cannot open file %1").arg(QDir::toNativeSeparators(path)),
            QString::fromStdString(bytes.error().message));
        return;
    }
    ManualWindow* window =
        parent != nullptr ? parent->findChild<ManualWindow*>(QString(), Qt::FindDirectChildrenOnly)
                          : nullptr;
    if (window == nullptr) {
        window = new ManualWindow(parent);
        if (parent == nullptr) {
            window->setAttribute(Qt::WA_DeleteOnClose);
        }
    }
    window->setManual(path,
                      QString::fromUtf8(bytes->data(), static_cast<qsizetype>(bytes->size())));
    bool shownBefore = window->isVisible();
    ShowInFront(*window, shownBefore);
}

} // namespace lumivo::ui
