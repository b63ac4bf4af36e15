#include "core/file_io.h"
#include "support/small_file_system.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lumivo {
namespace {

namespace fs = std::filesystem;

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

std::string ReadBack(const fs::path& path) {
    Result<Bytes> bytes = ReadWholeFile(path);
    return bytes ? *bytes : "<unreadable: " + bytes.error().message + ">";
}

std::vector<std::string> Entries(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Puts the writer's real calls back whatever a test replaced.
class WriterCallsScope {
public:
    explicit WriterCallsScope(const detail::FileWriterCalls& calls) {
        detail::WriterCalls() = calls;
    }
    ~WriterCallsScope() { detail::WriterCalls() = detail::DefaultWriterCalls(); }
};

// State the replaced calls share (they are plain function pointers).
int g_writes = 0;
std::deque<std::string> g_names;

long FailWith(int error) {
    errno = error;
    return -1;
}

TEST(FileReplacing, AFailureAtAnyStepKeepsTheOldFileWholeAndNamesPathAndReason) {
    struct Case {
        const char* what;
        detail::FileWriterCalls calls;
        int error;
    };
    auto with = [](auto change) {
        detail::FileWriterCalls calls = detail::DefaultWriterCalls();
        change(calls);
        return calls;
    };
    const std::vector<Case> cases = {
        {"write fails", with([](auto& c) {
             c.write = [](int, const void*, std::size_t) { return FailWith(EIO); };
         }),
         EIO},
        {"a short write, then the disk is full", with([](auto& c) {
             c.write = [](int fd, const void* data, std::size_t size) -> long {
                 return g_writes++ == 0 ? ::write(fd, data, std::min<std::size_t>(size, 3))
                                        : FailWith(ENOSPC);
             };
         }),
         ENOSPC},
        {"write takes nothing",
         with([](auto& c) { c.write = [](int, const void*, std::size_t) -> long { return 0; }; }),
         ENOSPC},
        {"sync fails", with([](auto& c) { c.fsync = [](int) { return int(FailWith(EIO)); }; }),
         EIO},
        {"close reports a lost write", with([](auto& c) {
             c.close = [](int fd) {
                 ::close(fd);
                 return int(FailWith(EDQUOT));
             };
         }),
         EDQUOT},
        {"rename fails", with([](auto& c) {
             c.rename = [](const char*, const char*) { return int(FailWith(EXDEV)); };
         }),
         EXDEV},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempDir dir;
        const fs::path target = dir.path() / "doc.lmv";
        test::WriteBytes(target, "the old document");
        g_writes = 0;
        std::optional<WriteFailure> failure;
        Status again = Ok{};
        {
            WriterCallsScope scope(c.calls);
            failure = ReplaceFileContents(target, std::string(1000, 'n'));
            again = WriteFileReplacing(target, std::string(1000, 'n'));
        }
        ASSERT_TRUE(failure.has_value());
        ASSERT_FALSE(again.ok());
        EXPECT_EQ(again.error().message, failure->message);
        EXPECT_EQ(failure->step, WriteStep::WriteData);
        EXPECT_TRUE(Contains(failure->message, target.string())) << failure->message;
        EXPECT_TRUE(Contains(failure->message, std::strerror(c.error))) << failure->message;
        EXPECT_EQ(ReadBack(target), "the old document");
        EXPECT_EQ(Entries(dir.path()), std::vector<std::string>{"doc.lmv"});
    }
}

TEST(FileReplacing, InterruptedAndShortWritesStillWriteEveryByte) {
    test::TempDir dir;
    const fs::path target = dir.path() / "G01.txt";
    std::string content;
    for (int i = 0; i < 256; ++i) {
        content += static_cast<char>(i);
    }
    detail::FileWriterCalls calls = detail::DefaultWriterCalls();
    calls.write = [](int fd, const void* data, std::size_t size) -> long {
        // Every other call is interrupted; the others take at most five bytes.
        return g_writes++ % 2 == 0 ? FailWith(EINTR)
                                   : ::write(fd, data, std::min<std::size_t>(size, 5));
    };
    g_writes = 0;
    {
        WriterCallsScope scope(calls);
        ASSERT_TRUE(WriteFileReplacing(target, content).ok());
    }
    EXPECT_EQ(ReadBack(target), content);
    EXPECT_GT(g_writes, 100);
}

TEST(FileReplacing, FullDiskKeepsTheOldFileAndTheLogSaysSo) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "mounting a small file system needs root";
    }
    const test::SmallFileSystem disk;
    if (!disk.mounted()) {
        GTEST_SKIP() << "no tmpfs could be mounted here";
    }
    const fs::path target = disk.path() / "fonts.fon";
    ASSERT_TRUE(WriteFileReplacing(target, "old font").ok());
    AppendFile log;
    ASSERT_TRUE(log.open(disk.path() / "sign.jsonl").ok());
    disk.fill();

    const std::optional<WriteFailure> failure = ReplaceFileContents(target, std::string(8192, 'x'));
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->message, "Cannot write " + target.string() + ": " + std::strerror(ENOSPC));
    EXPECT_EQ(ReadBack(target), "old font");
    EXPECT_EQ(Entries(disk.path()),
              (std::vector<std::string>{"filler", "fonts.fon", "sign.jsonl"}));

    const Status line = log.append(std::string(8192, 'l'));
    ASSERT_FALSE(line.ok());
    EXPECT_TRUE(Contains(line.error().message, "sign.jsonl")) << line.error().message;
    EXPECT_TRUE(Contains(line.error().message, std::strerror(ENOSPC))) << line.error().message;
}

TEST(FileReplacing, LinksPlantedAtTemporaryNamesAreNeverFollowed) {
    test::TempDir dir;
    const fs::path target = dir.path() / "state.json";
    const fs::path victim = dir.path() / "victim";
    const fs::path absent = dir.path() / "absent";
    test::WriteBytes(victim, "keep me");
    fs::create_symlink(victim, detail::TemporaryPath(target, "one"));
    fs::create_symlink(absent, detail::TemporaryPath(target, "two"));
    g_names = {"one", "two", "three"};
    detail::FileWriterCalls calls = detail::DefaultWriterCalls();
    calls.temporaryName = [] {
        std::string next = g_names.front();
        g_names.pop_front();
        return next;
    };
    {
        WriterCallsScope scope(calls);
        ASSERT_TRUE(WriteFileReplacing(target, "{\"state\":1}").ok());
    }
    EXPECT_TRUE(g_names.empty()); // both planted names were passed over
    EXPECT_EQ(ReadBack(target), "{\"state\":1}");
    EXPECT_EQ(ReadBack(victim), "keep me");
    EXPECT_FALSE(fs::exists(fs::symlink_status(absent)));
    EXPECT_TRUE(fs::is_symlink(detail::TemporaryPath(target, "one")));
}

TEST(FileReplacing, TargetsThatAreNotRegularFilesAreRefusedAndLeftAsTheyAre) {
    struct Case {
        const char* name;
        void (*make)(const fs::path& at, const fs::path& folder);
        fs::file_type typeAfter;
    };
    const std::vector<Case> cases = {
        {"folder", [](const fs::path& at, const fs::path&) { fs::create_directory(at); },
         fs::file_type::directory},
        {"fifo",
         [](const fs::path& at, const fs::path&) { ASSERT_EQ(mkfifo(at.c_str(), 0600), 0); },
         fs::file_type::fifo},
        {"link to a device",
         [](const fs::path& at, const fs::path&) { fs::create_symlink("/dev/full", at); },
         fs::file_type::symlink},
        {"link to a folder",
         [](const fs::path& at, const fs::path& folder) {
             fs::create_directory_symlink(folder, at);
         },
         fs::file_type::symlink},
        {"link to nothing",
         [](const fs::path& at, const fs::path& folder) {
             fs::create_symlink(folder / "nothing", at);
         },
         fs::file_type::symlink},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempDir dir;
        const fs::path target = dir.path() / c.name;
        c.make(target, dir.path());
        const std::optional<WriteFailure> failure = ReplaceFileContents(target, "bytes");
        ASSERT_TRUE(failure.has_value());
        EXPECT_EQ(failure->step, WriteStep::CheckTarget);
        EXPECT_EQ(failure->message, "Cannot write " + target.string() + ": not a regular file");
        EXPECT_EQ(fs::symlink_status(target).type(), c.typeAfter);
        EXPECT_FALSE(CheckWritableTarget(target).ok());
        EXPECT_FALSE(AppendFile().open(target).ok());
        EXPECT_EQ(Entries(dir.path()).size(), 1u);
    }
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
}

TEST(FileReplacing, KeepsThePermissionsOfTheOldFileAndWritesThroughALink) {
    struct MaskScope {
        mode_t old = umask(022);
        ~MaskScope() { umask(old); }
    } mask;
    for (const fs::perms perms : {fs::perms(0600), fs::perms(0640), fs::perms(0755)}) {
        SCOPED_TRACE(static_cast<int>(perms));
        test::TempDir dir;
        const fs::path target = dir.path() / "G02.txt";
        test::WriteBytes(target, "old");
        fs::permissions(target, perms);
        ASSERT_TRUE(WriteFileReplacing(target, "new").ok());
        EXPECT_EQ(fs::status(target).permissions() & fs::perms::mask, perms);
        EXPECT_EQ(ReadBack(target), "new");
    }
    test::TempDir dir;
    const fs::path fresh = dir.path() / "fresh.lmv";
    ASSERT_TRUE(WriteFileReplacing(fresh, "a").ok());
    EXPECT_EQ(fs::status(fresh).permissions() & fs::perms::mask, fs::perms(0644));

    // A link to a regular file stays a link; the file it names gets the bytes.
    const fs::path link = dir.path() / "link.lmv";
    fs::create_symlink(fresh, link);
    ASSERT_TRUE(WriteFileReplacing(link, "through").ok());
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(link)));
    EXPECT_EQ(ReadBack(fresh), "through");
}

TEST(FileReplacing, AFolderThatCannotTakeANewFileIsACreateFailure) {
    test::TempDir dir;
    const fs::path target = dir.path() / "missing" / "doc.lmv";
    const std::optional<WriteFailure> failure = ReplaceFileContents(target, "x");
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->step, WriteStep::CreateTemporary);
    EXPECT_EQ(failure->message, "Cannot write " + target.string() + ": " + std::strerror(ENOENT));
}

TEST(ReadWholeFile, WhatIsNotARegularFileIsRefusedAtOnce) {
    test::TempDir dir;
    const fs::path fifo = dir.path() / "G01.txt";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const fs::path fifoLink = dir.path() / "link";
    fs::create_symlink(fifo, fifoLink);
    for (const fs::path& path : {fifo, fifoLink, dir.path(), fs::path("/dev/zero")}) {
        SCOPED_TRACE(path.string());
        const auto read = test::ReadWithinTwoSeconds(fifo, [&] { return ReadWholeFile(path); });
        ASSERT_TRUE(read.has_value()) << "the read waited";
        ASSERT_FALSE(read->ok());
        EXPECT_EQ(read->error().message, "Cannot read " + path.string() + ": not a regular file");
    }
}

TEST(ReadWholeFile, ReadsEveryByteUpToTheLimitAndNoMore) {
    test::TempDir dir;
    const fs::path path = dir.path() / "text";
    const std::string bytes = std::string("a\0b\r\n\xff", 6) + std::string(100000, 'z');
    test::WriteBytes(path, bytes);
    EXPECT_EQ(ReadWholeFile(path, bytes.size()).value(), bytes);
    const Result<Bytes> over = ReadWholeFile(path, bytes.size() - 1);
    ASSERT_FALSE(over.ok());
    EXPECT_EQ(over.error().message, "Cannot read " + path.string() + ": the file (" +
                                        std::to_string(bytes.size()) + " bytes) is larger than " +
                                        std::to_string(bytes.size() - 1) + " bytes");
    const Result<Bytes> missing = ReadWholeFile(dir.path() / "none");
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error().message,
              "Cannot open " + (dir.path() / "none").string() + ": " + std::strerror(ENOENT));
}

TEST(AppendFile, KeepsWhatWasThereAppendsWholeLinesAndRefusesLinks) {
    test::TempDir dir;
    const fs::path path = dir.path() / "sign.jsonl";
    const struct {
        const char* before; // nullptr: no file yet
        const char* after;
    } cases[] = {
        {nullptr, "{\"a\":1}\n{\"b\":2}\n"},
        {"", "{\"a\":1}\n{\"b\":2}\n"},
        {"an older run\n", "an older run\n{\"a\":1}\n{\"b\":2}\n"},
        // A run that stopped mid-line: its line is ended, the new lines stay whole.
        {"{\"cut\":", "{\"cut\":\n{\"a\":1}\n{\"b\":2}\n"},
    };
    for (const auto& c : cases) {
        fs::remove(path);
        if (c.before != nullptr) {
            test::WriteBytes(path, c.before);
        }
        {
            AppendFile log;
            ASSERT_TRUE(log.open(path).ok());
            for (const char* line : {"{\"a\":1}\n", "{\"b\":2}\n"}) {
                ASSERT_TRUE(log.append(line).ok());
            }
        }
        EXPECT_EQ(ReadBack(path), c.after) << (c.before ? c.before : "(no file)");
    }

    const std::string kept = ReadBack(path);
    const fs::path link = dir.path() / "link.jsonl";
    fs::create_symlink(path, link);
    const Status refused = AppendFile().open(link);
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().message, "Cannot write " + link.string() + ": not a regular file");
    EXPECT_EQ(ReadBack(path), kept);
}

} // namespace
} // namespace lumivo
