#include "core/tags.h"

#include "core/bytes.h"

#include <array>

namespace lumivo {

namespace {

constexpr TagEntry kInline[] = {
    {"<Font5x8>", "<AF>"},         {"<Font5x7>", "<AA>"},
    {"<Font6x7>", "<AB>"},         {"<Font4x7>", "<AC>"},
    {"<Font7x13>", "<AD>"},        {"<Bell 0.5Sec>", "<BA>"},
    {"<Bell 1Sec>", "<BB>"},       {"<Bell 1.5Sec>", "<BC>"},
    {"<Bell 2Sec>", "<BD>"},       {"<Display Date>", "<KD>"},
    {"<Display Time>", "<KT>"},    {"<Red>", "<CA>"},
    {"<Green>", "<CD>"},           {"<Orange>", "<CH>"},
    {"<Inversed Red>", "<CL>"},    {"<Inversed Green>", "<CM>"},
    {"<Inversed Orange>", "<CN>"}, {"<Red On Green>", "<CP>"},
    {"<Green On Red>", "<CQ>"},    {"<RYG>", "<CR>"},
    {"<Rainbow>", "<CS>"},
};

constexpr TagEntry kEffect[] = {
    {"<Immediate>", "<FA>"},    {"<Xopen>", "<FB>"},      {"<Curtain Up>", "<FC>"},
    {"<Curtain Down>", "<FD>"}, {"<Scoll Left>", "<FE>"}, {"<Scroll Right>", "<FF>"},
    {"<Vopen>", "<FG>"},        {"<Vclose>", "<FH>"},     {"<Scroll Up>", "<FI>"},
    {"<Scroll Down>", "<FJ>"},  {"<Hold>", "<FK>"},       {"<Snow>", "<FL>"},
    {"<Twinkle>", "<FM>"},      {"<Block Move>", "<FN>"}, {"<Random>", "<FP>"},
    {"<Hello World>", "<FQ>"},  {"<Welcome>", "<FR>"},    {"<Zentrova>", "<FS>"},
};

constexpr TagEntry kLowerEffect[] = {
    {"<immediate>", "<Fa>"},    {"<xopen>", "<Fb>"},      {"<curtain up>", "<Fc>"},
    {"<curtain down>", "<Fd>"}, {"<scoll left>", "<Fe>"}, {"<scroll right>", "<Ff>"},
    {"<vopen>", "<Fg>"},        {"<vclose>", "<Fh>"},     {"<scroll up>", "<Fi>"},
    {"<scroll down>", "<Fj>"},  {"<hold>", "<Fk>"},       {"<snow>", "<Fl>"},
    {"<twinkle>", "<Fm>"},      {"<block move>", "<Fn>"}, {"<random>", "<Fp>"},
};

constexpr TagEntry kDisplayEffect[] = {
    {"<Normal>", "<MA>"}, {"<Blinking>", "<MB>"}, {"<Song 1>", "<MC>"},
    {"<Song 2>", "<MD>"}, {"<Song 3>", "<ME>"},
};

constexpr TagEntry kSpeed[] = {
    {"<Speed 0>", "0"}, {"<Speed 1>", "1"}, {"<Speed 2>", "2"}, {"<Speed 3>", "3"}};

constexpr TagEntry kDisplayTime[] = {
    {"<0.5Sec>", "<WA>"}, {"<1Sec>", "<WB>"},  {"<2Sec>", "<WC>"},  {"<3Sec>", "<WD>"},
    {"<4Sec>", "<WE>"},   {"<5Sec>", "<WF>"},  {"<6Sec>", "<WG>"},  {"<7Sec>", "<WH>"},
    {"<8Sec>", "<WI>"},   {"<9Sec>", "<WJ>"},  {"<10Sec>", "<WK>"}, {"<11Sec>", "<WL>"},
    {"<12Sec>", "<WM>"},  {"<13Sec>", "<WN>"}, {"<14Sec>", "<WO>"}, {"<15Sec>", "<WP>"},
    {"<16Sec>", "<WQ>"},  {"<17Sec>", "<WR>"}, {"<18Sec>", "<WS>"}, {"<19Sec>", "<WT>"},
    {"<20Sec>", "<WU>"},  {"<21Sec>", "<WV>"}, {"<22Sec>", "<WW>"}, {"<23Sec>", "<WX>"},
    {"<24Sec>", "<WY>"},  {"<25Sec>", "<WZ>"},
};

} // namespace

TagTable InlineTags() {
    return kInline;
}
TagTable EffectTags() {
    return kEffect;
}
TagTable LowerCaseEffectTags() {
    return kLowerEffect;
}
TagTable DisplayEffectTags() {
    return kDisplayEffect;
}
TagTable SpeedTags() {
    return kSpeed;
}
TagTable DisplayTimeTags() {
    return kDisplayTime;
}

std::optional<std::size_t> FindTag(std::string_view tag, TagTable table) {
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (table[i].tag == tag) {
            return i;
        }
    }
    return std::nullopt;
}

std::optional<std::string> MatchColumnTag(std::string_view tag) {
    // "<COL " + exactly three digits + ">", value 0..255.
    constexpr std::string_view kPrefix = "<COL ";
    if (tag.size() != kPrefix.size() + 4 || tag.substr(0, kPrefix.size()) != kPrefix ||
        tag.back() != '>') {
        return std::nullopt;
    }
    const int value = ParseDecimal(tag.substr(kPrefix.size(), 3));
    if (value < 0 || value > 255) {
        return std::nullopt;
    }
    return "<N" + Hex2(static_cast<std::uint8_t>(value)) + ">";
}

} // namespace lumivo
