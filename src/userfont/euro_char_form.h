#pragma once

#include "core/euro_picture.h"
#include "core/result.h"
#include "core/userfont.h"

#include <QImage>
#include <QString>
#include <QWidget>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace Ui {
class TuEuropeanCharForm;
}

namespace lumivo::ui {
class EditorHost;
}

namespace lumivo::userfont {

// The picture of the European character set, shown unscaled from its top left corner, with the
// chosen cell's dotted frame inverted over it. A press reports the picture position. The screen
// image is drawn from the picture when it is first painted or asked for, not before.
class EuroPictureArea final : public QWidget {
    Q_OBJECT
public:
    explicit EuroPictureArea(QWidget* parent);

    // Where the picture comes from; it must outlive the area.
    void setPictureSource(std::function<const EuroPicture&()> source);
    // The picture changed or the frame moved: the image is drawn again when next needed.
    void showFrame(const std::optional<FrameRect>& frame);
    // What is on screen: the picture with the frame, if any.
    const QImage& shownImage() const;

Q_SIGNALS:
    void pressed(int x, int y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    std::function<const EuroPicture&()> m_source;
    std::optional<FrameRect> m_frame;
    mutable QImage m_image;
    mutable bool m_stale = true;
};

// The European character picker: a press on a cell chooses its code, Insert puts the tag "<Uhh>"
// into the current line editor ("<>" before any choice) and the window stays open for more.
class TuEuropeanCharForm final : public QWidget {
    Q_OBJECT
public:
    // `host` receives the inserted tags (null: Insert does nothing). The picture comes from
    // `pictureFile` when that file exists and reads as a bitmap of any kind, in its colours, else
    // it is the built-in one.
    TuEuropeanCharForm(QWidget* parent, ui::EditorHost* host,
                       const std::filesystem::path& pictureFile);
    ~TuEuropeanCharForm() override;

    // "European Char": shows the window without blocking, restored if minimised, centred the
    // first time.
    void showPicker();

    // The start-up factory: a top-level window bound to the "European Char" menu item, its
    // picture "EuroCharForm58204.bmp" looked up among the program's files.
    static std::unique_ptr<QWidget> create(ui::EditorHost& host);

    // The picture as it stands; the built-in one is drawn when first needed.
    const EuroPicture& picture() const;
    // Shows `picture` in place of the current one and forgets the selection frame (the new
    // picture has none to erase); the chosen code stays, so Insert still inserts it.
    void replacePicture(EuroPicture picture);
    // Draws each character into its cell of the picture, a later one over an earlier one of the
    // same code; the selection frame stays.
    void drawCharacters(const std::vector<UserCharRecord>& records);
    // Writes the picture in the form its file had, without the selection frame, which is
    // forgotten; the chosen code stays.
    Status savePicture(const std::filesystem::path& file);
    // "U41" once a cell is chosen; empty before.
    QString chosenCode() const;
    // Why the picture file was not used, when it exists but could not be read; empty otherwise.
    const QString& pictureProblem() const { return m_pictureProblem; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void loadPicture(const std::filesystem::path& file);
    EuroPicture& currentPicture();
    void choose(int x, int y);
    void insertClick();
    void refreshPicture();

    ui::EditorHost* m_host = nullptr;
    // Empty until a picture file was read or the built-in picture was needed.
    mutable std::optional<EuroPicture> m_picture;
    std::optional<FrameRect> m_frame;
    QString m_pictureProblem;
    std::unique_ptr<Ui::TuEuropeanCharForm> m_ui;
    bool m_shownBefore = false;
};

} // namespace lumivo::userfont
