#include "core/document.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <future>
#include <unistd.h>

#include <fcntl.h>
#include <sys/stat.h>

namespace lumivo {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

constexpr RtfColour kPlainColour{10, 20, 30};

class DocumentTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_folder = fs::temp_directory_path() /
                   ("lumivo-document-test-" + std::to_string(::getpid()) + "-" +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_folder);
        fs::create_directories(m_folder);
    }
    void TearDown() override { fs::remove_all(m_folder); }

    fs::path Write(const std::string& name, const std::string& bytes) {
        const fs::path path = m_folder / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    fs::path m_folder;
};

TEST_F(DocumentTest, RtfFirstAndEverythingElseAsPlainTextInTheGivenAttributes) {
    RtfDocument tagged = RtfDocument::fromText("ab");
    const RtfDocument red = RtfDocument::fromText("<Red>", {255, 0, 0}, true);
    tagged.chars.insert(tagged.chars.end(), red.chars.begin(), red.chars.end());
    const std::string rtf = WriteRtf(tagged);

    struct Case {
        const char* what;
        std::string bytes;
        RtfDocument expected;
        std::size_t limit = kMaxDocumentBytes;
    };
    const Case cases[] = {
        {"a written document", rtf, tagged},
        {"plain text", "<Red>abc\r\n\xE9\x01"s,
         RtfDocument::fromText("<Red>abc\r\n\xE9\x01"s, kPlainColour, true)},
        {"an empty file", "", RtfDocument{}},
        {"truncated RTF", rtf.substr(0, rtf.size() / 2),
         RtfDocument::fromText(rtf.substr(0, rtf.size() / 2), kPlainColour, true)},
        {"RTF nested too deep", "{\\rtf1" + std::string(5000, '{'),
         RtfDocument::fromText("{\\rtf1" + std::string(5000, '{'), kPlainColour, true)},
        {"exactly the largest size", std::string(64, 'x'),
         RtfDocument::fromText(std::string(64, 'x'), kPlainColour, true), 64},
        {"the longest line", std::string(kMaxLineCharacters, 'x'),
         RtfDocument::fromText(std::string(kMaxLineCharacters, 'x'), kPlainColour, true)},
    };
    for (const Case& c : cases) {
        const fs::path path = Write("doc.lmv", c.bytes);
        const DocumentRead read = ReadMessageDocument(path, kPlainColour, true, c.limit);
        ASSERT_TRUE(read.ok()) << c.what << ": " << read.message;
        EXPECT_EQ(read.document, c.expected) << c.what;
    }
}

TEST_F(DocumentTest, RefusesWhatIsNotARegularFileOfALinesSize) {
    const fs::path fifo = m_folder / "fifo.lmv";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    fs::create_directory(m_folder / "folder.lmv");
    const fs::path huge = Write("huge.lmv", std::string(kMaxDocumentBytes + 1, 'x'));
    const fs::path small = Write("small.lmv", std::string(65, 'x'));
    const fs::path picture = Write("picture.png", "\x89PNG\r\n\x1a\n\0\0\0\rIHDR"s);
    const fs::path longLine = Write("long.lmv", std::string(kMaxLineCharacters + 1, 'x'));
    // A lone LF becomes a line break of two characters in the editor.
    const fs::path longBreaks =
        Write("breaks.lmv", std::string(kMaxLineCharacters - 1, 'x') + "\n");
    const fs::path locked = Write("locked.lmv", "text");
    fs::permissions(locked, fs::perms::none);
    const bool runningAsRoot = ::geteuid() == 0;

    struct Case {
        fs::path path;
        std::size_t limit;
        DocumentFailure failure;
        const char* reason; // in the message, after the file's name
    };
    std::vector<Case> cases = {
        {m_folder / "missing.lmv", kMaxDocumentBytes, DocumentFailure::CannotOpen, "No such file"},
        {m_folder / "folder.lmv", kMaxDocumentBytes, DocumentFailure::CannotOpen,
         "not a regular file"},
        {fifo, kMaxDocumentBytes, DocumentFailure::CannotOpen, "not a regular file"},
        {"/dev/null", kMaxDocumentBytes, DocumentFailure::CannotOpen, "not a regular file"},
        {huge, kMaxDocumentBytes, DocumentFailure::CannotLoad, "larger than"},
        {small, 64, DocumentFailure::CannotLoad, "larger than 64 bytes"},
        {picture, kMaxDocumentBytes, DocumentFailure::CannotLoad, "NUL bytes"},
        {longLine, kMaxDocumentBytes, DocumentFailure::CannotLoad, "has 6001 characters"},
        {longBreaks, kMaxDocumentBytes, DocumentFailure::CannotLoad, "has 6001 characters"},
    };
    if (!runningAsRoot) {
        cases.push_back({locked, kMaxDocumentBytes, DocumentFailure::CannotOpen, "Permission"});
    }
    for (const Case& c : cases) {
        // Run aside, so that a read that blocks fails the test instead of hanging it.
        auto pending = std::async(std::launch::async, [&c] {
            return ReadMessageDocument(c.path, kPlainColour, false, c.limit);
        });
        if (pending.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
            ADD_FAILURE() << c.path << " blocked the reader";
            // Give a blocked FIFO reader its writer and end of file, so the test can finish.
            const int writer = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
            if (writer >= 0) {
                ::close(writer);
            }
            pending.wait();
            continue;
        }
        const DocumentRead read = pending.get();
        EXPECT_EQ(read.failure, c.failure) << c.path;
        EXPECT_FALSE(read.ok());
        EXPECT_EQ(read.document, RtfDocument{}) << c.path;
        EXPECT_NE(read.message.find(c.path.string()), std::string::npos) << read.message;
        EXPECT_NE(read.message.find(c.reason), std::string::npos) << read.message;
    }
}

// The worst line for the writer: every character escaped, in a colour of its own and the other
// weight than the one before.
RtfDocument WorstLine(std::size_t length) {
    RtfDocument line;
    for (std::size_t i = 0; i < length; ++i) {
        const RtfColour colour{static_cast<std::uint8_t>(100 + i % 150),
                               static_cast<std::uint8_t>(100 + i / 150 % 150), 255};
        line.chars.push_back({static_cast<char>(0x80 + i % 128), colour, i % 2 == 0});
    }
    return line;
}

TEST_F(DocumentTest, TheLongestLineInTheWorstCaseIsSavedAndOpenedAgainWhole) {
    const RtfDocument longest = WorstLine(kMaxLineCharacters);
    const std::string written = WriteRtf(longest);
    EXPECT_LE(written.size(), kMaxDocumentBytes);
    std::printf("the worst line of %zu characters is %zu bytes as a document\n",
                longest.chars.size(), written.size());
    const DocumentRead read = ReadMessageDocument(Write("longest.lmv", written));
    ASSERT_TRUE(read.ok()) << read.message;
    EXPECT_EQ(read.document, longest);
    EXPECT_EQ(WriteRtf(read.document), written);

    const DocumentRead over =
        ReadMessageDocument(Write("over.lmv", WriteRtf(WorstLine(kMaxLineCharacters + 1))));
    EXPECT_EQ(over.failure, DocumentFailure::CannotLoad) << over.message;
}

} // namespace
} // namespace lumivo
