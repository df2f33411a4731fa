#include "programs/taviocr/single_instance.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QByteArray>
#include <QFile>
#include <QSocketNotifier>
#include <cerrno>
#include <cstring>
#include <optional>

#include "platform/file_io.h"
#include "platform/folders.h"

namespace {

constexpr int kAnswerMilliseconds = 1000;
// Showing the window may take a moment on a busy machine.
constexpr int kShownMilliseconds = 3000;
constexpr char kShownAnswer[] = "shown\n";
// A request ends with an empty line; no request is larger than this.
constexpr qsizetype kMaxRequestBytes = 1 << 20;

std::optional<sockaddr_un> SocketAddress(const QString& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray bytes = QFile::encodeName(path);
    if (bytes.size() >= static_cast<qsizetype>(sizeof address.sun_path)) return std::nullopt;
    std::memcpy(address.sun_path, bytes.constData(), static_cast<std::size_t>(bytes.size()));
    return address;
}

// Only a process of this user may speak for our instance or ask it to show
// itself: a socket planted by someone else is nobody's answer.
bool PeerIsThisUser(int fd) {
    ucred peer{};
    socklen_t size = sizeof peer;
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == ::geteuid();
}

// Waits for the descriptor; false when the time ran out first.
bool WaitFor(int fd, short events, int milliseconds) {
    pollfd watch{fd, events, 0};
    int n;
    do n = ::poll(&watch, 1, milliseconds);
    while (n < 0 && errno == EINTR);
    return n > 0;
}

bool SendAll(int fd, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        if (!WaitFor(fd, POLLOUT, kAnswerMilliseconds)) return false;
        const ssize_t n = ::send(fd, bytes.constData() + done,
                                 static_cast<std::size_t>(bytes.size() - done), MSG_NOSIGNAL);
        if (n < 0 && errno == EAGAIN) continue;
        if (n <= 0) return false;
        done += n;
    }
    return true;
}

int ConnectTo(const sockaddr_un& address) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// One later start's connection, read as the event loop reports bytes.
class Client : public QObject {
public:
    Client(int fd, QObject* parent, const std::function<void(const QStringList&)>& handle)
        : QObject(parent), fd_(fd), handle_(handle) {
        auto* notifier = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, this, &Client::Read);
    }
    ~Client() override { ::close(fd_); }

private:
    void Read() {
        char buffer[4096];
        const ssize_t n = ::recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
        if (n <= 0) return End();
        received_.append(buffer, n);
        const bool whole = received_.endsWith("\n\n");
        if (!whole && received_.size() < kMaxRequestBytes) return;
        if (whole) {
            QStringList request = QString::fromUtf8(received_).split(QLatin1Char('\n'));
            request.removeAll(QString());
            handle_(request);
            ::send(fd_, kShownAnswer, sizeof kShownAnswer - 1, MSG_NOSIGNAL | MSG_DONTWAIT);
        }
        End();
    }
    void End() {
        setParent(nullptr);
        deleteLater();
    }

    int fd_;
    std::function<void(const QStringList&)> handle_;
    QByteArray received_;
};

}  // namespace

SingleInstance::SingleInstance(QString name) : path_(SocketPath(name)) {}

SingleInstance::~SingleInstance() {
    if (listener_ >= 0) ::close(listener_);
}

QString SingleInstance::SocketPath(const QString& name) {
    const std::wstring folder = QueryRuntimeFolder() + L"/TaviOCR";
    CreateFolderTree(folder);
    return QString::fromStdWString(folder) + QLatin1Char('/') + name;
}

bool SingleInstance::SignalRunningInstance(const QStringList& request) const {
    const auto address = SocketAddress(path_);
    const int fd = address ? ConnectTo(*address) : -1;
    if (fd < 0) return false;
    if (!PeerIsThisUser(fd)) {
        ::close(fd);
        return false;
    }
    // One line each (a path with a line break in it cannot be handed over).
    QByteArray bytes;
    for (const QString& line : request)
        if (!line.contains(QLatin1Char('\n'))) bytes += line.toUtf8() + '\n';
    SendAll(fd, bytes + '\n');
    // The answer comes once the window is shown, so this start ends after
    // the request was carried out. An instance that does not answer in time
    // still has the request.
    WaitFor(fd, POLLIN, kShownMilliseconds);
    ::close(fd);
    return true;
}

bool SingleInstance::Listen(std::function<void(const QStringList& request)> handle) {
    const auto address = SocketAddress(path_);
    if (!address) return false;
    listener_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (listener_ < 0) return false;
    // The folder is this user's alone (0700, checked); the socket is made
    // so, too, once it exists.
    int bound = ::bind(listener_, reinterpret_cast<const sockaddr*>(&*address), sizeof *address);
    if (bound != 0 && errno == EADDRINUSE) {
        // A socket left by an instance that crashed: nobody answers on it.
        const int answer = ConnectTo(*address);
        if (answer >= 0) {
            ::close(answer);
        } else {
            ::unlink(address->sun_path);
            bound =
                ::bind(listener_, reinterpret_cast<const sockaddr*>(&*address), sizeof *address);
        }
    }
    if (bound == 0) ::chmod(address->sun_path, 0600);
    if (bound != 0 || ::listen(listener_, 16) != 0) {
        ::close(listener_);
        listener_ = -1;
        return false;
    }
    handle_ = std::move(handle);
    auto* notifier = new QSocketNotifier(listener_, QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &SingleInstance::Accept);
    return true;
}

void SingleInstance::Accept() {
    for (;;) {
        const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) return;
        if (!PeerIsThisUser(fd)) {
            ::close(fd);
            continue;
        }
        new Client(fd, this, handle_);
    }
}
