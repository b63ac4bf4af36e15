#include "signs/sign_commands.h"

#include "core/graphic.h"

#include <QDate>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTime>

#include <algorithm>
#include <cctype>
#include <mutex>

namespace lumivo::signs {

namespace {

char Upper(char c) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

std::string UpperText(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), Upper);
    return text;
}

// Keeps every graphic the page reads, by number: what the line uses, as the sender reads it.
class KeepingSource final : public GraphicSource {
public:
    explicit KeepingSource(const GraphicSource& inner) : m_inner(inner) {}
    Result<Graphic> load(std::string_view name) const override {
        Result<Graphic> graphic = m_inner.load(name);
        if (const std::optional<int> number = GraphicNumberOfName(name); number && graphic) {
            m_kept[*number] = *graphic;
        }
        return graphic;
    }
    const std::map<int, Graphic>& kept() const { return m_kept; }

private:
    const GraphicSource& m_inner;
    mutable std::map<int, Graphic> m_kept;
};

// The graphics of a page: read once, when the first sign took the page.
struct PageGraphics {
    std::once_flag once;
    std::map<int, Graphic> graphics;
};

std::optional<QDateTime> ClockTime(const CivilDate& date, const std::string& timeText) {
    const QDate day(date.year, date.month, date.day);
    const QTime time =
        QTime::fromString(QString::fromLatin1(timeText.substr(0, 8)), QStringLiteral("hh:mm:ss"));
    if (!day.isValid()) {
        return std::nullopt;
    }
    return QDateTime(day, time.isValid() ? time : QTime(0, 0));
}

QByteArray Json(const QJsonObject& object) {
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

ServiceRequest Request(QString route, const QJsonObject& body = {}) {
    return ServiceRequest{std::move(route), Json(body), QString()};
}

// lumivod takes the 8-bit text of the sign as the characters U+0000..U+00FF.
QString EightBit(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

SignCommand SendPageCommand(std::string line, char page,
                            std::shared_ptr<const GraphicSource> graphics) {
    const char letter = Upper(page);
    auto used = std::make_shared<PageGraphics>();
    SignCommand command;
    command.label = QStringLiteral("page %1").arg(QLatin1Char(letter));
    command.service = Request(QStringLiteral("pages/%1").arg(QLatin1Char(letter)),
                              {{QStringLiteral("text"), EightBit(line)}});
    command.run = [line, page, graphics](const Sign& sign, const link::PortOpener& open,
                                         link::Clock& clock, const SignProgress& progress) {
        return link::RunSendMessage(open, clock, {line, sign.id, page, graphics.get()}, progress,
                                    progress.step);
    };
    command.recordSuccess = [line, letter, graphics, used](SignRecord& record) {
        std::call_once(used->once, [&] {
            if (graphics != nullptr) {
                const KeepingSource keeping(*graphics);
                (void)BuildTransfer(line, letter, "01", keeping);
                used->graphics = keeping.kept();
            }
        });
        record.pages[letter] = SentPage{line, used->graphics, QDateTime::currentDateTimeUtc()};
    };
    return command;
}

SignCommand SetClockCommand(CivilDate date, std::string timeText) {
    SignCommand command;
    command.label = QStringLiteral("clock");
    // A time with blank or out-of-range digits has no form lumivod takes.
    const QDate day(date.year, date.month, date.day);
    const QTime time =
        QTime::fromString(QString::fromLatin1(timeText.substr(0, 8)), QStringLiteral("hh:mm:ss"));
    if (!TimeTextHasBlanks(timeText) && day.isValid() && time.isValid()) {
        command.service =
            Request(QStringLiteral("clock"),
                    {{QStringLiteral("time"),
                      QDateTime(day, time).toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"))}});
    }
    command.service.refusal = QStringLiteral("clock time of that form");
    command.run = [date, timeText](const Sign& sign, const link::PortOpener& open,
                                   link::Clock& clock, const link::Progress&) {
        return link::RunSetClock(open, clock, sign.id, date, timeText);
    };
    const std::optional<QDateTime> set = ClockTime(date, timeText);
    command.recordSuccess = [set](SignRecord& record) { record.clockSet = set; };
    return command;
}

SignCommand RunPageCommand(char page) {
    const char letter = Upper(page);
    SignCommand command;
    command.label = QStringLiteral("run page %1").arg(QLatin1Char(letter));
    command.service = Request(QStringLiteral("run/%1").arg(QLatin1Char(letter)));
    command.run = [page](const Sign& sign, const link::PortOpener& open, link::Clock& clock,
                         const link::Progress&) {
        return link::RunRunPage(open, clock, sign.id, page);
    };
    command.recordSuccess = [letter](SignRecord& record) { record.runningPage = letter; };
    return command;
}

SignCommand SetBrightnessCommand(int levelIndex) {
    static constexpr int kPercent[] = {100, 75, 50, 25};
    const int percent = kPercent[std::clamp(levelIndex, 0, 3)];
    SignCommand command;
    command.label = QStringLiteral("brightness %1%").arg(percent);
    command.service = Request(QStringLiteral("brightness"), {{QStringLiteral("level"), percent}});
    command.run = [levelIndex](const Sign& sign, const link::PortOpener& open, link::Clock& clock,
                               const link::Progress&) {
        return link::RunSetBrightness(open, clock, sign.id, levelIndex);
    };
    command.recordSuccess = [percent](SignRecord& record) { record.brightnessPercent = percent; };
    return command;
}

SignCommand LinkPagesCommand(std::string pages) {
    SignCommand command;
    command.label = QStringLiteral("linked pages");
    command.service = Request(QStringLiteral("link"), {{QStringLiteral("pages"), EightBit(pages)}});
    command.run = [pages](const Sign& sign, const link::PortOpener& open, link::Clock& clock,
                          const link::Progress&) {
        return link::RunLinkPages(open, clock, sign.id, pages);
    };
    command.recordSuccess = [linked = UpperText(pages)](SignRecord& record) {
        record.linkedPages = linked;
    };
    return command;
}

SignCommand SendSchedulesCommand(std::vector<ScheduleEntry> entries) {
    SignCommand command;
    command.label = QStringLiteral("schedules");
    QJsonArray list;
    for (const ScheduleEntry& entry : entries) {
        list.append(QJsonObject{{QStringLiteral("start"), EightBit(entry.start)},
                                {QStringLiteral("end"), EightBit(entry.end)},
                                {QStringLiteral("pages"), EightBit(entry.pages)}});
    }
    command.service = Request(QStringLiteral("schedules"), {{QStringLiteral("entries"), list}});
    command.run = [entries](const Sign& sign, const link::PortOpener& open, link::Clock& clock,
                            const link::Progress&) {
        return link::RunSendSchedules(open, clock, sign.id, entries);
    };
    // Entry k fills slot "A" + k; slots beyond the list keep what they held.
    command.recordSuccess = [entries](SignRecord& record) {
        const std::size_t count =
            std::min(entries.size(), static_cast<std::size_t>(kMaxScheduleEntries));
        if (record.schedules.size() < count) {
            record.schedules.resize(count);
        }
        std::copy_n(entries.begin(), count, record.schedules.begin());
    };
    return command;
}

SignCommand DeleteSchedulesCommand(std::array<bool, kMaxScheduleEntries> checked) {
    SignCommand command;
    command.label = QStringLiteral("schedule deletion");
    QJsonArray slots;
    for (std::size_t k = 0; k < checked.size(); ++k) {
        if (checked[k]) {
            slots.append(static_cast<int>(k) + 1);
        }
    }
    command.service =
        Request(QStringLiteral("schedules/delete"), {{QStringLiteral("slots"), slots}});
    command.run = [checked](const Sign& sign, const link::PortOpener& open, link::Clock& clock,
                            const link::Progress&) {
        return link::RunDeleteSchedules(open, clock, sign.id, checked);
    };
    // A deleted slot holds an empty entry; empty slots at the end are dropped.
    command.recordSuccess = [checked](SignRecord& record) {
        for (std::size_t k = 0; k < checked.size() && k < record.schedules.size(); ++k) {
            if (checked[k]) {
                record.schedules[k] = ScheduleEntry{};
            }
        }
        while (!record.schedules.empty() && record.schedules.back() == ScheduleEntry{}) {
            record.schedules.pop_back();
        }
    };
    return command;
}

SignCommand DeletePageLinesCommand(link::PageLineMarks lines) {
    SignCommand command;
    command.label = QStringLiteral("page line deletion");
    QJsonArray marked;
    for (std::size_t page = 0; page < lines.size(); ++page) {
        for (std::size_t n = 0; n < lines[page].size(); ++n) {
            if (lines[page][n]) {
                marked.append(QStringLiteral("%1%2")
                                  .arg(QLatin1Char(static_cast<char>('A' + page)))
                                  .arg(n + 1));
            }
        }
    }
    command.service = Request(QStringLiteral("lines/delete"), {{QStringLiteral("lines"), marked}});
    command.run = [lines](const Sign& sign, const link::PortOpener& open, link::Clock& clock,
                          const link::Progress&) {
        return link::RunDeletePageLines(open, clock, sign.id, lines);
    };
    // A page is sent as its line 1: deleting that line deletes what is recorded of the page.
    command.recordSuccess = [lines](SignRecord& record) {
        for (std::size_t page = 0; page < lines.size(); ++page) {
            if (lines[page][0]) {
                record.pages.erase(static_cast<char>('A' + page));
            }
        }
    };
    return command;
}

SignCommand DeleteAllCommand() {
    SignCommand command;
    command.label = QStringLiteral("delete all");
    command.service = Request(QStringLiteral("delete-all"));
    command.run = [](const Sign& sign, const link::PortOpener& open, link::Clock& clock,
                     const link::Progress&) { return link::RunDeleteAll(open, clock, sign.id); };
    // Everything stored goes: pages, schedules, the linked and the running page. Brightness and
    // the clock are settings, and the user characters live in the font memory.
    command.recordSuccess = [](SignRecord& record) {
        record.pages.clear();
        record.schedules.clear();
        record.linkedPages.clear();
        record.runningPage.reset();
    };
    return command;
}

SignCommand FontTransferCommand(std::vector<UserCharRecord> records) {
    SignCommand command;
    command.label = QStringLiteral("user characters");
    command.service.refusal = QStringLiteral("user characters");
    command.run = [records](const Sign& sign, const link::PortOpener& open, link::Clock& clock,
                            const link::Progress& progress) {
        return link::RunFontTransfer(open, clock, sign.id, records, progress).outcome;
    };
    command.recordSuccess = [records](SignRecord& record) {
        record.userCharacters = CharactersHeldAfter(record.userCharacters, records);
    };
    return command;
}

SignCommand RecallDefaultFontCommand() {
    SignCommand command;
    command.label = QStringLiteral("default font");
    command.service = Request(QStringLiteral("characters/default"));
    command.run = [](const Sign& sign, const link::PortOpener& open, link::Clock& clock,
                     const link::Progress&) {
        return link::RunRecallDefaultFont(open, clock, sign.id);
    };
    command.recordSuccess = [](SignRecord& record) { record.userCharacters.clear(); };
    return command;
}

} // namespace lumivo::signs
