// MQTT messages as the client hands them to the service's thread: any topics and payloads, several
// at once so that commands wait, replace each other and fill a sign's queue. Every command ends in
// bounded time and leaves no sign busy; when no message is a command for a listed sign or group,
// nothing is sent to any sign. The signs are on scripted lines that answer every frame as a sign
// and a clock that never waits; the broker connection is never opened.
//
// Input: topic, payload, topic, payload ... separated by NUL bytes, at most eight messages.
#include "link/fake_port.h"
#include "service/api.h"
#include "service/mqtt_bridge.h"
#include "service/mqtt_topics.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace lumivo;

const QByteArray kToken = QByteArrayLiteral("fuzzfuzzfuzzfuzzfuzzfuzzfuzzfuzz");
constexpr int kBoundMs = 5000; // commands still running after this are a hang
constexpr std::size_t kMessages = 8;

void Check(bool ok) {
    if (!ok) {
        std::abort();
    }
}

// Forwards to a line's clock, which the line owns.
class BorrowedClock final : public link::Clock {
public:
    explicit BorrowedClock(link::Clock& clock) : m_clock(clock) {}
    void delay(int ms) override { m_clock.delay(ms); }

private:
    link::Clock& m_clock;
};

// Two signs in a group and one alone, each on its own scripted line, and the MQTT side of the
// service over them. Made once and kept to the end of the run: the line workers outlive any input.
class Harness {
public:
    Harness() {
        static int argc = 1;
        static char name[] = "mqtt_fuzz";
        static char* argv[] = {name, nullptr};
        m_application = std::make_unique<QCoreApplication>(argc, argv);
        Check(m_dir.isValid());
        const std::string folder = m_dir.path().toStdString() + "/";
        std::ofstream(folder + "lumivo.INI")
            << "[Sign Front]\nPort=tcp://127.0.0.1:1\nID=01\nGroups=shop\n\n[Sign Back Door]\n"
               "Port=tcp://127.0.0.1:2\nID=02\nGroups=shop\n\n[Sign Lone]\n"
               "Port=tcp://127.0.0.1:3\nID=03\n";
        for (const char* port : {"tcp://127.0.0.1:1", "tcp://127.0.0.1:2", "tcp://127.0.0.1:3"}) {
            auto line = std::make_unique<link::FakeLine>();
            line->setResponder([](const std::string& frame) -> std::string {
                return frame.rfind("<ID><", 0) == 0 ? frame.substr(5, 2) : "ACK";
            });
            m_lines[QString::fromLatin1(port)] = std::move(line);
        }
        service::ServiceSetup setup;
        setup.settingsFile = QString::fromStdString(folder + "lumivo.INI");
        setup.stateFile = folder + "signs-state.json";
        setup.graphicsFolder = LUMIVO_FUZZ_GRAPHICS;
        setup.token = kToken;
        setup.openerFor = [this](const signs::Sign& sign) {
            return m_lines.at(sign.port)->opener();
        };
        setup.clockFor = [this](const signs::Sign& sign) -> std::unique_ptr<link::Clock> {
            return std::make_unique<BorrowedClock>(m_lines.at(sign.port)->clock());
        };
        m_service = std::make_unique<service::SignService>(std::move(setup));
        m_service->reloadSigns();
        service::MqttConnection connection;
        connection.host = QStringLiteral("127.0.0.1");
        connection.port = 1;
        connection.clientId = QStringLiteral("lumivod-fuzz");
        connection.willTopic = "lumivo/lumivod/lumivod-fuzz/availability";
        m_bridge = std::make_unique<service::MqttBridge>(*m_service, kToken, connection,
                                                         [](const QString&) {});
    }

    service::MqttBridge& bridge() { return *m_bridge; }

    // Lets the commands run; false when some still runs or waits after the bound.
    bool settle() {
        QElapsedTimer timer;
        timer.start();
        while (!m_bridge->idle() && timer.elapsed() < kBoundMs) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        return m_bridge->idle();
    }

    std::size_t writtenBytes() const {
        std::size_t total = 0;
        for (const auto& [port, line] : m_lines) {
            total += line->written().size();
        }
        return total;
    }

private:
    std::unique_ptr<QCoreApplication> m_application;
    QTemporaryDir m_dir;
    std::map<QString, std::unique_ptr<link::FakeLine>> m_lines;
    std::unique_ptr<service::SignService> m_service;
    std::unique_ptr<service::MqttBridge> m_bridge;
};

Harness& TheHarness() {
    static Harness* harness = new Harness(); // never destroyed: its workers live to the end
    return *harness;
}

bool Listed(const QString& target) {
    const QString name = target.toLower();
    return name == QStringLiteral("front") || name == QStringLiteral("back door") ||
           name == QStringLiteral("lone") || name == QStringLiteral("shop");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Harness& harness = TheHarness();
    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::vector<QByteArray> fields;
    while (fields.size() < 2 * kMessages - 1) {
        const std::size_t end = input.find('\0');
        if (end == std::string_view::npos) {
            break;
        }
        fields.emplace_back(input.data(), static_cast<qsizetype>(end));
        input.remove_prefix(end + 1);
    }
    fields.emplace_back(input.data(), static_cast<qsizetype>(input.size()));
    fields.resize((fields.size() + 1) / 2 * 2);

    const std::size_t before = harness.writtenBytes();
    bool anyCommand = false;
    for (std::size_t i = 0; i < fields.size(); i += 2) {
        const auto read = service::ReadCommandMessage(fields[i], fields[i + 1]);
        if (read) {
            const auto* command = std::get_if<service::TopicCommand>(&*read);
            anyCommand = anyCommand || (command != nullptr && Listed(command->target));
        }
        harness.bridge().messageArrived(fields[i], fields[i + 1]);
    }
    Check(harness.settle());
    if (!anyCommand) {
        Check(harness.writtenBytes() == before);
    }
    return 0;
}
