// Update downloads over Qt Network, in a worker thread's own event loop.

#include "update/file_download.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <cstdio>

#include "platform/cancellation.h"
#include "platform/file_io.h"
#include "platform/private_folder.h"
#include "platform/text.h"

namespace {

constexpr qint64 kBlockBytes = 8192;
constexpr int kTimeoutMs = 60000;

class PrivateFile {
public:
    explicit PrivateFile(const std::string& path)
        : path_(path), fd_(CreateFreshFile(Utf8ToWide(path))) {}
    ~PrivateFile() {
        if (fd_ >= 0) ::close(fd_);
        if (!kept_) ::unlink(path_.c_str());
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
    // The file stays (to be renamed) instead of going with this object.
    void Keep() { kept_ = true; }

private:
    std::string path_;
    int fd_;
    bool kept_ = false;
};

}  // namespace

bool DownloadFile(const std::wstring& url, const std::wstring& target, DownloadLimits limits) {
    const qint64 maxBytes = limits.maxBytes;
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
            if (status != 200 || !length.isValid() || length.toLongLong() > maxBytes ||
                length.toLongLong() < 0) {
                failed = true;
                loop.quit();
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
    QElapsedTimer elapsed;
    elapsed.start();
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &loop, [&] {
        if (WorkCancelled() || elapsed.elapsed() >= limits.total.count()) {
            failed = true;
            loop.quit();
        }
    });
    watch.start(100);
    if (!reply->isFinished() && !failed) loop.exec();
    take();
    const bool complete = !failed && reply->isFinished() &&
                          reply->error() == QNetworkReply::NoError && expected >= 0 &&
                          written == expected && file.Finish();
    reply->abort();
    delete reply;
    if (!complete || std::rename(temporary.c_str(), NarrowPath(target).c_str()) != 0) return false;
    file.Keep();
    return true;
}
