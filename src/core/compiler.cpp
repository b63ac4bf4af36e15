#include "core/compiler.h"

#include "core/frame.h"
#include "core/tags.h"

#include <map>

namespace lumivo {

Result<Graphic> FolderGraphicSource::load(std::string_view name) const {
    if (!IsSafeGraphicName(name)) {
        return Error{"Graphic \"" + PrintableText(name) + "\" cannot be read: not a graphic name"};
    }
    Result<Graphic> graphic = ReadGraphicInFolder(m_folder, name);
    if (!graphic) {
        return graphic.error();
    }
    if (Status fits = CheckGraphicForSign(*graphic, name); !fits) {
        return fits.error();
    }
    return graphic;
}

namespace {

// The integer value of characters 2 and 3 of the name, or 1 when they are not a number.
int GraphicNumberForBlockTags(std::string_view name) {
    const std::string_view digits = name.size() > 1 ? name.substr(1, 2) : std::string_view{};
    const int value = ParseDecimal(digits);
    return value < 0 ? 1 : value;
}

// What one scan carries from tag to tag: which header fields are taken, and the graphics read.
struct ScanState {
    bool firstEffect = false;
    bool secondEffect = false;
    bool displayEffect = false;
    bool displayTime = false;
    // Widths of the graphics read so far: a line that shows one picture many times reads its
    // file once.
    std::map<std::string, int, std::less<>> graphicWidths;
};

void TakeEffect(Compilation& c, ScanState& flags, std::string_view code) {
    if (!flags.firstEffect) {
        flags.firstEffect = true;
        c.leadingEffect = code;
    } else if (!flags.secondEffect) {
        flags.secondEffect = true;
        c.closingEffect = code;
    }
}

// What becomes of a finished tag: nullopt to keep it as typed, otherwise its replacement
// (empty to remove it).
Result<std::optional<std::string>> ClassifyTag(std::string_view tag, Compilation& c,
                                               ScanState& flags, const GraphicSource& graphics) {
    using Replacement = std::optional<std::string>;
    if (auto i = FindTag(tag, EffectTags())) {
        TakeEffect(c, flags, EffectTags()[*i].code);
        return Replacement{std::string{}};
    }
    if (auto i = FindTag(tag, LowerCaseEffectTags())) {
        TakeEffect(c, flags, LowerCaseEffectTags()[*i].code);
        return Replacement{std::string{}};
    }
    if (auto i = FindTag(tag, DisplayEffectTags())) {
        if (!flags.displayEffect) {
            flags.displayEffect = true;
            c.displayEffect = DisplayEffectTags()[*i].code;
        }
        return Replacement{std::string{}};
    }
    if (auto i = FindTag(tag, SpeedTags())) {
        c.speed = SpeedTags()[*i].code;
        return Replacement{std::string{}};
    }
    if (auto i = FindTag(tag, DisplayTimeTags())) {
        if (!flags.displayTime) {
            flags.displayTime = true;
            c.displayTime = DisplayTimeTags()[*i].code;
        }
        return Replacement{std::string{}};
    }
    if (auto i = FindTag(tag, InlineTags())) {
        return Replacement{std::string(InlineTags()[*i].code)};
    }
    if (auto code = MatchColumnTag(tag)) {
        return Replacement{*code};
    }
    if (tag.compare(0, 5, "<Pic:") == 0) {
        const std::string name(tag.substr(5, tag.size() - 6));
        if (auto number = GraphicNumberOfName(name)) {
            c.usedGraphics[static_cast<std::size_t>(*number - 1)] = true;
        }
        auto known = flags.graphicWidths.find(name);
        if (known == flags.graphicWidths.end()) {
            Result<Graphic> graphic = graphics.load(name);
            if (!graphic) {
                return graphic.error();
            }
            known = flags.graphicWidths.emplace(name, graphic->width()).first;
        }
        return Replacement{BlockTags(GraphicNumberForBlockTags(name), known->second)};
    }
    return Replacement{};
}

bool IsCapital(char c) {
    return c >= 'A' && c <= 'Z';
}

char WithCaseOf(char letter, bool capital) {
    if (capital && letter >= 'a' && letter <= 'z') {
        return static_cast<char>(letter - 'a' + 'A');
    }
    if (!capital && letter >= 'A' && letter <= 'Z') {
        return static_cast<char>(letter - 'A' + 'a');
    }
    return letter;
}

// Completes the leading and closing effects: defaults, and the closing effect in the case of
// the leading one.
void CompleteEffects(Compilation& c) {
    if (!c.leadingEffect.empty()) {
        if (c.closingEffect.empty()) {
            c.closingEffect = "<FE>";
        }
        if (c.leadingEffect.size() > 2 && c.closingEffect.size() > 2) {
            c.closingEffect[2] = WithCaseOf(c.closingEffect[2], IsCapital(c.leadingEffect[2]));
        }
    } else if (!c.closingEffect.empty()) {
        const bool capital = c.closingEffect.size() > 2 && IsCapital(c.closingEffect[2]);
        c.leadingEffect = capital ? "<FE>" : "<Fe>";
    } else {
        c.leadingEffect = "<FE>";
        c.closingEffect = "<FE>";
    }
}

// The display effect code with the speed folded into its letter: d places after "q", "a", "Q"
// or "A" for the speeds 0..3, d being the effect's position in <MA>..<ME>.
std::string SpeedAdjustedDisplayEffect(const std::string& displayEffect, const std::string& speed) {
    int d = 0;
    for (std::size_t i = 0; i < DisplayEffectTags().size(); ++i) {
        if (DisplayEffectTags()[i].code == displayEffect) {
            d = static_cast<int>(i);
        }
    }
    static constexpr char kBase[] = {'q', 'a', 'Q', 'A'};
    const int s = speed.empty() ? 3 : speed[0] - '0';
    const char base = (s >= 0 && s <= 3) ? kBase[s] : 'A';
    return std::string("<M") + static_cast<char>(base + d) + ">";
}

} // namespace

Result<Compilation> CompileLine(std::string_view line, const GraphicSource& graphics) {
    // The compiled line is the source with each classified tag replaced or removed. Replacements
    // never become part of the scan (only source characters are scanned), so the line is built
    // once, front to back: the text between tags is copied as it is, each classified tag is
    // swapped for its replacement. Cost is linear in the line, whatever the number of tags.
    Compilation c;
    c.compiledLine.reserve(line.size());
    ScanState flags;
    bool inTag = false;
    std::size_t tagStart = 0; // index in the source of the current tag's "<"
    std::size_t copied = 0;   // source bytes before this index are in the compiled line
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char ch = line[i];
        if (ch == '<') {
            tagStart = i;
            inTag = true;
        } else if (ch == '>' && inTag) {
            inTag = false;
            const std::string_view tag = line.substr(tagStart, i + 1 - tagStart);
            Result<std::optional<std::string>> replacement = ClassifyTag(tag, c, flags, graphics);
            if (!replacement) {
                return replacement.error();
            }
            if (const std::optional<std::string>& text = *replacement) {
                c.compiledLine.append(line, copied, tagStart - copied);
                c.compiledLine += *text;
                copied = i + 1;
            }
        }
    }
    c.compiledLine.append(line, copied);
    return c;
}

Result<Page> BuildPage(std::string_view line, int lineNumber, char pageLetter,
                       std::string_view signIdText, const GraphicSource& graphics) {
    Page page;
    Compilation& c = page.compilation;
    if (line.empty()) {
        c.leadingEffect = "<FE>";
        c.displayEffect = "<MA>";
        c.closingEffect = "<FE>";
        c.displayTime = "<WC>";
        c.speed = "3";
        c.compiledLine = " ";
    } else {
        Result<Compilation> compiled = CompileLine(line, graphics);
        if (!compiled) {
            return compiled.error();
        }
        c = std::move(compiled).value();
        CompleteEffects(c);
        if (c.displayEffect.empty()) {
            c.displayEffect = "<MA>";
        }
        if (c.displayTime.empty()) {
            c.displayTime = "<WC>";
        }
        if (c.speed.empty()) {
            c.speed = "3";
        }
    }
    const std::string displayEffect = SpeedAdjustedDisplayEffect(c.displayEffect, c.speed);

    Bytes payload = "<L" + std::to_string(lineNumber + 1) + "><P";
    payload += pageLetter;
    payload += '>';
    payload += c.leadingEffect;
    payload += displayEffect;
    payload += c.displayTime;
    payload += c.closingEffect;
    payload += c.compiledLine;
    std::erase(payload, '\n');
    std::erase(payload, '\r');

    page.stream = BuildFrame(payload, signIdText);
    return page;
}

Result<Transfer> BuildTransfer(std::string_view line, char pageLetter, std::string_view signIdText,
                               const GraphicSource& graphics) {
    Result<Page> page = BuildPage(line, 0, pageLetter, signIdText, graphics);
    if (!page) {
        return page.error();
    }
    Transfer transfer;
    transfer.pageStream = std::move(page->stream);
    for (int number = 1; number <= kGraphicCount; ++number) {
        if (!page->compilation.usedGraphics[static_cast<std::size_t>(number - 1)]) {
            continue;
        }
        const std::string name = GraphicName(number);
        Result<Graphic> graphic = graphics.load(name);
        if (!graphic) {
            return graphic.error();
        }
        if (Status fits = CheckGraphicForSign(*graphic, name); !fits) {
            return fits.error();
        }
        for (Bytes& frame : GraphicBlockFrames(GraphicLetter(number), *graphic, signIdText)) {
            transfer.blockFrames.push_back(std::move(frame));
            transfer.blockGraphics.push_back(number);
        }
    }
    return transfer;
}

} // namespace lumivo
