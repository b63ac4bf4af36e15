#include "signs/window/sign_table_model.h"

#include "core/test_support.h"

#include <gtest/gtest.h>

namespace lumivo::signs {
namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// tests/data/signs_window/row_texts.tsv: a sign's end as its progress cell and as its last
// outcome show it.
TEST(SignTableModel, ShowsEachEndOfASign) {
    const std::vector<test::CaseRow> cases = test::ReadCases("signs_window/row_texts.tsv");
    EXPECT_EQ(cases.size(), 14u);
    for (const test::CaseRow& c : cases) {
        ASSERT_EQ(c.fields.size(), 7u) << "line " << c.line;
        SCOPED_TRACE("row_texts.tsv line " + std::to_string(c.line));
        const link::Outcome outcome(link::BoxKind::Plain, c.fields[4], c.fields[3] == "1");
        if (c.fields[0] == "end" || c.fields[0] == "through") {
            SignOutcome end{QStringLiteral("front"), outcome, c.fields[1] == "1",
                            c.fields[2] == "1", std::stoll(c.fields[5]), std::string(),
                            c.fields[0] == "through"};
            EXPECT_EQ(SignEndText(end), Q(c.fields[6]));
        } else {
            const LastOutcome last{Q(c.fields[5]), outcome, QDateTime(), c.fields[2] == "1"};
            EXPECT_EQ(LastOutcomeText(last), Q(c.fields[6]));
        }
    }
}

TEST(SignTableModel, ShowsGoodSignsTheirStateAndNamesEveryProblem) {
    test::TempDir dir;
    test::WriteBytes(dir.path() / "lumivo.INI",
                     "[Sign]\ncomport=2\n"
                     "[Sign Front]\nPort=COM1\nID=01\nGroups=store, door\n"
                     "[Sign Broken]\nPort=COM1\nID=1G\n"
                     "[Sign Back]\nPort=tcp://127.0.0.1:7000\nID=0A\n");
    SignStateStore states(dir.path() / "signs-state.json");
    ASSERT_TRUE(states.update(QStringLiteral("Back"), [](SignRecord& record) {
        record.last = LastOutcome{
            QStringLiteral("page C"),
            link::Outcome(link::BoxKind::Plain, " Send Message Error ", false), QDateTime(), false};
    }));

    SignTableModel model;
    model.setList(ReadSignList(SettingsFile(dir.path() / "lumivo.INI")));
    model.setStates(&states);

    ASSERT_EQ(model.rowCount(), 2);
    ASSERT_EQ(model.columnCount(), 6);
    const auto cell = [&model](int row, int column) {
        return model.data(model.index(row, column)).toString();
    };
    EXPECT_EQ(cell(0, SignTableModel::Name), QStringLiteral("Front"));
    EXPECT_EQ(cell(0, SignTableModel::Line), QStringLiteral("COM1"));
    EXPECT_EQ(cell(0, SignTableModel::Id), QStringLiteral("01"));
    EXPECT_EQ(cell(0, SignTableModel::Groups), QStringLiteral("store, door"));
    EXPECT_EQ(cell(0, SignTableModel::LastOutcomeColumn), QStringLiteral("nothing sent yet"));
    EXPECT_EQ(cell(1, SignTableModel::Line), QStringLiteral("tcp://127.0.0.1:7000"));
    EXPECT_EQ(cell(1, SignTableModel::LastOutcomeColumn),
              QStringLiteral("page C: Send Message Error"));
    EXPECT_TRUE(model.problemsText().contains(QStringLiteral("Broken")))
        << model.problemsText().toStdString();
    EXPECT_TRUE(model.problemsText().contains(QStringLiteral("1G")));

    // Progress rows follow the sign whatever the case of the name; a sign no longer in the list
    // (removed while a send ran) is passed over.
    model.setProgress(QStringLiteral("back"), QStringLiteral("sending 40%"), 40);
    model.setProgress(QStringLiteral("Gone"), QStringLiteral("done"));
    EXPECT_EQ(cell(1, SignTableModel::Progress), QStringLiteral("sending 40%"));
    EXPECT_EQ(model.data(model.index(1, SignTableModel::Progress), SignTableModel::kPercentRole),
              QVariant(40));
    EXPECT_FALSE(model.data(model.index(0, SignTableModel::Progress), SignTableModel::kPercentRole)
                     .isValid());
}

} // namespace
} // namespace lumivo::signs
