#pragma once
// The signals that ask a program to end (SIGTERM, SIGINT, SIGHUP: a logout, a shutdown, Ctrl+C, a closed
// terminal), delivered as a Qt signal on the interface thread, where the program can save and end in order.

#include <QObject>

class QSocketNotifier;

class ExitSignals : public QObject {
    Q_OBJECT
public:
    // Installs the handlers; at most one object at a time.
    explicit ExitSignals(QObject* parent = nullptr);
    ~ExitSignals() override;
    ExitSignals(const ExitSignals&) = delete;
    ExitSignals& operator=(const ExitSignals&) = delete;

signals:
    void received(int signalNumber);

private:
    QSocketNotifier* notifier_ = nullptr;
};
