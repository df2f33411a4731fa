// Installer downloads over Qt Network, in a worker thread's own event loop.

#include "update/installer_download.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <cstdio>

#include "platform/file_io.h"

namespace {

constexpr qint64 kBlockBytes = 8192;
constexpr int kTimeoutMs = 60000;

class PrivateFile {
public:
    explicit PrivateFile(const std::string& path)
        : fd_(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600)) {
        // An earlier file of that name may have had wider rights.
        if (fd_ >= 0) ::fchmod(fd_, 0600);
    }
    ~PrivateFile() {
        if (fd_ >= 0) ::close(fd_);
    }
    bool ok() const { return fd_ >= 0; }
    bool Write(const QByteArray& block) {
        qint64 done = 0;
        while (done < block.size()) {
            const ssize_t n = ::write(fd_, block.constData() + done,
                                      static_cast<std::size_t>(block.size() - done));
            if (n <= 0) return false;
            done += n;
        }
        return true;
    }
    bool Finish() { return ::fsync(fd_) == 0 && ::close(std::exchange(fd_, -1)) == 0; }

private:
    int fd_;
};

}  // namespace

bool DownloadFile(const std::wstring& url, const std::wstring& target) {
    const std::string temporary = NarrowPath(target) + ".upd";
    QNetworkAccessManager manager;
    QNetworkRequest request{QUrl(QString::fromStdWString(url))};
    request.setTransferTimeout(kTimeoutMs);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    QNetworkReply* reply = manager.get(request);
    PrivateFile file(temporary);
    qint64 expected = -1, written = 0;
    bool failed = !file.ok();
    QEventLoop loop;
    const auto take = [&] {
        if (failed) return;
        if (expected < 0) {
            const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
            const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
            // Without a length nothing tells a whole installer from a cut one.
            if (status != 200 || !length.isValid()) {
                failed = true;
                return;
            }
            expected = length.toLongLong();
        }
        while (!failed && reply->bytesAvailable() > 0 && written < expected) {
            const QByteArray block = reply->read(std::min(kBlockBytes, expected - written));
            failed = !file.Write(block);
            written += block.size();
        }
    };
    QObject::connect(reply, &QNetworkReply::readyRead, &loop, take);
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (!reply->isFinished()) loop.exec();
    take();
    const bool complete = !failed && reply->error() == QNetworkReply::NoError && expected >= 0 &&
                          written == expected && file.Finish();
    delete reply;
    if (!complete) return false;
    return std::rename(temporary.c_str(), NarrowPath(target).c_str()) == 0;
}
