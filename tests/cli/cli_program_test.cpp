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

} // namespace
} // namespace lumivo::test
