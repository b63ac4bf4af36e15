#pragma once

// The sign service over signs on scripted lines, for the fuzz targets that drive it: each line
// answers every frame as a sign would, and each sign's clock is its line's, which never waits,
// so nothing real is opened and no real time passes. Made once per run and never destroyed: the
// service's line workers outlive any one input.

#include "link/fake_port.h"
#include "service/api.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <cstdlib>
#include <fstream>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>

namespace lumivo::fuzz {

inline const QByteArray kToken = QByteArrayLiteral("fuzzfuzzfuzzfuzzfuzzfuzzfuzzfuzz");

inline void Check(bool ok) {
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

class ScriptedService {
public:
    // `signList` is the settings file's text; each of its signs is on one of `ports`, a scripted
    // line each, which answers a Set ID with the ID and every other frame "ACK".
    ScriptedService(const char* program, const std::string& signList,
                    std::initializer_list<const char*> ports) {
        static int argc = 1;
        static std::string name = program;
        static char* argv[] = {name.data(), nullptr};
        m_application = std::make_unique<QCoreApplication>(argc, argv);
        Check(m_dir.isValid());
        const std::string folder = m_dir.path().toStdString() + "/";
        std::ofstream(folder + "lumivo.INI") << signList;
        for (const char* port : ports) {
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
    }

    service::SignService& service() { return *m_service; }

    // Every byte written to any line so far.
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

} // namespace lumivo::fuzz
