// The lumivo-cli program's own command line, run as a process.

#include "core/version.h"
#include "support/program_run.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace lumivo::test {
namespace {

TEST(CliProgram, HelpVersionAndUsageErrors) {
    const std::string version = std::string("lumivo-cli ") + kVersion + "\n";
    ExpectCommandLines(
        LUMIVO_CLI_PATH,
        {
            {{"--help"}, 0, "usage: lumivo-cli ", ""},
            {{"-h"}, 0, "usage: lumivo-cli ", ""},
            {{"help"}, 0, "usage: lumivo-cli ", ""},
            {{"--version"}, 0, version, ""},
            {{"--bogus"}, 2, "", "lumivo-cli: unknown option --bogus\nusage: "},
            {{"--bogus", "page", "x"}, 2, "", "lumivo-cli: unknown option --bogus\n"},
            {{}, 2, "", "usage: lumivo-cli "},
            {{"frobnicate"}, 2, "", "lumivo-cli: unknown command frobnicate\n"},
            {{"page", "--help"}, 0, "usage: lumivo-cli page ", ""},
            {{"page", "--bogus", "x"},
             2,
             "",
             "lumivo-cli page: unknown option --bogus\nusage: lumivo-cli page "},
            {{"page", "--sign"}, 2, "", "lumivo-cli page: --sign needs a value\n"},
            // The box text as the editor shows it, and the device and reason behind it.
            {{"delete-all", "--port", "/dev/lumivo-missing", "--sign", "01"},
             1,
             " Open Com Error \n",
             "lumivo-cli delete-all: Could not open /dev/lumivo-missing: "},
        });
    // The version line is the whole output.
    EXPECT_EQ(RunProgram(LUMIVO_CLI_PATH, {"--version"}).out, version);
}

TEST(CliProgram, PortsTellsWhereEachComPortLeads) {
    // The launcher decides from `ports --mapped COM1` whether to start a virtual sign, so the
    // answer must follow the settings file exactly as the sign commands read it.
    char folder[] = "/tmp/lumivo-ports-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    {
        std::FILE* settings = std::fopen((std::string(folder) + "/lumivo.INI").c_str(), "w");
        ASSERT_NE(settings, nullptr);
        std::fputs("[ports]\rcom2=/dev/ttyUSB3\r[Sign]\rcomport=2\r", settings);
        std::fclose(settings);
    }
    setenv("LUMIVO_HOME", folder, 1);
    unsetenv("LUMIVO_COM1");
    unsetenv("LUMIVO_COM2");
    ExpectCommandLines(LUMIVO_CLI_PATH,
                       {
                           {{"ports", "--mapped", "COM2"}, 0, "/dev/ttyUSB3\n", ""},
                           {{"ports", "--mapped", "com1"}, 1, "/dev/ttyS0\n", ""},
                           {{"ports", "--mapped", "COM9"}, 2, "", "lumivo-cli ports: "},
                           {{"ports", "extra"}, 2, "", "lumivo-cli ports: "},
                           {{"ports"}, 0, "COM1  /dev/ttyS0  (default)\nCOM2  /dev/ttyUSB3\n", ""},
                       });
    setenv("LUMIVO_COM1", "/dev/pts/9", 1);
    EXPECT_EQ(RunProgram(LUMIVO_CLI_PATH, {"ports", "--mapped", "COM1"}).status, 0);
    unsetenv("LUMIVO_COM1");
    unsetenv("LUMIVO_HOME");
    std::filesystem::remove_all(folder);
}

TEST(CliProgram, GraphicImportThenExportGivesTheSameDots) {
    // A BMP and a PNG made by one export import back as the same graphic through the program.
    char folder[] = "/tmp/lumivo-graphic-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::filesystem::path dir = folder;
    const std::string graphics = (dir / "Graphdata").string();
    std::filesystem::create_directory(graphics);
    std::string rows;
    for (int y = 0; y < 8; ++y) {
        std::string row;
        for (int x = 0; x < 64; ++x) {
            row += "@ADE"[(x / 3 + y) % 4];
        }
        rows += row + "\r\n";
    }
    {
        std::FILE* graphic = std::fopen((dir / "Graphdata" / "G07.txt").c_str(), "wb");
        ASSERT_NE(graphic, nullptr);
        std::fputs(rows.c_str(), graphic);
        std::fclose(graphic);
    }
    for (const char* name : {"seven.bmp", "seven.png"}) {
        SCOPED_TRACE(name);
        const std::string picture = (dir / name).string();
        std::filesystem::remove(dir / "Graphdata" / "G12.txt");
        ExpectCommandLines(
            LUMIVO_CLI_PATH,
            {
                {{"graphic", "export", "--number", "7", "--graphics", graphics, picture},
                 0,
                 "",
                 ""},
                {{"graphic", "import", "--graphics", graphics, "--number", "12", "--width", "64",
                  "--height", "8", picture},
                 0,
                 "",
                 ""},
            });
        std::FILE* imported = std::fopen((dir / "Graphdata" / "G12.txt").c_str(), "rb");
        ASSERT_NE(imported, nullptr);
        std::string back(rows.size() + 1, '\0');
        back.resize(std::fread(back.data(), 1, back.size(), imported));
        std::fclose(imported);
        EXPECT_EQ(back, rows);
    }
    std::filesystem::remove_all(dir);
}

} // namespace
} // namespace lumivo::test
