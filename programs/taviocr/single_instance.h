#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

class QLocalServer;

// One interactive instance per user: the first start listens on a per-user
// socket named after the main window class; a later start finds it, hands
// it its request (show the window, start a capture, open pictures) and ends.
class SingleInstance : public QObject {
public:
    explicit SingleInstance(QString name);
    ~SingleInstance() override;

    // Hands a running instance the request: lines of text, the first the
    // command ("show", "capture", "open"), then arguments (picture paths).
    // False when no instance answers.
    bool SignalRunningInstance(const QStringList& request = {QStringLiteral("show")}) const;
    // Takes the name for this process; `handle` gets every later start's request.
    bool Listen(std::function<void(const QStringList& request)> handle);

    static QString SocketPath(const QString& name);

private:
    QString path_;
    QLocalServer* server_ = nullptr;
};
