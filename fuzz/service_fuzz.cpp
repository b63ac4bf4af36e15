// Any HTTP request to the sign service, as the HTTP layer hands it over: the service answers each
// exactly once and in bounded time, with a status it documents and, for JSON, a JSON object; a
// request it refuses sends nothing to any sign. The signs are on scripted lines that answer every
// frame as a sign and a clock that never waits, so nothing real is opened and no real time passes.
//
// Input, split at the first four NUL bytes: the method, the target (path and query), the
// Authorization header (empty: the right token), the Content-Type header, then the body, which
// may hold NUL bytes itself.
#include "scripted_service.h"
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

using fuzz::Check;
using fuzz::kToken;

constexpr int kBoundMs = 5000; // an answer later than this is a hang

// Two signs in a group and one alone, each on its own scripted line.
class Harness {
public:
    Harness()
        : m_signs("service_fuzz",
                  "[Sign Front]\nPort=tcp://127.0.0.1:1\nID=01\nGroups=shop\n\n[Sign Back]\n"
                  "Port=tcp://127.0.0.1:2\nID=02\nGroups=shop\n\n[Sign Lone]\n"
                  "Port=tcp://127.0.0.1:3\nID=03\n",
                  {"tcp://127.0.0.1:1", "tcp://127.0.0.1:2", "tcp://127.0.0.1:3"}) {}

    // The one answer, or nothing when none came within the bound.
    std::optional<service::ApiAnswer> ask(const service::ApiRequest& request) {
        std::optional<service::ApiAnswer> answered;
        int answers = 0;
        m_signs.service().handle(request, [&](service::ApiAnswer answer) {
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

    // Waits for a job answered 202 to end, so every input leaves the lines idle. A page kept
    // for its fields is answered 202 without a job: the service sends it on its own.
    void waitForJob(const QByteArray& accepted) {
        const QJsonObject object = QJsonDocument::fromJson(accepted).object();
        if (object.value(QStringLiteral("kept")).toBool()) {
            return;
        }
        const QString href = object.value(QStringLiteral("href")).toString();
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

    std::size_t writtenBytes() const { return m_signs.writtenBytes(); }

private:
    fuzz::ScriptedService m_signs;
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
    static const std::set<int> kStatuses{200, 201, 202, 400, 401, 404,
                                         405, 409, 413, 500, 502, 503};
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
