// Any HTTP request to the sign service, as the HTTP layer hands it over: the service answers each
// exactly once and in bounded time, with a status it documents and, for JSON, a JSON object; a
// request it refuses sends nothing to any sign. The signs are on scripted lines that answer every
// frame as a sign and a clock that never waits, so nothing real is opened and no real time passes.
//
// Input, split at the first four NUL bytes: the method, the target (path and query), the
// Authorization header (empty: the right token), the Content-Type header, then the body, which
// may hold NUL bytes itself.
#include "link/fake_port.h"
#include "service/api.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace lumivo;

const QByteArray kToken = QByteArrayLiteral("fuzzfuzzfuzzfuzzfuzzfuzzfuzzfuzz");
constexpr int kBoundMs = 5000; // an answer later than this is a hang

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

// Two signs in a group and one alone, each on its own scripted line. Made once and kept to the
// end of the run: the service's line workers outlive any one input.
class Harness {
public:
    Harness() {
        static int argc = 1;
        static char name[] = "service_fuzz";
        static char* argv[] = {name, nullptr};
        m_application = std::make_unique<QCoreApplication>(argc, argv);
        Check(m_dir.isValid());
        const std::string folder = m_dir.path().toStdString() + "/";
        std::ofstream(folder + "lumivo.INI")
            << "[Sign Front]\nPort=tcp://127.0.0.1:1\nID=01\nGroups=shop\n\n[Sign Back]\n"
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
    }

    // The one answer, or nothing when none came within the bound.
    std::optional<service::ApiAnswer> ask(const service::ApiRequest& request) {
        std::optional<service::ApiAnswer> answered;
        int answers = 0;
        m_service->handle(request, [&](service::ApiAnswer answer) {
            ++answers;
            answered = std::move(answer);
        });
        QElapsedTimer timer;
        timer.start();
        while (!answered && timer.elapsed() < kBoundMs) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        Check(answers <= 1);
        return answered;
    }

    // Waits for a job answered 202 to end, so every input leaves the lines idle.
    void waitForJob(const QByteArray& accepted) {
        const QString href =
            QJsonDocument::fromJson(accepted).object().value(QStringLiteral("href")).toString();
        Check(href.startsWith(QStringLiteral("/api/jobs/")));
        service::ApiRequest poll;
        poll.method = "GET";
        poll.path = href.toUtf8();
        poll.authorization = "Bearer " + kToken;
        QElapsedTimer timer;
        timer.start();
        for (;;) {
            const std::optional<service::ApiAnswer> job = ask(poll);
            Check(job && job->status == 200);
            if (job->body.contains("\"done\":true")) {
                return;
            }
            Check(timer.elapsed() < kBoundMs);
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
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
};

Harness& TheHarness() {
    static Harness* harness = new Harness(); // never destroyed: its workers live to the end
    return *harness;
}

service::ApiRequest RequestOf(std::string_view input) {
    std::vector<std::string_view> fields;
    while (fields.size() < 4) {
        const std::size_t end = input.find('\0');
        if (end == std::string_view::npos) {
            break;
        }
        fields.push_back(input.substr(0, end));
        input.remove_prefix(end + 1);
    }
    fields.push_back(input);
    fields.resize(5);
    const auto bytes = [](std::string_view text) {
        return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
    };
    service::ApiRequest request;
    request.method = bytes(fields[0]);
    const std::size_t question = fields[1].find('?');
    request.path = bytes(fields[1].substr(0, question));
    if (question != std::string_view::npos) {
        request.query = bytes(fields[1].substr(question + 1));
    }
    request.authorization = fields[2].empty() ? "Bearer " + kToken : bytes(fields[2]);
    request.contentType = bytes(fields[3]);
    request.body = bytes(fields[4]);
    return request;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Harness& harness = TheHarness();
    const service::ApiRequest request =
        RequestOf(std::string_view(reinterpret_cast<const char*>(data), size));
    const std::size_t before = harness.writtenBytes();
    const std::optional<service::ApiAnswer> answer = harness.ask(request);
    Check(answer.has_value());
    static const std::set<int> kStatuses{200, 202, 400, 401, 404, 405, 413, 500, 502, 503};
    Check(kStatuses.contains(answer->status));
    if (answer->contentType == "application/json") {
        Check(QJsonDocument::fromJson(answer->body).isObject());
    }
    if (answer->status == 202) {
        harness.waitForJob(answer->body);
    }
    if (answer->status >= 400 && answer->status != 502) {
        Check(harness.writtenBytes() == before);
    }
    return 0;
}
