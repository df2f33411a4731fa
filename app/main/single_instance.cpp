#include "app/main/single_instance.h"

#include <QLocalServer>
#include <QLocalSocket>

#include "platform/file_io.h"
#include "platform/folders.h"

namespace {
constexpr int kAnswerMilliseconds = 1000;
const QByteArray kShowRequest = QByteArrayLiteral("show\n");
}  // namespace

SingleInstance::SingleInstance(QString name) : path_(SocketPath(name)) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::SocketPath(const QString& name) {
    const std::wstring folder = QueryRuntimeFolder() + L"/TaviOCR";
    CreateFolderTree(folder);
    return QString::fromStdWString(folder) + QLatin1Char('/') + name;
}

bool SingleInstance::SignalRunningInstance() const {
    QLocalSocket socket;
    socket.connectToServer(path_);
    if (!socket.waitForConnected(kAnswerMilliseconds)) return false;
    socket.write(kShowRequest);
    socket.waitForBytesWritten(kAnswerMilliseconds);
    socket.disconnectFromServer();
    return true;
}

bool SingleInstance::Listen(std::function<void()> showRequest) {
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(path_)) {
        // A socket left by an instance that crashed: nobody answered on it.
        QLocalServer::removeServer(path_);
        if (!server_->listen(path_)) return false;
    }
    connect(server_, &QLocalServer::newConnection, this, [this, showRequest] {
        while (QLocalSocket* client = server_->nextPendingConnection()) {
            connect(client, &QLocalSocket::readyRead, client, [client, showRequest] {
                if (client->readAll().contains('\n')) showRequest();
                client->disconnectFromServer();
            });
            connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
        }
    });
    return true;
}
