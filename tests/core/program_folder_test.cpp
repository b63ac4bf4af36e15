// Where the programs find and keep their files, tried on folder trees made for each case.

#include "core/file_io.h"
#include "core/graphic.h"
#include "core/program_folder.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace lumivo {
namespace {

namespace fs = std::filesystem;

// A made-up machine: an installation prefix, a portable folder, a home and a data home.
class FolderTree {
public:
    FolderTree() {
        fs::create_directories(bin());
        fs::create_directories(portable());
        fs::create_directories(home());
    }
    fs::path bin() const { return m_root.path() / "prefix" / "bin"; }
    fs::path shared() const { return SharedDataFolderOf(bin()); }
    fs::path portable() const { return m_root.path() / "portable"; }
    fs::path missing() const { return m_root.path() / "no-such-folder"; }
    fs::path home() const { return m_root.path() / "home"; }
    fs::path dataHome() const { return m_root.path() / "data-home"; }

    void makeInstalled() const { fs::create_directories(shared()); }

    FolderInputs inputs(std::string lumivoHome = {}, std::string xdg = "absolute") const {
        if (xdg == "absolute") {
            xdg = dataHome().string();
        }
        return {bin(), std::move(lumivoHome), std::move(xdg), home().string()};
    }

private:
    test::TempDir m_root;
};

std::map<std::string, std::string> FilesOf(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const auto bytes = ReadWholeFile(entry.path());
        files[entry.path().filename().string()] = bytes ? *bytes : "(unreadable)";
    }
    return files;
}

TEST(ProgramFolders, EachLayoutReadsAndWritesInItsOwnPlaces) {
    enum class Place { Bin, Shared, Portable, Missing, DataHome, HomeData };
    struct Case {
        const char* name;
        bool installed;         // the prefix has share/lumivo
        const char* lumivoHome; // "portable", "missing" or none
        const char* xdg;        // "absolute", "relative/data" or empty
        Place readOnly, writable;
    };
    const Case cases[] = {
        {"build folder", false, "", "absolute", Place::Bin, Place::Bin},
        {"installed", true, "", "absolute", Place::Shared, Place::DataHome},
        {"installed without XDG_DATA_HOME", true, "", "", Place::Shared, Place::HomeData},
        {"installed, relative XDG_DATA_HOME", true, "", "relative/data", Place::Shared,
         Place::HomeData},
        {"LUMIVO_HOME wins over an installed copy", true, "portable", "absolute", Place::Portable,
         Place::Portable},
        {"LUMIVO_HOME in a build folder", false, "portable", "absolute", Place::Portable,
         Place::Portable},
        {"program folder cannot be written", false, "missing", "absolute", Place::Missing,
         Place::DataHome},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const FolderTree tree;
        if (c.installed) {
            tree.makeInstalled();
        }
        const std::map<Place, fs::path> places = {
            {Place::Bin, tree.bin()},
            {Place::Shared, tree.shared()},
            {Place::Portable, tree.portable()},
            {Place::Missing, tree.missing()},
            {Place::DataHome, tree.dataHome() / "lumivo"},
            {Place::HomeData, tree.home() / ".local" / "share" / "lumivo"}};
        const std::string home = std::string(c.lumivoHome) == "portable"  ? tree.portable().string()
                                 : std::string(c.lumivoHome) == "missing" ? tree.missing().string()
                                                                          : std::string();
        const ProgramFolders folders = ResolveProgramFolders(tree.inputs(home, c.xdg));
        EXPECT_EQ(folders.readOnly, places.at(c.readOnly));
        EXPECT_EQ(folders.writable, places.at(c.writable));
        EXPECT_EQ(folders.installed, c.readOnly == Place::Shared);
        EXPECT_FALSE(fs::exists(tree.dataHome())) << "resolving created a folder";
    }
}

TEST(ProgramFolders, ReadOnlyFilesPreferTheUsersOwnCopy) {
    const FolderTree tree;
    tree.makeInstalled();
    const ProgramFolders installed = ResolveProgramFolders(tree.inputs());
    EXPECT_EQ(ReadOnlyDataFile(installed, "Manual.txt"), tree.shared() / "Manual.txt");

    fs::create_directories(installed.writable);
    test::WriteBytes(installed.writable / "EuroCharForm58204.bmp", "BM");
    EXPECT_EQ(ReadOnlyDataFile(installed, "EuroCharForm58204.bmp"),
              installed.writable / "EuroCharForm58204.bmp");
    EXPECT_EQ(ReadOnlyDataFile(installed, "EuroCharFormDefault.bmp"),
              tree.shared() / "EuroCharFormDefault.bmp");
    fs::create_directories(installed.writable / "Manual.txt"); // a folder is not a copy
    EXPECT_EQ(ReadOnlyDataFile(installed, "Manual.txt"), tree.shared() / "Manual.txt");

    const ProgramFolders portable = ResolveProgramFolders(tree.inputs(tree.portable().string()));
    EXPECT_EQ(ReadOnlyDataFile(portable, "Manual.txt"), tree.portable() / "Manual.txt");
}

TEST(ProgramFolders, FirstUseOfAnInstalledCopyCopiesTheSampleGraphicsWhole) {
    const FolderTree tree;
    tree.makeInstalled();
    fs::create_directories(tree.shared() / "Graphdata");
    test::WriteBytes(tree.shared() / "Graphdata" / "G01.txt", "AAA\r\n@@@\r\n");
    test::WriteBytes(tree.shared() / "Graphdata" / "G02.txt", "DDDD\r\n");
    const ProgramFolders folders = ResolveProgramFolders(tree.inputs());

    const fs::path graphics = GraphicsFolder(folders);
    EXPECT_EQ(graphics, folders.writable / "Graphdata");
    EXPECT_EQ(FilesOf(graphics), FilesOf(tree.shared() / "Graphdata"));
    // Nothing but the seeded folder is left beside it.
    EXPECT_EQ(FilesOf(folders.writable).size(), 1u);

    // The user's folder is theirs from now on: a deleted sample stays deleted, an edited one
    // keeps its edit.
    fs::remove(graphics / "G01.txt");
    test::WriteBytes(graphics / "G02.txt", "EEEE\r\n");
    EXPECT_EQ(GraphicsFolder(folders), graphics);
    EXPECT_EQ(FilesOf(graphics), (std::map<std::string, std::string>{{"G02.txt", "EEEE\r\n"}}));
}

TEST(ProgramFolders, GraphicsFolderIsLeftAloneWhereNothingIsToBeCopied) {
    struct Case {
        const char* name;
        bool installed, shipsGraphics, userHasFolder;
    };
    const Case cases[] = {
        {"build folder", false, false, false},
        {"installed copy without samples", true, false, false},
        {"user already has an empty folder", true, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const FolderTree tree;
        if (c.installed) {
            tree.makeInstalled();
        }
        if (c.shipsGraphics) {
            fs::create_directories(tree.shared() / "Graphdata");
            test::WriteBytes(tree.shared() / "Graphdata" / "G01.txt", "A\r\n");
        }
        const ProgramFolders folders = ResolveProgramFolders(tree.inputs());
        if (c.userHasFolder) {
            fs::create_directories(folders.writable / "Graphdata");
        }
        const fs::path graphics = GraphicsFolder(folders);
        EXPECT_EQ(graphics, folders.writable / "Graphdata");
        EXPECT_EQ(fs::exists(graphics), c.userHasFolder);
        if (c.userHasFolder) {
            EXPECT_TRUE(fs::is_empty(graphics));
        }
    }
}

TEST(ProgramFolders, AFailedCopyLeavesNoHalfFolder) {
    const FolderTree tree;
    tree.makeInstalled();
    fs::create_directories(tree.shared() / "Graphdata");
    test::WriteBytes(tree.shared() / "Graphdata" / "G01.txt", "A\r\n");
    // The data home is a file, so no per-user folder can be made below it.
    test::WriteBytes(tree.dataHome(), "not a folder");
    const ProgramFolders folders = ResolveProgramFolders(tree.inputs());

    const fs::path graphics = GraphicsFolder(folders);
    EXPECT_EQ(graphics, tree.dataHome() / "lumivo" / "Graphdata");
    EXPECT_FALSE(fs::exists(graphics));
}

// The sample graphics an installed copy ships must be ones the editor and the sign take.
TEST(ShippedGraphics, EverySampleIsAGraphicTheSignTakes) {
    const fs::path folder = test::DataDir() / ".." / ".." / "data" / "Graphdata";
    const auto names = ListGraphics(folder);
    ASSERT_FALSE(names.empty());
    EXPECT_EQ(names.size(), FilesOf(folder).size()) << "a file that is not G01.txt..G16.txt";
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const auto graphic = ReadGraphicFile(GraphicPath(folder, name));
        ASSERT_TRUE(graphic.ok()) << graphic.error().message;
        EXPECT_TRUE(CheckGraphicForSign(*graphic, name).ok());
        const bool lit =
            std::any_of(graphic->rows.begin(), graphic->rows.end(), [](const auto& row) {
                return row.find_first_not_of(kPixelOff) != std::string::npos;
            });
        EXPECT_TRUE(lit) << "a sample that shows nothing";
    }
}

} // namespace
} // namespace lumivo
