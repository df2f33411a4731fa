#pragma once

#include <QObject>
#include <QString>
#include <functional>

class QLocalServer;

// One interactive instance per user: the first start listens on a per-user
// socket named after the main window class; a later start finds it, asks it
// to show its window and ends.
class SingleInstance : public QObject {
public:
    explicit SingleInstance(QString name);
    ~SingleInstance() override;

    // Asks a running instance to show itself; false when none answers.
    bool SignalRunningInstance() const;
    // Takes the name for this process; showRequest runs on every later start.
    bool Listen(std::function<void()> showRequest);

    static QString SocketPath(const QString& name);

private:
    QString path_;
    QLocalServer* server_ = nullptr;
};
