#include "userfont/euro_char_form.h"

#include "core/program_folder.h"
#include "ui_euro_char_form.h"
#include "userfont/euro_picture_file.h"
#include "widgets/editor_host.h"
#include "widgets/form.h"
#include "widgets/window_support.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <system_error>

namespace lumivo::userfont {

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
    setFixedSize(kAreaWidth, kAreaHeight);
}

void EuroPictureArea::setPictureSource(std::function<const EuroPicture&()> source) {
    m_source = std::move(source);
    m_stale = true;
    update();
}

void EuroPictureArea::showFrame(const std::optional<FrameRect>& frame) {
    m_frame = frame;
    m_stale = true;
    update();
}

const QImage& EuroPictureArea::shownImage() const {
    if (!m_stale || !m_source) {
        return m_image;
    }
    // The frame is inverted into a copy: the picture itself never holds it, so the cell a frame
    // leaves shows exactly what the picture has there.
    const EuroPicture& picture = m_source();
    if (m_frame) {
        EuroPicture shown = picture;
        InvertDottedFrame(shown, *m_frame);
        m_image = ToImage(shown);
    } else {
        m_image = ToImage(picture);
    }
    m_stale = false;
    return m_image;
}

void EuroPictureArea::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    painter.drawImage(0, 0, shownImage());
}

void EuroPictureArea::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        const QPoint at = event->position().toPoint();
        Q_EMIT pressed(at.x(), at.y());
    }
    QWidget::mousePressEvent(event);
}

TuEuropeanCharForm::TuEuropeanCharForm(QWidget* parent, ui::EditorHost* host,
                                       const std::filesystem::path& pictureFile)
    : QWidget(parent, Qt::Window), m_host(host),
      m_ui(ui::SetUpForm<Ui::TuEuropeanCharForm>(*this)) {
    // Designer fonts have point sizes only; the code is 16 pixels high on every screen.
    QFont codeFont = m_ui->Label1->font();
    codeFont.setPixelSize(16);
    m_ui->Label1->setFont(codeFont);

    connect(m_ui->Image1, &EuroPictureArea::pressed, this, &TuEuropeanCharForm::choose);
    connect(m_ui->Insert, &QPushButton::clicked, this, &TuEuropeanCharForm::insertClick);
    connect(m_ui->Cancel, &QPushButton::clicked, this, &QWidget::close);

    loadPicture(pictureFile);
    m_ui->Image1->setPictureSource([this]() -> const EuroPicture& { return picture(); });
}

TuEuropeanCharForm::~TuEuropeanCharForm() = default;

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

const EuroPicture& TuEuropeanCharForm::picture() const {
    if (!m_picture) {
        m_picture = BuiltInEuroPicture();
    }
    return *m_picture;
}

EuroPicture& TuEuropeanCharForm::currentPicture() {
    picture();
    return *m_picture;
}

void TuEuropeanCharForm::showPicker() {
    setWindowState(windowState() & ~Qt::WindowMinimized);
    ui::ShowInFront(*this, m_shownBefore);
}

std::unique_ptr<QWidget> TuEuropeanCharForm::create(ui::EditorHost& host) {
    auto window = std::make_unique<TuEuropeanCharForm>(nullptr, &host,
                                                       ReadOnlyDataFile("EuroCharForm58204.bmp"));
    TuEuropeanCharForm* picker = window.get();
    if (!picker->pictureProblem().isEmpty()) {
        host.reportStatus(picker->pictureProblem() +
                          QStringLiteral(" - the built-in European character picture is shown"));
    }
    host.bindCommand(QStringLiteral("EuropeanChar3"), [picker] { picker->showPicker(); });
    return window;
}

void TuEuropeanCharForm::replacePicture(EuroPicture picture) {
    m_picture = std::move(picture);
    m_frame.reset();
    refreshPicture();
}

void TuEuropeanCharForm::drawCharacters(const std::vector<UserCharRecord>& records) {
    for (const UserCharRecord& record : records) {
        DrawUserCharRecord(currentPicture(), record);
    }
    refreshPicture();
}

Status TuEuropeanCharForm::savePicture(const std::filesystem::path& file) {
    m_frame.reset();
    refreshPicture();
    return WriteEuroBmp(file, picture());
}

QString TuEuropeanCharForm::chosenCode() const {
    return m_ui->Label1->text();
}

void TuEuropeanCharForm::choose(int x, int y) {
    const std::optional<int> code = EuroCellCodeAt(x, y);
    if (!code) {
        return;
    }
    m_frame = EuroCellFrame(*code);
    m_ui->Label1->setText(QStringLiteral("U%1").arg(*code, 2, 16, QLatin1Char('0')).toUpper());
    refreshPicture();
}

void TuEuropeanCharForm::insertClick() {
    if (m_host != nullptr) {
        m_host->insertTag(QStringLiteral("<") + m_ui->Label1->text() + QStringLiteral(">"));
    }
}

void TuEuropeanCharForm::refreshPicture() {
    m_ui->Image1->showFrame(m_frame);
}

void TuEuropeanCharForm::keyPressEvent(QKeyEvent* event) {
    // Escape closes the window, as it closes a dialog.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace lumivo::userfont
