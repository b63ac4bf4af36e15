#include "link/command_thread.h"

#include "link/frame_log.h"

#include <QMetaObject>

namespace lumivo::link {

CommandThread::CommandThread(QObject* parent) : QObject(parent) {
    qRegisterMetaType<lumivo::link::Outcome>("lumivo::link::Outcome");
}

CommandThread::~CommandThread() {
    // The queued end report dies with this object, so the thread is reaped here.
    wait();
    delete m_thread;
}

bool CommandThread::start(Command command, std::string logName) {
    if (m_thread != nullptr) {
        return false;
    }
    m_thread = QThread::create([this, command = std::move(command), logName = std::move(logName)] {
        LoggedCommand logged(logName);
        const Progress progress = [this](int value, int maximum) {
            QMetaObject::invokeMethod(
                this, [this, value, maximum] { Q_EMIT progressed(value, maximum); },
                Qt::QueuedConnection);
        };
        const Outcome outcome = command(progress);
        logged.ended(outcome);
        QMetaObject::invokeMethod(
            this,
            [this, outcome] {
                if (m_thread != nullptr) {
                    m_thread->wait();
                    delete m_thread;
                    m_thread = nullptr;
                }
                Q_EMIT finished(outcome);
            },
            Qt::QueuedConnection);
    });
    m_thread->start();
    return true;
}

void CommandThread::wait() {
    if (m_thread != nullptr) {
        m_thread->wait();
    }
}

} // namespace lumivo::link
