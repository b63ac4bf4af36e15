#include "signs/sign_commands.h"

#include "core/graphic.h"

#include <QDate>
#include <QDateTime>
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

} // namespace

SignCommand SendPageCommand(std::string line, char page,
                            std::shared_ptr<const GraphicSource> graphics) {
    const char letter = Upper(page);
    auto used = std::make_shared<PageGraphics>();
    SignCommand command;
    command.label = QStringLiteral("page %1").arg(QLatin1Char(letter));
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
    command.run = [](const Sign& sign, const link::PortOpener& open, link::Clock& clock,
                     const link::Progress&) {
        return link::RunRecallDefaultFont(open, clock, sign.id);
    };
    command.recordSuccess = [](SignRecord& record) { record.userCharacters.clear(); };
    return command;
}

} // namespace lumivo::signs
