// lumivod over MQTT end to end: Debian's mosquitto on a free loopback port, lumivod with two
// virtual signs on TCP, pages published with mosquitto_pub and retained topics read with
// mosquitto_sub. The broker is stopped and started again while lumivod runs, and lumivod is
// stopped while a page for it waits in its session.

#include "support/sign_process.h"

#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <cstdio>
#include <thread>

namespace {

using lumivo::test::ReadLines;
using lumivo::test::SignProcess;

const char* const kBroker = "/usr/sbin/mosquitto";

int FreeLoopbackPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), size);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    ::close(fd);
    return ntohs(address.sin_port);
}

// What a shell command printed on its standard output.
std::string Output(const std::string& command) {
    std::string text;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
            text.append(buffer, n);
        }
        ::pclose(pipe);
    }
    return text;
}

// Waits until `done` holds, looking again every 20 ms, at most `ms`.
template <typename Done> bool WaitUntil(Done done, int ms = 5000) {
    const auto deadline = lumivo::test::Clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (lumivo::test::Clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// The seconds of the day of each page frame of a virtual sign's log that carries `text`.
std::vector<double> PageTimesWith(const std::string& log, const std::string& text) {
    std::vector<double> times;
    for (const std::string& line : ReadLines(log)) {
        if (line.find("\"kind\":\"page\"") == std::string::npos ||
            line.find(text) == std::string::npos) {
            continue;
        }
        const std::size_t at = line.find("\"time\":\"") + 19; // past "YYYY-MM-DDT
        times.push_back(std::stoi(line.substr(at, 2)) * 3600 +
                        std::stoi(line.substr(at + 3, 2)) * 60 + std::stod(line.substr(at + 6, 6)));
    }
    return times;
}

std::size_t PagesWith(const std::string& log, const std::string& text) {
    return PageTimesWith(log, text).size();
}

// A folder with a broker's settings for a free loopback port, which is set.
std::string BrokerFolder(const char* name, std::string& port) {
    std::string pattern = "/tmp/" + std::string(name) + "-XXXXXX";
    const std::string dir = ::mkdtemp(pattern.data());
    port = std::to_string(FreeLoopbackPort());
    std::ofstream(dir + "/mosquitto.conf") << "listener " << port << " 127.0.0.1\n"
                                           << "allow_anonymous true\npersistence false\n";
    return dir;
}

bool Publish(const std::string& port, const std::string& topic, const std::string& payload) {
    return std::system(("mosquitto_pub -h 127.0.0.1 -p " + port + " -q 1 -t '" + topic + "' -m '" +
                        payload + "' 2>/dev/null")
                           .c_str()) == 0;
}

std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

TEST(MqttEndToEnd, GroupPageStateDiscoveryAndCommandsAcrossABrokerRestart) {
    if (::access(kBroker, X_OK) != 0) {
        GTEST_SKIP() << kBroker << " is missing (Debian package mosquitto): no broker to test with";
    }
    std::string port;
    const std::string dir = BrokerFolder("lumivo-mqtt", port);
    auto broker = std::make_unique<SignProcess>(
        std::vector<std::string>{"-c", dir + "/mosquitto.conf"}, kBroker);
    const std::string client = " -h 127.0.0.1 -p " + port + " ";
    const auto publish = [&](const std::string& topic, const std::string& payload) {
        return Publish(port, topic, payload);
    };
    const auto retained = [&](const std::string& filter, int count) {
        return Output("mosquitto_sub" + client + "-v -C " + std::to_string(count) + " -W 2 -t '" +
                      filter + "' 2>/dev/null");
    };
    ASSERT_TRUE(WaitUntil([&] { return publish("probe", "up"); })) << "the broker did not start";

    SignProcess front({"--listen", "127.0.0.1:0", "--log", dir + "/front.jsonl"});
    SignProcess back({"--listen", "127.0.0.1:0", "--id", "02", "--log", dir + "/back.jsonl"});
    const auto portOf = [](SignProcess& sign) {
        const std::string line = sign.firstLine();
        return line.substr(line.rfind(':') + 1);
    };
    std::ofstream(dir + "/lumivo.INI")
        << "[MQTT]\nclient_id=lumivod-e2e\n\n"
        << "[Sign Front]\nPort=tcp://127.0.0.1:" << portOf(front) << "\nID=01\nGroups=shop\n\n"
        << "[Sign Back Door]\nPort=tcp://127.0.0.1:" << portOf(back) << "\nID=02\nGroups=shop\n";
    ::setenv("LUMIVO_HOME", dir.c_str(), 1);
    const std::vector<std::string> args{"--listen", "127.0.0.1:0", "--mqtt", "127.0.0.1:" + port};
    auto service = std::make_unique<SignProcess>(args, LUMIVOD_PATH);
    ASSERT_EQ(service->firstLine().rfind("listening on", 0), 0u);
    std::string log;
    const auto logged = [&](const std::string& part, std::size_t times) {
        return WaitUntil([&] {
            log += service->errorOutput();
            return Count(log, part) >= times;
        });
    };
    ASSERT_TRUE(logged("MQTT: connected to", 1)) << log;

    // A page for the group reaches each sign once; the states and the discovery are retained.
    ASSERT_TRUE(publish("lumivo/shop/page/A/set", "Hello <CR>group"));
    EXPECT_TRUE(WaitUntil([&] {
        return retained("lumivo/Back%20Door/state", 1).find("Hello <CR>group") != std::string::npos;
    })) << log;
    EXPECT_EQ(PagesWith(dir + "/front.jsonl", "Hello <CR>group"), 1u);
    EXPECT_EQ(PagesWith(dir + "/back.jsonl", "Hello <CR>group"), 1u);
    EXPECT_NE(retained("lumivo/Front/state", 1).find("\"ok\":true"), std::string::npos);
    const std::string discovery = retained("homeassistant/#", 8);
    EXPECT_EQ(
        Count(discovery, "\"availability_topic\":\"lumivo/lumivod/lumivod-e2e/availability\""), 8u)
        << discovery;
    EXPECT_NE(discovery.find("homeassistant/text/lumivo_lumivod_2de2e/back_20door_message/config"),
              std::string::npos)
        << discovery;
    EXPECT_NE(retained("lumivo/lumivod/+/availability", 1).find("online"), std::string::npos);

    // A brightness the sign cannot take is refused and never sent.
    ASSERT_TRUE(publish("lumivo/Front/brightness/set", "60"));
    EXPECT_TRUE(logged("MQTT refused lumivo/Front/brightness/set", 1)) << log;

    // The broker stops and starts again on the same port: lumivod connects again by itself and
    // takes the next page.
    EXPECT_EQ(broker->stop(SIGTERM, 3000), std::optional<int>(0));
    EXPECT_TRUE(logged("MQTT: no connection to", 1)) << log;
    broker = std::make_unique<SignProcess>(std::vector<std::string>{"-c", dir + "/mosquitto.conf"},
                                           kBroker);
    ASSERT_TRUE(logged("MQTT: connected to", 2)) << log;
    ASSERT_TRUE(publish("lumivo/Front/page/B/set", "After the restart"));
    EXPECT_TRUE(WaitUntil([&] {
        return PagesWith(dir + "/front.jsonl", "After the restart") == 1;
    })) << log;

    // lumivod away: a page published meanwhile waits in its session and is sent when it is back.
    EXPECT_EQ(service->stop(SIGTERM, 3000), std::optional<int>(0));
    EXPECT_NE(retained("lumivo/lumivod/+/availability", 1).find("offline"), std::string::npos);
    ASSERT_TRUE(publish("lumivo/Back%20Door/page/C/set", "While away"));
    service = std::make_unique<SignProcess>(args, LUMIVOD_PATH);
    log.clear();
    EXPECT_TRUE(WaitUntil([&] { return PagesWith(dir + "/back.jsonl", "While away") == 1; }))
        << log;
    EXPECT_EQ(PagesWith(dir + "/front.jsonl", "While away"), 0u);
    ::unsetenv("LUMIVO_HOME");
    std::filesystem::remove_all(dir);
}

// A field page filled from a topic: ten values within a second reach the sign as at most one
// send in the minimum interval after the first, and the sign ends with the last value. An alert
// over MQTT pre-empts the page, and alert/end puts it back.
TEST(MqttEndToEnd, AFieldFromATopicIsSentOnChangeAndAlertsComeAndGo) {
    if (::access(kBroker, X_OK) != 0) {
        GTEST_SKIP() << kBroker << " is missing (Debian package mosquitto): no broker to test with";
    }
    std::string port;
    const std::string dir = BrokerFolder("lumivo-mqttf", port);
    SignProcess broker({"-c", dir + "/mosquitto.conf"}, kBroker);
    const std::string client = " -h 127.0.0.1 -p " + port + " ";
    const auto publish = [&](const std::string& topic, const std::string& payload) {
        return Publish(port, topic, payload);
    };
    ASSERT_TRUE(WaitUntil([&] { return publish("probe", "up"); })) << "the broker did not start";

    SignProcess sign({"--listen", "127.0.0.1:0", "--log", dir + "/sign.jsonl"});
    const std::string line = sign.firstLine();
    std::ofstream(dir + "/lumivo.INI")
        << "[Service]\nmin_interval=2\n\n[Field temp]\nsource=mqtt\ntopic=home/temp\n\n"
        << "[Programme Front]\nFallback=B | Quiet\n\n"
        << "[Sign Front]\nPort=tcp://127.0.0.1:" << line.substr(line.rfind(':') + 1) << "\nID=01\n";
    ::setenv("LUMIVO_HOME", dir.c_str(), 1);
    SignProcess service({"--listen", "127.0.0.1:0", "--mqtt", "127.0.0.1:" + port}, LUMIVOD_PATH);
    ASSERT_EQ(service.firstLine().rfind("listening on", 0), 0u);
    std::string log;
    ASSERT_TRUE(WaitUntil([&] {
        log += service.errorOutput();
        return log.find("MQTT: connected to") != std::string::npos;
    })) << log;

    ASSERT_TRUE(publish("lumivo/Front/page/A/set", "Temp {temp}"));
    ASSERT_TRUE(publish("home/temp", "20"));
    ASSERT_TRUE(WaitUntil([&] { return PagesWith(dir + "/sign.jsonl", "Temp 20") == 1; })) << log;
    // Ten values in one go, the last 29; the first frame of the series is the send of "Temp 20".
    const auto started = lumivo::test::Clock::now();
    ASSERT_EQ(std::system(("printf '20\\n21\\n22\\n23\\n24\\n25\\n26\\n27\\n28\\n29\\n' | "
                           "mosquitto_pub" +
                           client + "-q 1 -t home/temp -l 2>/dev/null")
                              .c_str()),
              0);
    EXPECT_LT(lumivo::test::Clock::now() - started, std::chrono::seconds(1));
    EXPECT_TRUE(WaitUntil([&] { return PagesWith(dir + "/sign.jsonl", "Temp 29") == 1; }, 6000))
        << log;
    std::this_thread::sleep_for(std::chrono::milliseconds(2500)); // nothing more comes
    const std::vector<double> sends = PageTimesWith(dir + "/sign.jsonl", "Temp ");
    ASSERT_EQ(sends.size(), 2u) << "the first value and the last, one interval apart";
    EXPECT_GE(sends[1] - sends[0], 1.9);
    const std::vector<std::string> frames = ReadLines(dir + "/sign.jsonl");
    const auto lastPage = std::find_if(frames.rbegin(), frames.rend(), [](const std::string& l) {
        return l.find("\"kind\":\"page\"") != std::string::npos;
    });
    ASSERT_NE(lastPage, frames.rend());
    EXPECT_NE(lastPage->find("Temp 29"), std::string::npos) << *lastPage;

    // Alerts as plain text and as JSON show; ending every alert of the sign brings the fallback
    // back.
    ASSERT_EQ(PagesWith(dir + "/sign.jsonl", "Quiet"), 1u);
    ASSERT_TRUE(publish("lumivo/Front/alert/set", "Fire drill"));
    EXPECT_TRUE(WaitUntil([&] { return PagesWith(dir + "/sign.jsonl", "Fire drill") == 1; }))
        << log;
    ASSERT_TRUE(publish("lumivo/Front/alert/set", R"({"text":"Second","priority":1})"));
    EXPECT_TRUE(WaitUntil([&] { return PagesWith(dir + "/sign.jsonl", "Second") == 1; })) << log;
    ASSERT_TRUE(publish("lumivo/Front/alert/end", ""));
    EXPECT_TRUE(WaitUntil([&] { return PagesWith(dir + "/sign.jsonl", "Quiet") == 2; }, 6000))
        << log + service.errorOutput();
    ::unsetenv("LUMIVO_HOME");
    std::filesystem::remove_all(dir);
}

} // namespace
