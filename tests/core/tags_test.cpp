#include "core/tags.h"

#include <gtest/gtest.h>

#include <set>

namespace lumivo {
namespace {

TEST(Tags, TablesHaveTheirSizesAndNoDuplicateTags) {
    EXPECT_EQ(InlineTags().size(), 21u);
    EXPECT_EQ(EffectTags().size(), 18u);
    EXPECT_EQ(LowerCaseEffectTags().size(), 15u);
    EXPECT_EQ(DisplayEffectTags().size(), 5u);
    EXPECT_EQ(SpeedTags().size(), 4u);
    EXPECT_EQ(DisplayTimeTags().size(), 26u);
    std::set<std::string_view> all;
    std::size_t count = 0;
    for (TagTable t : {InlineTags(), EffectTags(), LowerCaseEffectTags(), DisplayEffectTags(),
                       SpeedTags(), DisplayTimeTags()}) {
        for (const TagEntry& e : t) {
            all.insert(e.tag);
            ++count;
        }
    }
    EXPECT_EQ(all.size(), count);
}

TEST(Tags, LowerCaseEffectsMirrorTheFirstFifteenCapitalised) {
    for (std::size_t i = 0; i < LowerCaseEffectTags().size(); ++i) {
        const auto upper = EffectTags()[i];
        const auto lower = LowerCaseEffectTags()[i];
        ASSERT_EQ(upper.code.size(), 4u);
        EXPECT_EQ(lower.code[2], upper.code[2] - 'A' + 'a') << lower.tag;
        std::string folded(upper.tag);
        for (char& c : folded) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        EXPECT_EQ(folded, lower.tag);
    }
}

TEST(Tags, CodesSkipWhereTheVocabularySays) {
    EXPECT_EQ(InlineTags()[0].code, "<AF>");
    EXPECT_EQ(InlineTags()[4].code, "<AD>");
    EXPECT_EQ(EffectTags()[13].code, "<FN>");
    EXPECT_EQ(EffectTags()[14].code, "<FP>");
    EXPECT_EQ(DisplayTimeTags()[1].tag, "<1Sec>");
    EXPECT_EQ(DisplayTimeTags()[1].code, "<WB>");
    EXPECT_EQ(DisplayTimeTags()[25].tag, "<25Sec>");
    EXPECT_EQ(DisplayTimeTags()[25].code, "<WZ>");
}

TEST(FindTag, ExactAndCaseSensitive) {
    EXPECT_EQ(FindTag("<Red>", InlineTags()), 11u);
    EXPECT_FALSE(FindTag("<red>", InlineTags()));
    EXPECT_FALSE(FindTag("<RED>", InlineTags()));
    EXPECT_FALSE(FindTag("<Red >", InlineTags()));
    EXPECT_EQ(FindTag("<Scoll Left>", EffectTags()), 4u);
    EXPECT_FALSE(FindTag("<Scroll Left>", EffectTags()));
    EXPECT_FALSE(FindTag("<hello world>", LowerCaseEffectTags()));
    EXPECT_FALSE(FindTag("<zentrova>", LowerCaseEffectTags()));
}

TEST(MatchColumnTag, ThreeDigitsZeroTo255Only) {
    EXPECT_EQ(MatchColumnTag("<COL 000>"), "<N00>");
    EXPECT_EQ(MatchColumnTag("<COL 007>"), "<N07>");
    EXPECT_EQ(MatchColumnTag("<COL 010>"), "<N0A>");
    EXPECT_EQ(MatchColumnTag("<COL 255>"), "<NFF>");
    for (const char* no : {"<COL 7>", "<COL 0005>", "<COL 256>", "<COL -01>", "<col 007>",
                           "<COL 00a>", "<COL  07>", "<COL 007"}) {
        EXPECT_FALSE(MatchColumnTag(no)) << no;
    }
}

} // namespace
} // namespace lumivo
