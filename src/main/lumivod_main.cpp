#include "core/program_folder.h"
#include "core/version.h"
#include "service/api.h"
#include "service/host_port.h"
#include "service/http_adapter.h"
#include "service/mqtt_bridge.h"
#include "service/stop_signals.h"
#include "service/token.h"
#include "signs/service_runtime.h"
#include "signs/sign_state.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <mutex>
#include <optional>
#include <string>

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

const char* const kUsage =
    "usage: lumivod [--listen HOST:PORT] [--mqtt HOST:PORT] [--show-token]\n"
    "\n"
    "The sign service: owns the lines of the signs in the sign list and takes their commands\n"
    "over HTTP (JSON), each request with the header \"Authorization: Bearer TOKEN\".\n"
    "The first line on standard output says where it listens; one line per sign of every job\n"
    "goes to standard error. SIGHUP reads the sign list again; SIGTERM ends it.\n"
    "\n"
    "  --listen HOST:PORT  the address to listen on (default 127.0.0.1:8686); port 0 picks a\n"
    "                      free port\n"
    "  --mqtt HOST:PORT    the MQTT broker (instead of [MQTT] host and port of the settings)\n"
    "  --show-token        print the token (made on first start) and exit\n"
    "  -h, --help          show this help\n"
    "  --version           show the version\n";

// "1 sign", "2 signs": the count of the sign list as the log says it.
QString SignCount(std::size_t count) {
    return count == 1 ? QStringLiteral("1 sign") : QStringLiteral("%1 signs").arg(count);
}

struct Listen {
    QHostAddress address{QHostAddress::LocalHost};
    quint16 port = 8686;
};

// "HOST:PORT", "[v6]:PORT"; "localhost" is the loopback address.
std::optional<Listen> ParseListen(const QString& text) {
    const auto split = lumivo::service::SplitHostPort(text);
    if (!split) {
        return std::nullopt;
    }
    Listen listen;
    if (split->first.compare(QStringLiteral("localhost"), Qt::CaseInsensitive) == 0) {
        listen.address = QHostAddress(QHostAddress::LocalHost);
    } else if (!listen.address.setAddress(split->first)) {
        return std::nullopt;
    }
    listen.port = static_cast<quint16>(split->second);
    return listen;
}

int Usage(const std::string& problem) {
    std::cerr << "lumivod: " << problem << "\n" << kUsage;
    return kExitUsage;
}

} // namespace

int main(int argc, char** argv) {
    Listen listen;
    bool showToken = false;
    std::optional<std::pair<QString, int>> mqttBroker;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-h" || arg == "--help") {
            std::cout << kUsage;
            return kExitOk;
        }
        if (arg == "--version") {
            std::cout << "lumivod " << lumivo::kVersion << "\n";
            return kExitOk;
        }
        if (arg == "--show-token") {
            showToken = true;
        } else if (arg == "--listen" && i + 1 < argc) {
            const std::optional<Listen> given = ParseListen(QString::fromLocal8Bit(argv[++i]));
            if (!given) {
                return Usage("--listen takes HOST:PORT, such as 127.0.0.1:8686");
            }
            listen = *given;
        } else if (arg == "--mqtt" && i + 1 < argc) {
            mqttBroker = lumivo::service::ParseBrokerAddress(QString::fromLocal8Bit(argv[++i]));
            if (!mqttBroker) {
                return Usage("--mqtt takes HOST:PORT, such as 127.0.0.1:1883");
            }
        } else {
            return Usage("unknown option " + arg);
        }
    }

    QCoreApplication application(argc, argv);
    const std::filesystem::path tokenFile = lumivo::service::TokenFilePath();
    const lumivo::Result<QByteArray> token = lumivo::service::LoadOrCreateToken(tokenFile);
    if (!token) {
        std::cerr << "lumivod: " << token.error().message << "\n";
        return kExitFailure;
    }
    if (showToken) {
        std::cout << token->constData() << "\n";
        return std::cout.flush() ? kExitOk : kExitFailure;
    }

    std::mutex logMutex;
    lumivo::service::ServiceSetup setup;
    setup.settingsFile = QString::fromStdString(lumivo::SettingsFilePath().string());
    setup.stateFile = lumivo::signs::SignStatePath(lumivo::SettingsFilePath());
    setup.graphicsFolder = lumivo::GraphicsFolder();
    setup.token = *token;
    setup.log = [&logMutex](const QString& line) {
        const std::lock_guard lock(logMutex);
        std::cerr << line.toStdString() << std::endl;
    };

    lumivo::service::StopSignals signals;
    if (!signals.isReady()) {
        std::cerr << "lumivod: cannot watch for signals\n";
        return kExitFailure;
    }
    lumivo::service::SignService service(setup);
    if (const auto problem = service.stateProblem()) {
        setup.log(QStringLiteral("lumivod: ") + QString::fromStdString(*problem));
    }
    const auto tellProblems = [&](const QStringList& problems) {
        for (const QString& problem : problems) {
            setup.log(QStringLiteral("lumivod: ") + problem);
        }
    };
    tellProblems(service.reloadSigns());
    QObject::connect(&signals, &lumivo::service::StopSignals::reloadAsked, &service, [&] {
        tellProblems(service.reloadSigns());
        setup.log(QStringLiteral("lumivod: sign list read again: %1")
                      .arg(SignCount(service.signCount())));
    });
    std::unique_ptr<lumivo::service::MqttBridge> mqtt;
    QObject::connect(&signals, &lumivo::service::StopSignals::reloadAsked, &service, [&] {
        if (mqtt) {
            mqtt->signsReloaded();
        }
    });
    QObject::connect(&signals, &lumivo::service::StopSignals::stopAsked, &application,
                     &QCoreApplication::quit);

    lumivo::service::HttpAdapter http(service, setup.log);
    const quint16 port = http.listen(listen.address, listen.port);
    if (port == 0) {
        std::cerr << "lumivod: cannot listen on " << listen.address.toString().toStdString() << ":"
                  << listen.port << "\n";
        return kExitFailure;
    }
    const QString where = listen.address.protocol() == QAbstractSocket::IPv6Protocol
                              ? QStringLiteral("[%1]").arg(listen.address.toString())
                              : listen.address.toString();
    // The lines this process owns, for the editor and lumivo-cli to send through it; written
    // before the line that says where it listens, so whoever read that line finds it.
    const std::filesystem::path runtimeFile =
        lumivo::signs::ServiceRuntimePath(lumivo::SettingsFilePath());
    const qint64 pid = QCoreApplication::applicationPid();
    // Listening on every address, it is reached on this machine's loopback.
    const QString reach = listen.address == QHostAddress(QHostAddress::AnyIPv6)
                              ? QStringLiteral("[::1]")
                          : listen.address.isEqual(QHostAddress(QHostAddress::AnyIPv4),
                                                   QHostAddress::TolerantConversion)
                              ? QStringLiteral("127.0.0.1")
                              : where;
    const auto announce = [&] {
        const lumivo::Status written = lumivo::signs::WriteServiceRuntime(
            runtimeFile, {pid, QStringLiteral("%1:%2").arg(reach).arg(port), service.signList()});
        if (!written) {
            setup.log(QStringLiteral("lumivod: ") +
                      QString::fromStdString(written.error().message));
        }
    };
    announce();
    QObject::connect(&signals, &lumivo::service::StopSignals::reloadAsked, &service, announce);
    std::cout << "listening on " << where.toStdString() << ":" << port << std::endl;
    setup.log(QStringLiteral("lumivod: %1; token in %2")
                  .arg(SignCount(service.signCount()), QString::fromStdString(tokenFile.string())));

    mqtt = lumivo::service::StartMqtt(service, setup, mqttBroker);

    const int status = application.exec();
    if (mqtt) {
        mqtt->stop(200);
    }
    lumivo::signs::RemoveServiceRuntime(runtimeFile, pid);
    // Every transfer stops after the frame it is in; what was cut is recorded as cancelled. A
    // line still waiting for a slow sign's reply is not waited for: the stop takes under a second.
    if (!service.stopTransfers(700)) {
        setup.log(QStringLiteral("lumivod: stopped"));
        std::cout.flush();
        std::_Exit(status);
    }
    service.shutDown();
    setup.log(QStringLiteral("lumivod: stopped"));
    return status;
}
