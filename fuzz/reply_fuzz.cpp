// Any replies from a sign, to any command: a runner reads exactly one reply after each frame to an
// addressed sign (three bytes, a fourth after an "N") and none after a frame to "00", stops at the
// first content frame not acknowledged, and reports success exactly when every content frame was
// answered "ACK". Set ID succeeds exactly when the sign echoed the new ID. A write that fails is
// never reported as success. The scripted line and its clock never wait, so no real time passes.
//
// Input: command number, sign ID value, one parameter byte, a write limit byte (from 0xC0 on, the
// line takes only (byte - 0xC0) * 8 bytes), then the replies: each a length byte (0..5) and that
// many bytes, one reply per frame in order; silence once they run out.
#include "link/fake_port.h"
#include "link/runners.h"

#include "core/frame.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace lumivo;
using namespace lumivo::link;

void Check(bool ok) {
    if (!ok) {
        std::abort();
    }
}

class TwoGraphics final : public GraphicSource {
public:
    Result<Graphic> load(std::string_view name) const override {
        if (name == "G01") {
            return Graphic{std::vector<std::string>(8, std::string(64, 'R'))};
        }
        if (name == "G02") {
            return Graphic{std::vector<std::string>(16, std::string(32, 'G'))};
        }
        return Error{"missing"};
    }
};

// Hands out the scripted replies, one per frame.
class ReplyScript {
public:
    explicit ReplyScript(std::string_view script) : m_script(script) {}
    std::string next() {
        if (m_script.empty()) {
            return {};
        }
        const std::size_t length = static_cast<std::uint8_t>(m_script[0]) % 6;
        const std::string reply(m_script.substr(1, length));
        m_script.remove_prefix(std::min(m_script.size(), length + 1));
        return reply;
    }

private:
    std::string_view m_script;
};

// One frame written and the reply positions read after it (a zero for each read that found
// nothing).
struct Turn {
    std::string frame;
    std::string read;
};

std::vector<Turn> TurnsOf(const std::vector<std::string>& events) {
    std::vector<Turn> turns;
    FrameAssembler assembler;
    for (const std::string& event : events) {
        if (event.starts_with("write ")) {
            for (char c : std::string_view(event).substr(6)) {
                if (assembler.push(c)) {
                    turns.push_back(Turn{assembler.frame(), {}});
                }
            }
        } else if (event.starts_with("read ")) {
            Check(!turns.empty());
            turns.back().read += event.substr(5);
        } else if (event == "timeout") {
            Check(!turns.empty());
            turns.back().read += '\0';
        }
    }
    return turns;
}

bool WriteFailed(const FakeLine& line) {
    for (const std::string& event : line.events()) {
        if (event == "write failed") {
            return true;
        }
    }
    return false;
}

bool IsBracket(const std::string& frame) {
    const std::string_view payload = std::string_view(frame).substr(6, frame.size() - 11);
    return payload == kBeginTransferPayload || payload == kEndTransferPayload;
}

Outcome RunCommand(int command, const PortOpener& open, Clock& clock, const std::string& signId,
                   std::uint8_t p) {
    switch (command) {
    case 0: {
        static const char* const kLines[] = {"Hello", "<Pic:G01>", "A<Pic:G02>B<Pic:G01>", ""};
        const TwoGraphics graphics;
        return RunSendMessage(open, clock, {kLines[p % 4], signId, 'A', &graphics});
    }
    case 1:
        return RunSetClock(open, clock, signId, CivilDate{2026, 12, 8},
                           p % 2 ? "12:34:56" : "12: 4:56");
    case 2:
        return RunRunPage(open, clock, signId, static_cast<char>('A' + p % 26));
    case 3:
        return RunSetBrightness(open, clock, signId, p % 4);
    case 4:
        return RunLinkPages(open, clock, signId, "ABC");
    case 5: {
        const std::vector<ScheduleEntry> entries(p % 6, {"2612080900", "2612081700", "AB"});
        return RunSendSchedules(open, clock, signId, entries);
    }
    case 6: {
        std::array<bool, kMaxScheduleEntries> checked{};
        for (std::size_t k = 0; k < checked.size(); ++k) {
            checked[k] = (p >> k) & 1;
        }
        return RunDeleteSchedules(open, clock, signId, checked);
    }
    case 7: {
        PageLineMarks marks{};
        for (int bit = 0; bit < 8; ++bit) {
            marks[static_cast<std::size_t>(bit * 3)][static_cast<std::size_t>(bit % 2)] =
                (p >> bit) & 1;
        }
        return RunDeletePageLines(open, clock, signId, marks);
    }
    case 8:
        return RunDeleteAll(open, clock, signId);
    case 9:
        return RunRecallDefaultFont(open, clock, signId);
    default: {
        std::vector<UserCharRecord> records;
        for (int i = 0; i < p % 5; ++i) {
            const std::uint8_t row = i % 2 ? 0 : static_cast<std::uint8_t>(0x11 * (i + 1));
            records.push_back(MakeUserCharRecord(0x41 + i, 'A', {row, row, row, row, row}));
        }
        return RunFontTransfer(open, clock, signId, records).outcome;
    }
    }
}

void CheckFrameCommand(const Outcome& outcome, const std::vector<Turn>& turns, bool broadcast,
                       bool writeFailed) {
    if (writeFailed) {
        Check(!outcome.success);
    }
    if (turns.empty()) {
        return; // refused before anything was sent, or the first frame could not be written
    }
    bool refused = false;
    for (const Turn& turn : turns) {
        if (broadcast) {
            Check(turn.read.empty());
            continue;
        }
        const bool refusal = !turn.read.empty() && turn.read[0] == 'N';
        Check(turn.read.size() == (refusal ? 4u : 3u));
        if (IsBracket(turn.frame)) {
            continue;
        }
        Check(!refused); // nothing is sent after a refused content frame but the end bracket
        refused = turn.read != "ACK";
    }
    Check(outcome.success == (!refused && !writeFailed));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) {
        return 0;
    }
    const int command = data[0] % 12;
    const int idValue = data[1];
    const std::uint8_t parameter = data[2];
    ReplyScript script(std::string_view(reinterpret_cast<const char*>(data) + 4, size - 4));

    FakeLine line;
    line.setResponder([&script](const std::string&) { return script.next(); });
    if (data[3] >= 0xC0) {
        line.failWritesAfter(static_cast<std::size_t>(data[3] - 0xC0) * 8);
    }
    const std::string signId = SignIdText(idValue);
    if (command == 11) {
        const int newId = 1 + idValue % 255;
        const Outcome outcome = RunSetId(line.opener(), line.clock(), newId);
        const std::vector<Turn> turns = TurnsOf(line.events());
        if (WriteFailed(line)) {
            Check(!outcome.success && turns.empty());
        } else {
            Check(turns.size() == 1 && turns[0].read.size() == 2);
            Check(outcome.success == (turns[0].read == SignIdText(newId)));
        }
    } else {
        const Outcome outcome = RunCommand(command, line.opener(), line.clock(), signId, parameter);
        CheckFrameCommand(outcome, TurnsOf(line.events()), IsBroadcast(signId), WriteFailed(line));
    }
    Check(!line.isOpen());
    return 0;
}
