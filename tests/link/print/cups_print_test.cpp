#include "link/print/cups_print_job.h"
#include "link/print/send_via_network.h"
#include "private_scheduler.h"
#include "test_graphics.h"

#include <algorithm>
#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

#include <cups/cups.h>

namespace lumivo::link {
namespace {

namespace fs = std::filesystem;
using test::GraphicsFolder;
using test::MixedRows;
using test::PrivateScheduler;

constexpr auto kJobLimit = std::chrono::seconds(20);

struct JobEnd {
    int state = 0; // ipp_jstate_t; 0 when the job was not seen ending in time
    std::string title;
    std::string format;
};

// Polls the scheduler until the job has left the queue (completed, cancelled or aborted).
JobEnd WaitForJobEnd(int jobId) {
    JobEnd end;
    const auto deadline = std::chrono::steady_clock::now() + kJobLimit;
    while (std::chrono::steady_clock::now() < deadline) {
        cups_job_t* jobs = nullptr;
        const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, nullptr, 0, CUPS_WHICHJOBS_ALL);
        for (int i = 0; i < count; ++i) {
            if (jobs[i].id == jobId) {
                end.state = jobs[i].state;
                end.title = jobs[i].title ? jobs[i].title : "";
                end.format = jobs[i].format ? jobs[i].format : "";
            }
        }
        cupsFreeJobs(count, jobs);
        if (end.state >= IPP_JSTATE_CANCELED) {
            return end;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    end.state = 0;
    return end;
}

int JobCount() {
    cups_job_t* jobs = nullptr;
    const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, nullptr, 0, CUPS_WHICHJOBS_ALL);
    cupsFreeJobs(count, jobs);
    return count;
}

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// Sizes and the first differing offset: binary frames make a poor diff.
std::string Difference(const std::string& actual, const std::string& expected) {
    const auto mismatch =
        std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
    return "received " + std::to_string(actual.size()) + " bytes, expected " +
           std::to_string(expected.size()) + ", first difference at offset " +
           std::to_string(mismatch.first - actual.begin());
}

class CupsPrintTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (PrivateScheduler::FindTool("cupsd").empty()) {
            GTEST_SKIP() << "cupsd is not installed (Debian package cups-daemon)";
        }
        for (const char* tool : {"lpadmin", "cupsreject"}) {
            if (PrivateScheduler::FindTool(tool).empty()) {
                GTEST_SKIP() << tool << " is not installed (Debian package cups-client)";
            }
        }
        const std::string problem = m_scheduler.start();
        ASSERT_EQ(problem, "") << "the private CUPS scheduler did not start";
        m_output = m_scheduler.outputFolder() / "TestSign.bin";
        ASSERT_EQ(m_scheduler.addCaptureQueue("TestSign", m_output), "");

        ASSERT_FALSE(m_folder.path().empty());
        ASSERT_TRUE(m_folder.write("G01", MixedRows(40, 8)));  // blocks 1, 2
        ASSERT_TRUE(m_folder.write("G03", MixedRows(32, 16))); // blocks 1, 5
    }

    void TearDown() override { m_scheduler.stop(); }

    PrivateScheduler m_scheduler;
    fs::path m_output;
    GraphicsFolder m_folder;
    FolderGraphicSource m_graphics{m_folder.path()};
};

TEST_F(CupsPrintTest, QueueReceivesThePageAndTheBlocksByteForByteAsOneRawJob) {
    const std::string line = "<FR>Go <Pic:G03> now <Pic:G01>!";
    CupsPrintJob job;
    // Real pauses: the five writes trickle into the open document over about 1.3 s, as they do
    // for a user.
    RealClock clock;
    const Outcome outcome = RunSendViaNetwork(job, clock, "TestSign", line, "2A", 'Q', m_graphics);
    ASSERT_EQ(outcome, (Outcome{BoxKind::None, "", true}))
        << job.lastError() << m_scheduler.errorLog();

    ASSERT_GT(job.jobId(), 0);
    const JobEnd end = WaitForJobEnd(job.jobId());
    ASSERT_EQ(end.state, IPP_JSTATE_COMPLETED)
        << "job " << job.jobId() << " did not complete" << m_scheduler.errorLog();
    EXPECT_EQ(end.title, "Lumivotxt");
    EXPECT_EQ(end.format, CUPS_FORMAT_RAW);

    // Expected: the page, then G01's blocks, then G03's (number order, not line order).
    Result<Page> page = BuildPage(line, 0, 'Q', "2A", m_graphics);
    ASSERT_TRUE(page.ok());
    std::string expected = page->stream;
    for (int number : {1, 3}) {
        Result<Graphic> graphic = m_graphics.load(GraphicName(number));
        ASSERT_TRUE(graphic.ok());
        for (const Bytes& frame : GraphicBlockFrames(GraphicLetter(number), *graphic, "2A")) {
            expected += frame;
        }
    }
    // The frames carry the bytes a text path would be tempted to change.
    for (char byte : {'\0', '\n', '\r', '\xFF'}) {
        ASSERT_NE(expected.find(byte), std::string::npos) << int(byte);
    }

    ASSERT_TRUE(fs::exists(m_output)) << m_scheduler.errorLog();
    const std::string received = ReadBytes(m_output);
    EXPECT_TRUE(received == expected) << Difference(received, expected);
}

TEST_F(CupsPrintTest, UnknownQueueIsPrinterNotFoundAndMakesNoJob) {
    CupsPrintJob job;
    FakeClock clock;
    const Outcome outcome =
        RunSendViaNetwork(job, clock, "NoSuchSign", "Hello", "01", 'A', m_graphics);
    EXPECT_EQ(outcome, (Outcome{BoxKind::Error, "Printer not found", false}));
    // The scheduler answered and knew no such queue (not: there was no scheduler to ask).
    EXPECT_EQ(job.lastError().rfind("find queue:", 0), 0u) << job.lastError();
    EXPECT_TRUE(clock.pauses().empty());
    EXPECT_EQ(JobCount(), 0);
}

TEST_F(CupsPrintTest, QueueRejectingJobsIsADocumentErrorAndDeliversNothing) {
    ASSERT_EQ(m_scheduler.runTool({PrivateScheduler::FindTool("cupsreject"), "-h",
                                   m_scheduler.address(), "TestSign"}),
              "");
    CupsPrintJob job;
    FakeClock clock;
    const Outcome outcome =
        RunSendViaNetwork(job, clock, "TestSign", "Hello", "01", 'A', m_graphics);
    EXPECT_EQ(outcome, (Outcome{BoxKind::Error, "Printer Doc Error", false}));
    EXPECT_EQ(job.lastError().rfind("create job:", 0), 0u) << job.lastError();
    EXPECT_TRUE(clock.pauses().empty());
    EXPECT_EQ(JobCount(), 0);
    EXPECT_FALSE(fs::exists(m_output));
}

TEST_F(CupsPrintTest, ListsEveryQueueAndTheDefault) {
    ASSERT_EQ(m_scheduler.addCaptureQueue("OtherSign", m_scheduler.outputFolder() / "other.bin"),
              "");
    ASSERT_EQ(m_scheduler.runTool({PrivateScheduler::FindTool("lpadmin"), "-h",
                                   m_scheduler.address(), "-d", "OtherSign"}),
              "");
    PrintQueues queues = ListPrintQueues();
    std::sort(queues.names.begin(), queues.names.end());
    EXPECT_EQ(queues.names, (std::vector<std::string>{"OtherSign", "TestSign"}));
    EXPECT_EQ(queues.defaultName, "OtherSign");
}

} // namespace
} // namespace lumivo::link
