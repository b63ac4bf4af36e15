#include "userfont/font_maker_model.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace lumivo::userfont {
namespace {

std::vector<std::string> Texts(const FontMakerModel& model) {
    std::vector<std::string> texts;
    for (const FontEntry& entry : model.entries()) {
        texts.push_back(entry.text);
    }
    return texts;
}

std::string Bytes52(const UserCharRecord& record) {
    return std::string(record.begin(), record.end());
}

// The grid's cells as rows of "#" and ".".
std::string Grid(const FontMakerModel& model) {
    std::string text;
    for (int r = 0; r < model.gridHeight(); ++r) {
        if (r != 0) {
            text += ' ';
        }
        for (int i = 0; i < model.gridWidth(); ++i) {
            text += model.cellOn(i, r) ? '#' : '.';
        }
    }
    return text;
}

// A model with one 5x7 character U40, chosen: its grid is 75 x 105 pixels from (91, 48).
FontMakerModel ChosenU40() {
    FontMakerModel model;
    model.add(0x40, "5x7");
    model.choose(0);
    return model;
}

TEST(FontMakerModel, AddKeepsCodeAndSizeUniqueAndSorts) {
    FontMakerModel model;
    EXPECT_TRUE(model.add(0x41, "4x7"));
    EXPECT_TRUE(model.add(0x40, "4x7"));
    EXPECT_TRUE(model.add(0x40, "5x7"));
    EXPECT_FALSE(model.add(0x40, "5x7"));
    EXPECT_TRUE(model.add(0x7F, "6x7"));
    EXPECT_EQ(Texts(model), (std::vector<std::string>{"U40-4x7", "U40-5x7", "U41-4x7", "U7F-6x7"}));
    EXPECT_FALSE(model.chosenIndex());
    EXPECT_EQ(model.gridWidth(), 0);
    for (const FontEntry& entry : model.entries()) {
        EXPECT_TRUE(IsBlankRecord(entry.record)) << entry.text;
    }
}

TEST(FontMakerModel, GridSizeAndPlaceFollowTheChosenEntry) {
    const struct {
        const char* size;
        int width, left;
    } table[] = {{"4x7", 4, 98}, {"5x7", 5, 91}, {"6x7", 6, 83}};
    for (const auto& row : table) {
        FontMakerModel model;
        model.add(0x50, row.size);
        model.choose(0);
        EXPECT_EQ(model.gridWidth(), row.width) << row.size;
        EXPECT_EQ(model.gridHeight(), 7);
        EXPECT_EQ(model.gridLeft(), row.left) << row.size;
        EXPECT_EQ(model.gridTop(), 48);
    }
}

TEST(FontMakerModel, TopLeftPixelOf5x7RecordByteForByte) {
    FontMakerModel model = ChosenU40();
    EXPECT_EQ(model.press(91, 48), (GridCell{0, 0}));
    model.release();
    std::string expected = "U40A";
    expected += '\x80';
    expected += std::string(47, '\0');
    EXPECT_EQ(Bytes52(model.entries()[0].record), expected);
}

TEST(FontMakerModel, PressAndDragAcceptanceBounds) {
    // The grid of U40-5x7 spans x 91..165, y 48..152. A press stops two pixels short of the far
    // edges; a move includes the pixel two short.
    const struct {
        int x, y;
        bool drag;
        std::optional<GridCell> cell;
    } table[] = {
        {91, 48, false, GridCell{0, 0}},  {163, 150, false, GridCell{4, 6}},
        {164, 100, false, std::nullopt},  {90, 100, false, std::nullopt},
        {100, 151, false, std::nullopt},  {100, 47, false, std::nullopt},
        {164, 151, true, GridCell{4, 6}}, {165, 100, true, std::nullopt},
        {91, 151, true, GridCell{0, 6}},  {100, 152, true, std::nullopt},
        {90, 60, true, std::nullopt},
    };
    for (const auto& row : table) {
        FontMakerModel model = ChosenU40();
        const auto cell = row.drag ? model.drag(row.x, row.y) : model.press(row.x, row.y);
        EXPECT_EQ(cell, row.cell) << row.x << "," << row.y << (row.drag ? " drag" : " press");
    }
}

TEST(FontMakerModel, DragTogglesEachCellOncePerEntry) {
    FontMakerModel model = ChosenU40();
    model.press(92, 50);               // (0, 0) on
    EXPECT_FALSE(model.drag(100, 55)); // still (0, 0)
    EXPECT_FALSE(model.drag(105, 62));
    EXPECT_EQ(model.drag(107, 50), (GridCell{1, 0})); // (1, 0) on
    EXPECT_FALSE(model.drag(110, 52));
    EXPECT_EQ(model.drag(95, 52), (GridCell{0, 0})); // back into (0, 0): off again
    EXPECT_EQ(model.drag(95, 65), (GridCell{0, 1})); // (0, 1) on
    EXPECT_EQ(Grid(model), ".#... #.... ..... ..... ..... ..... .....");
    // A new press toggles the cell under it even when it is the one remembered.
    EXPECT_EQ(model.press(95, 65), (GridCell{0, 1}));
    EXPECT_EQ(Grid(model), ".#... ..... ..... ..... ..... ..... .....");
}

TEST(FontMakerModel, NothingIsDrawnBeforeAChoice) {
    FontMakerModel model;
    model.add(0x40, "5x7");
    EXPECT_FALSE(model.press(128, 100));
    EXPECT_FALSE(model.drag(128, 100));
    model.release();
    EXPECT_TRUE(IsBlankRecord(model.entries()[0].record));
}

TEST(FontMakerModel, ReleaseStoresCodeAndSizeEvenWithNoPixel) {
    FontMakerModel model;
    model.add(0x5A, "6x7");
    model.choose(0);
    model.press(0, 0); // outside the grid
    model.release();
    EXPECT_EQ(Bytes52(model.entries()[0].record), "U5AB" + std::string(48, '\0'));
}

TEST(FontMakerModel, ChoosingShowsTheRecordAndNoClearsIt) {
    FontMakerModel model;
    model.replaceWith({MakeUserCharRecord(0x41, 'C', {0x90, 0x60, 0, 0, 0, 0, 0xF0})});
    model.choose(0);
    EXPECT_EQ(Grid(model), "#..# .##. .... .... .... .... ####");
    model.clearChosen();
    EXPECT_TRUE(IsBlankRecord(model.entries()[0].record));
    EXPECT_EQ(model.entries()[0].text, "U41-4x7");
    EXPECT_EQ(Grid(model), ".... .... .... .... .... .... ....");
    // The next release gives the record its code and size again.
    model.release();
    EXPECT_EQ(Bytes52(model.entries()[0].record), "U41C" + std::string(48, '\0'));
}

TEST(FontMakerModel, ClearedRecordSavedAsZerosReadsBackAsDash) {
    FontMakerModel model = ChosenU40();
    model.press(91, 48);
    model.release();
    model.clearChosen();
    const Bytes file = EncodeFontFile(model.records());
    ASSERT_EQ(file.size(), 21u + 52u);
    EXPECT_EQ(file.substr(21), std::string(52, '\0'));
    const auto read = DecodeFontFile(file);
    ASSERT_TRUE(read);
    FontMakerModel reopened;
    reopened.replaceWith(read->records);
    EXPECT_EQ(Texts(reopened), std::vector<std::string>{"-"});
    // An entry without a size shows no grid and keeps its record on release.
    reopened.choose(0);
    EXPECT_EQ(reopened.gridWidth(), 0);
    reopened.release();
    EXPECT_TRUE(IsBlankRecord(reopened.entries()[0].record));
}

TEST(FontMakerModel, EmptyListSavesTheMarkAndACountOfZero) {
    const FontMakerModel model;
    EXPECT_EQ(EncodeFontFile(model.records()), std::string("LEDFONTModal58204\0\0\0\0", 21));
}

TEST(FontMakerModel, OpenedFileIsSortedAndReplacesTheList) {
    FontMakerModel model = ChosenU40();
    const std::vector<UserCharRecord> records = {
        MakeUserCharRecord(0x7F, 'A', {1, 0, 0, 0, 0, 0, 0}),
        MakeUserCharRecord(0x41, 'B', {2, 0, 0, 0, 0, 0, 0}),
        MakeUserCharRecord(0x41, 'C', {3, 0, 0, 0, 0, 0, 0}),
        MakeUserCharRecord(0x41, 'C', {4, 0, 0, 0, 0, 0, 0}),
    };
    model.replaceWith(records);
    EXPECT_EQ(Texts(model), (std::vector<std::string>{"U41-4x7", "U41-4x7", "U41-6x7", "U7F-5x7"}));
    // Equal texts keep the file's order.
    EXPECT_EQ(model.entries()[0].record[4], 3);
    EXPECT_EQ(model.entries()[1].record[4], 4);
    EXPECT_FALSE(model.chosenIndex());
    EXPECT_FALSE(model.press(91, 48));
}

TEST(FontMakerModel, DeleteRemovesTheChosenEntryAndTheGrid) {
    FontMakerModel model;
    model.add(0x40, "4x7");
    model.add(0x41, "4x7");
    model.add(0x42, "4x7");
    model.choose(1);
    model.add(0x40, "5x7"); // the chosen entry moves down the list
    EXPECT_EQ(model.chosenIndex(), 2);
    model.removeChosen();
    EXPECT_EQ(Texts(model), (std::vector<std::string>{"U40-4x7", "U40-5x7", "U42-4x7"}));
    EXPECT_FALSE(model.chosenIndex());
    EXPECT_EQ(model.gridWidth(), 0);
    EXPECT_FALSE(model.press(128, 100));
    // With nothing chosen, a confirmed delete removes nothing.
    model.removeChosen();
    EXPECT_EQ(model.entries().size(), 3u);
}

} // namespace
} // namespace lumivo::userfont
