#include "graphic/bmp_save_load.h"

#include "graphic/graphic_form.h"
#include "ui_bmp_save_load.h"
#include "widgets/editor_host.h"
#include "widgets/form.h"

#include <QEvent>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

namespace lumivo::graphic {

TBmpSaveLoad::TBmpSaveLoad(QWidget* parent)
    : QDialog(parent), m_ui(ui::SetUpForm<Ui::TBmpSaveLoad>(*this)) {
    setWindowModality(Qt::ApplicationModal);
    connect(m_ui->exprot, &QPushButton::clicked, this, [this] {
        if (m_editor != nullptr) {
            m_editor->SaveButtonClick();
        }
    });
    connect(m_ui->import, &QPushButton::clicked, this, [this] {
        if (m_editor != nullptr) {
            m_editor->LoadButtonClick();
        }
    });
    connect(m_ui->Cancel, &QPushButton::clicked, this, &QDialog::reject);
    m_preview = QImage(kPreviewWidth, kPreviewHeight, QImage::Format_RGB32);
    m_preview.fill(Qt::white);
    m_ui->Image1->setPixmap(QPixmap::fromImage(m_preview));
}

TBmpSaveLoad::~TBmpSaveLoad() = default;

void TBmpSaveLoad::present() {
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
    m_ui->Image1->setPixmap(QPixmap::fromImage(m_preview));
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

std::unique_ptr<QWidget> TBmpSaveLoad::create(ui::EditorHost&, TGraphicForm& editor) {
    auto dialog = std::make_unique<TBmpSaveLoad>(nullptr);
    dialog->setEditor(&editor);
    editor.setBitmapDialog(dialog.get());
    return dialog;
}

} // namespace lumivo::graphic
