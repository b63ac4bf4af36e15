#include "graphic/bmp_save_load.h"

#include "graphic/graphic_form.h"
#include "widgets/editor_host.h"

#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace lumivo::graphic {

TBmpSaveLoad::TBmpSaveLoad(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TBmpSaveLoad"));
    setWindowTitle(QStringLiteral("BmpSaveLoad"));
    setWindowModality(Qt::ApplicationModal);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameShape(QFrame::StyledPanel);
    m_image = new QLabel(panel);
    m_image->setObjectName(QStringLiteral("Image1"));
    m_image->setFixedSize(kPreviewWidth, kPreviewHeight);
    auto* panelLayout = new QVBoxLayout(panel);
    panelLayout->addWidget(m_image);

    auto* exportButton = new QPushButton(QStringLiteral("Export Bmp..."), this);
    exportButton->setObjectName(QStringLiteral("exprot"));
    auto* importButton = new QPushButton(QStringLiteral("Import Bmp..."), this);
    importButton->setObjectName(QStringLiteral("import"));
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("Cancel"));
    QFont bold = cancel->font();
    bold.setBold(true);
    cancel->setFont(bold);

    connect(exportButton, &QPushButton::clicked, this, [this] {
        if (m_editor != nullptr) {
            m_editor->SaveButtonClick();
        }
    });
    connect(importButton, &QPushButton::clicked, this, [this] {
        if (m_editor != nullptr) {
            m_editor->LoadButtonClick();
        }
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(exportButton);
    buttons->addWidget(importButton);
    buttons->addStretch();
    buttons->addWidget(cancel);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(panel);
    layout->addLayout(buttons);

    m_preview = QImage(kPreviewWidth, kPreviewHeight, QImage::Format_RGB32);
    m_preview.fill(Qt::white);
    m_image->setPixmap(QPixmap::fromImage(m_preview));
}

void TBmpSaveLoad::Open() {
    open();
}

void TBmpSaveLoad::redrawPreview() {
    m_preview.fill(Qt::white);
    if (m_editor != nullptr) {
        const GraphicEditorModel& model = m_editor->model();
        const int columns = std::min(model.width(), kPreviewWidth);
        const int rows = std::min(model.height(), kPreviewHeight);
        for (int y = 0; y < rows; ++y) {
            for (int x = 0; x < columns; ++x) {
                const Rgb colour = ScreenColourOfLetter(model.store().at(x, y));
                m_preview.setPixel(x, y, qRgb(colour.r, colour.g, colour.b));
            }
        }
    }
    m_image->setPixmap(QPixmap::fromImage(m_preview));
}

void TBmpSaveLoad::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        redrawPreview();
    }
    QDialog::changeEvent(event);
}

void TBmpSaveLoad::showEvent(QShowEvent* event) {
    // Offscreen and on some window systems a shown dialog is never activated.
    redrawPreview();
    QDialog::showEvent(event);
}

std::unique_ptr<QWidget> TBmpSaveLoad::Create(ui::EditorHost&, TGraphicForm& editor) {
    auto dialog = std::make_unique<TBmpSaveLoad>(nullptr);
    dialog->setEditor(&editor);
    editor.setBitmapDialog(dialog.get());
    return dialog;
}

} // namespace lumivo::graphic
