// MQTT messages as the client hands them to the service's thread: any topics and payloads, several
// at once so that commands wait, replace each other and fill a sign's queue. Every command ends in
// bounded time and leaves no sign busy; when no message is a command for a listed sign or group,
// nothing is sent to any sign. The signs are on scripted lines that answer every frame as a sign
// and a clock that never waits; the broker connection is never opened.
//
// Input: topic, payload, topic, payload ... separated by NUL bytes, at most eight messages.
#include "scripted_service.h"
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

using fuzz::Check;
using fuzz::kToken;

constexpr int kBoundMs = 5000; // commands still running after this are a hang
constexpr std::size_t kMessages = 8;

// Two signs in a group and one alone, each on its own scripted line, and the MQTT side of the
// service over them.
class Harness {
public:
    Harness()
        : m_signs("mqtt_fuzz",
                  "[Sign Front]\nPort=tcp://127.0.0.1:1\nID=01\nGroups=shop\n\n[Sign Back Door]\n"
                  "Port=tcp://127.0.0.1:2\nID=02\nGroups=shop\n\n[Sign Lone]\n"
                  "Port=tcp://127.0.0.1:3\nID=03\n",
                  {"tcp://127.0.0.1:1", "tcp://127.0.0.1:2", "tcp://127.0.0.1:3"}) {
        service::MqttConnection connection;
        connection.host = QStringLiteral("127.0.0.1");
        connection.port = 1;
        connection.clientId = QStringLiteral("lumivod-fuzz");
        connection.willTopic = "lumivo/lumivod/lumivod-fuzz/availability";
        m_bridge = std::make_unique<service::MqttBridge>(m_signs.service(), kToken, connection,
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

    std::size_t writtenBytes() const { return m_signs.writtenBytes(); }

private:
    fuzz::ScriptedService m_signs;
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
