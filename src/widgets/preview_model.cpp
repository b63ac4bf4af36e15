#include "widgets/preview_model.h"

#include <QDateTime>
#include <QElapsedTimer>

#include <algorithm>
#include <cmath>
#include <system_error>
#include <utility>

namespace lumivo::ui {

namespace {

// The editor is not a sign with a clock of its own: date and time fields show the computer's.
SignClock ComputerClock() {
    const QDateTime now = QDateTime::currentDateTime();
    SignClock clock;
    clock.year = now.date().year();
    clock.month = now.date().month();
    clock.day = now.date().day();
    clock.hour = now.time().hour();
    clock.minute = now.time().minute();
    clock.second = now.time().second();
    clock.weekday = now.date().dayOfWeek() % 7 + 1; // Qt: Monday 1 .. Sunday 7
    return clock;
}

} // namespace

PreviewModel::PreviewModel(std::shared_ptr<const GraphicSource> graphics, QObject* parent)
    : QObject(parent), m_graphics(std::move(graphics)) {
    m_quiet.setSingleShot(true);
    m_quiet.setInterval(kQuietMs);
    connect(&m_quiet, &QTimer::timeout, this, &PreviewModel::quietPeriodOver);
}

void PreviewModel::setText(std::string line) {
    if (line == (m_pendingText ? *m_pendingText : m_text) && (m_animation || !m_note.isEmpty())) {
        return;
    }
    m_pendingText = std::move(line);
    if (!m_quiet.isActive()) {
        compile(); // the first change after a quiet spell shows at once
        m_quiet.start();
    }
}

void PreviewModel::flush() {
    if (m_pendingText) {
        compile();
    }
}

void PreviewModel::quietPeriodOver() {
    if (m_pendingText) {
        compile();
        m_quiet.start(); // typing goes on: the next change waits for the end of this period
    }
}

void PreviewModel::compile() {
    QElapsedTimer timer;
    timer.start();
    if (m_pendingText) {
        m_text = std::move(*m_pendingText);
        m_pendingText.reset();
    }
    SignMemory memory;
    memory.clock = ComputerClock();
    memory.userCharacters = m_userCharacters;
    Result<PageAnimation> animated = AnimateLine(m_text, *m_graphics, memory, m_geometry);
    QString note;
    if (animated) {
        m_animation = std::move(animated).value();
        if (m_animation->duration() > 0) {
            m_time = std::fmod(m_time, m_animation->duration());
        }
    } else {
        // The last good picture stays; the note says why the line as typed is not shown.
        note = QString::fromStdString(animated.error().message);
    }
    if (note != m_note) {
        m_note = note;
        Q_EMIT noteChanged(m_note);
    }
    Q_EMIT frameChanged();
    m_lastCompileMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

void PreviewModel::followUserCharacters(const std::filesystem::path& sentFontFile) {
    m_sentFontFile = sentFontFile;
    delete m_watcher;
    // The folder is watched as well as the file: the file is replaced by renaming a new one over
    // it, which ends a watch on the file itself, and it may not exist yet.
    m_watcher = new QFileSystemWatcher(this);
    m_watcher->addPath(QString::fromStdString(sentFontFile.parent_path().string()));
    const auto reload = [this] { reloadUserCharacters(); };
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, reload);
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, reload);
    reloadUserCharacters();
}

void PreviewModel::reloadUserCharacters() {
    std::map<int, UserCharacter> characters;
    std::error_code error;
    if (!m_sentFontFile.empty() && std::filesystem::exists(m_sentFontFile, error)) {
        if (const Result<FontFileContents> read = ReadFontFile(m_sentFontFile)) {
            characters = UserCharactersOf(read->records);
        }
        if (m_watcher != nullptr) {
            m_watcher->addPath(QString::fromStdString(m_sentFontFile.string()));
        }
    }
    setUserCharacters(std::move(characters));
}

void PreviewModel::setUserCharacters(std::map<int, UserCharacter> characters) {
    if (characters == m_userCharacters) {
        return;
    }
    m_userCharacters = std::move(characters);
    if (m_animation || !m_note.isEmpty()) {
        compile();
    }
}

void PreviewModel::setColumns(int columns) {
    const int held = SignGeometry{columns}.clampedColumns();
    if (held == m_geometry.columns) {
        return;
    }
    m_geometry.columns = held;
    compile();
}

void PreviewModel::setSingleColor(bool single) {
    if (single != m_singleColor) {
        m_singleColor = single;
        Q_EMIT singleColorChanged(single);
    }
}

void PreviewModel::setPlaying(bool playing) {
    if (playing != m_playing) {
        m_playing = playing;
        Q_EMIT playingChanged(playing);
    }
}

void PreviewModel::restart() {
    m_time = 0;
    Q_EMIT frameChanged();
}

void PreviewModel::advance(double seconds) {
    if (!m_playing || !m_animation || seconds <= 0) {
        return;
    }
    const double duration = m_animation->duration();
    m_time = duration > 0 ? std::fmod(m_time + seconds, duration) : 0;
    Q_EMIT frameChanged();
}

DotImage PreviewModel::frame() const {
    if (!m_animation) {
        return DotImage(m_geometry.columns, kSignRows);
    }
    return m_animation->frameAt(m_time);
}

} // namespace lumivo::ui
