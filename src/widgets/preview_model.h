#pragma once

#include "core/compiler.h"
#include "core/led_render.h"

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace lumivo::ui {

// What the editor's preview shows, without a widget: the line as the sign would run it, the
// moment of the run on show, and whether time runs.
//
// Text changes are compiled at once when the preview has been quiet for a while, and at most
// once per quiet period while the user keeps typing (the last change always lands at its end), so
// typing never waits for the preview. A line the compiler refuses (a graphic that cannot be
// read) keeps the last good animation on show and sets a note that names the graphic.
class PreviewModel final : public QObject {
    Q_OBJECT
public:
    static constexpr int kQuietMs = 150;

    explicit PreviewModel(std::shared_ptr<const GraphicSource> graphics, QObject* parent = nullptr);

    // The 8-bit line as the editor holds it.
    void setText(std::string line);
    // Compiles a change still waiting for the quiet period now.
    void flush();
    bool pending() const { return m_pendingText.has_value(); }

    // Sign width in columns, held to the sign's range.
    void setColumns(int columns);
    int columns() const { return m_geometry.columns; }

    void setSingleColor(bool single);
    bool singleColor() const { return m_singleColor; }

    // The user characters "<U40>".."<U7F>" show as the sign holds them: as the font file
    // `sentFontFile` records them (kSentUserFontFile, kept by the font transfer and emptied by
    // the recall of the default font). The file is watched, so a transfer shows at once, from
    // this program or another; without a readable file the factory glyphs show.
    void followUserCharacters(const std::filesystem::path& sentFontFile);
    // Reads the followed file again; the line is compiled again when the characters changed.
    void reloadUserCharacters();
    // The user characters as given (what a sign was sent), for a preview that follows no file;
    // the line is compiled again when they changed.
    void setUserCharacters(std::map<int, UserCharacter> characters);
    const std::map<int, UserCharacter>& userCharacters() const { return m_userCharacters; }

    void setPlaying(bool playing);
    bool playing() const { return m_playing; }
    // Back to the start of the run.
    void restart();
    // Moves time on while playing; a run wraps to its start at its end.
    void advance(double seconds);
    double time() const { return m_time; }

    bool hasAnimation() const { return m_animation.has_value(); }
    const PageAnimation* animation() const { return m_animation ? &*m_animation : nullptr; }
    // The sign at the current moment (columns x 16, dark before anything was compiled).
    DotImage frame() const;
    // Empty, or why the line as typed cannot be shown.
    const QString& note() const { return m_note; }
    // How long the last compile and first frame took, in milliseconds.
    double lastCompileMs() const { return m_lastCompileMs; }

Q_SIGNALS:
    // The frame to show changed: a new animation, a new moment or a new width.
    void frameChanged();
    void noteChanged(const QString& note);
    void playingChanged(bool playing);
    void singleColorChanged(bool single);

private:
    void compile();
    void quietPeriodOver();

    std::shared_ptr<const GraphicSource> m_graphics;
    std::filesystem::path m_sentFontFile;
    QFileSystemWatcher* m_watcher = nullptr;
    std::map<int, UserCharacter> m_userCharacters;
    SignGeometry m_geometry;
    std::string m_text;
    std::optional<std::string> m_pendingText;
    QTimer m_quiet;
    std::optional<PageAnimation> m_animation;
    QString m_note;
    double m_time = 0;
    bool m_playing = true;
    bool m_singleColor = false;
    double m_lastCompileMs = 0;
};

} // namespace lumivo::ui
