#pragma once

#include <QObject>

class QSocketNotifier;

namespace lumivo::service {

// SIGHUP and SIGTERM (and SIGINT) as Qt signals on the thread that made this object: the signal
// handler only writes the signal's number into a pipe, and the event loop reads it there.
// One object per process.
class StopSignals final : public QObject {
    Q_OBJECT
public:
    explicit StopSignals(QObject* parent = nullptr);
    ~StopSignals() override;

    bool isReady() const { return m_notifier != nullptr; }

Q_SIGNALS:
    void reloadAsked(); // SIGHUP
    void stopAsked();   // SIGTERM, SIGINT

private:
    void readPipe();

    QSocketNotifier* m_notifier = nullptr;
};

} // namespace lumivo::service
