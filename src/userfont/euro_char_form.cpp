#include "userfont/euro_char_form.h"

#include "core/program_folder.h"
#include "userfont/euro_picture_file.h"
#include "widgets/editor_host.h"
#include "widgets/window_support.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include <system_error>

namespace lumivo::ui {

namespace {

constexpr int kAreaWidth = 577;
constexpr int kAreaHeight = 302;

QImage ToImage(const EuroPicture& picture) {
    QImage image(picture.width(), picture.height(), QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < picture.width(); ++x) {
            const Rgb colour = picture.colour(x, y);
            line[x] = qRgb(colour.r, colour.g, colour.b);
        }
    }
    return image;
}

} // namespace

EuroPictureArea::EuroPictureArea(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Image1"));
    setFixedSize(kAreaWidth, kAreaHeight);
}

void EuroPictureArea::setPicture(const EuroPicture& picture,
                                 const std::optional<FrameRect>& frame) {
    // The frame is inverted into a copy: the picture itself never holds it, so the cell a frame
    // leaves shows exactly what the picture has there.
    if (frame) {
        EuroPicture shown = picture;
        InvertDottedFrame(shown, *frame);
        m_image = ToImage(shown);
    } else {
        m_image = ToImage(picture);
    }
    update();
}

void EuroPictureArea::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    painter.drawImage(0, 0, m_image);
}

void EuroPictureArea::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        const QPoint at = event->position().toPoint();
        Q_EMIT pressed(at.x(), at.y());
    }
    QWidget::mousePressEvent(event);
}

TuEuropeanCharForm::TuEuropeanCharForm(QWidget* parent, EditorHost* host,
                                       const std::filesystem::path& pictureFile)
    : QWidget(parent, Qt::Window), m_host(host), m_picture(BuiltInEuroPicture()) {
    setObjectName(QStringLiteral("TuEuropeanCharForm"));
    setWindowTitle(QStringLiteral("European Char Form"));

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFrameShadow(QFrame::Sunken);
    auto* panelLayout = new QVBoxLayout(panel);
    panelLayout->setContentsMargins(2, 2, 2, 2);
    m_area = new EuroPictureArea(panel);
    panelLayout->addWidget(m_area);

    m_code = new QLabel(this);
    m_code->setObjectName(QStringLiteral("Label1"));
    QFont codeFont = m_code->font();
    codeFont.setBold(true);
    codeFont.setPixelSize(16);
    m_code->setFont(codeFont);
    QPalette codePalette = m_code->palette();
    codePalette.setColor(QPalette::WindowText, QColor(255, 0, 0));
    m_code->setPalette(codePalette);
    m_code->setMinimumWidth(60);

    auto* insert = new QPushButton(QStringLiteral("Insert"), this);
    insert->setObjectName(QStringLiteral("Insert"));
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("Cancel"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_code);
    buttons->addStretch(1);
    buttons->addWidget(insert);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(panel);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_area, &EuroPictureArea::pressed, this, &TuEuropeanCharForm::choose);
    connect(insert, &QPushButton::clicked, this, &TuEuropeanCharForm::insertClick);
    connect(cancel, &QPushButton::clicked, this, &QWidget::close);

    loadPicture(pictureFile);
    refreshPicture();
}

void TuEuropeanCharForm::loadPicture(const std::filesystem::path& file) {
    std::error_code error;
    if (file.empty() || !std::filesystem::exists(file, error)) {
        return;
    }
    Result<EuroPicture> read = ReadEuroPicture(file);
    if (!read) {
        m_pictureProblem = QString::fromStdString(read.error().message);
        return;
    }
    m_picture = std::move(read).value();
}

void TuEuropeanCharForm::showPicker() {
    setWindowState(windowState() & ~Qt::WindowMinimized);
    ShowInFront(*this, m_shownBefore);
}

std::unique_ptr<QWidget> TuEuropeanCharForm::Create(EditorHost& host) {
    auto window = std::make_unique<TuEuropeanCharForm>(nullptr, &host,
                                                       ReadOnlyDataFile("EuroCharForm58204.bmp"));
    TuEuropeanCharForm* picker = window.get();
    if (!picker->pictureProblem().isEmpty()) {
        host.ReportStatus(picker->pictureProblem() +
                          QStringLiteral(" - the built-in European character picture is shown"));
    }
    host.BindCommand(QStringLiteral("EuropeanChar3"), [picker] { picker->showPicker(); });
    return window;
}

void TuEuropeanCharForm::replacePicture(EuroPicture picture) {
    m_picture = std::move(picture);
    m_frame.reset();
    refreshPicture();
}

void TuEuropeanCharForm::drawCharacters(const std::vector<UserCharRecord>& records) {
    for (const UserCharRecord& record : records) {
        DrawUserCharRecord(m_picture, record);
    }
    refreshPicture();
}

Status TuEuropeanCharForm::savePicture(const std::filesystem::path& file) {
    m_frame.reset();
    refreshPicture();
    return WriteEuroBmp(file, m_picture);
}

QString TuEuropeanCharForm::chosenCode() const {
    return m_code->text();
}

void TuEuropeanCharForm::choose(int x, int y) {
    const std::optional<int> code = EuroCellCodeAt(x, y);
    if (!code) {
        return;
    }
    m_frame = EuroCellFrame(*code);
    m_code->setText(QStringLiteral("U%1").arg(*code, 2, 16, QLatin1Char('0')).toUpper());
    refreshPicture();
}

void TuEuropeanCharForm::insertClick() {
    if (m_host != nullptr) {
        m_host->InsertTag(QStringLiteral("<") + m_code->text() + QStringLiteral(">"));
    }
}

void TuEuropeanCharForm::refreshPicture() {
    m_area->setPicture(m_picture, m_frame);
}

void TuEuropeanCharForm::keyPressEvent(QKeyEvent* event) {
    // Escape closes the window, as it closes a dialog.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace lumivo::ui
