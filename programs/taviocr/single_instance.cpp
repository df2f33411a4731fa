#include "programs/taviocr/single_instance.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QLocalServer>
#include <QLocalSocket>

#include "platform/file_io.h"
#include "platform/folders.h"

namespace {

constexpr int kAnswerMilliseconds = 1000;
// Showing the window may take a moment on a busy machine.
constexpr int kShownMilliseconds = 3000;
const QByteArray kShownAnswer = QByteArrayLiteral("shown\n");
// A request ends with an empty line; no request is larger than this.
constexpr qint64 kMaxRequestBytes = 1 << 20;

// Only a process of this user may speak for our instance or ask it to show
// itself: a socket planted by someone else is nobody's answer.
bool PeerIsThisUser(const QLocalSocket& socket) {
    ucred peer{};
    socklen_t size = sizeof peer;
    const auto fd = static_cast<int>(socket.socketDescriptor());
    return fd >= 0 && ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 &&
           peer.uid == ::geteuid();
}

}  // namespace

SingleInstance::SingleInstance(QString name) : path_(SocketPath(name)) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::SocketPath(const QString& name) {
    const std::wstring folder = QueryRuntimeFolder() + L"/TaviOCR";
    CreateFolderTree(folder);
    return QString::fromStdWString(folder) + QLatin1Char('/') + name;
}

bool SingleInstance::SignalRunningInstance(const QStringList& request) const {
    QLocalSocket socket;
    socket.connectToServer(path_);
    if (!socket.waitForConnected(kAnswerMilliseconds)) return false;
    if (!PeerIsThisUser(socket)) return false;
    // One line each (a path with a line break in it cannot be handed over).
    QByteArray bytes;
    for (const QString& line : request)
        if (!line.contains(QLatin1Char('\n'))) bytes += line.toUtf8() + '\n';
    socket.write(bytes + '\n');
    socket.waitForBytesWritten(kAnswerMilliseconds);
    // The answer comes once the window is shown, so this start ends after
    // the request was carried out. An instance that does not answer in time
    // still has the request.
    socket.waitForReadyRead(kShownMilliseconds);
    socket.disconnectFromServer();
    return true;
}

bool SingleInstance::Listen(std::function<void(const QStringList& request)> handle) {
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(path_)) {
        // A socket left by an instance that crashed: nobody answered on it.
        QLocalServer::removeServer(path_);
        if (!server_->listen(path_)) return false;
    }
    connect(server_, &QLocalServer::newConnection, this, [this, handle] {
        while (QLocalSocket* client = server_->nextPendingConnection()) {
            if (!PeerIsThisUser(*client)) {
                client->abort();
                client->deleteLater();
                continue;
            }
            auto* received = new QByteArray;
            connect(client, &QObject::destroyed, client, [received] { delete received; });
            connect(client, &QLocalSocket::readyRead, client, [client, handle, received] {
                *received += client->readAll();
                const bool whole = received->endsWith("\n\n");
                if (!whole && received->size() < kMaxRequestBytes) return;
                if (whole) {
                    QStringList request = QString::fromUtf8(*received).split(QLatin1Char('\n'));
                    request.removeAll(QString());
                    handle(request);
                    client->write(kShownAnswer);
                }
                client->disconnectFromServer();  // after the answer is written
            });
            connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
        }
    });
    return true;
}
