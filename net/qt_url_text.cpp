// The last fallback of the GET chain: Qt Network, through the system's proxy
// settings, then directly.

#include <QElapsedTimer>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <algorithm>

#include "net/system_http.h"
#include "platform/cancellation.h"
#include "platform/text.h"

namespace {

constexpr qint64 kBlockBytes = 4096;
constexpr int kTotalTimeoutMs = 30000;

QByteArray FetchOnce(const QString& url, bool useProxy, int connectTimeoutMs, int totalTimeoutMs) {
    QNetworkAccessManager manager;
    if (useProxy)
        QNetworkProxyFactory::setUseSystemConfiguration(true);
    else
        manager.setProxy(QNetworkProxy::NoProxy);
    QNetworkRequest request{QUrl(url)};
    if (connectTimeoutMs > 0) request.setTransferTimeout(connectTimeoutMs);
    QNetworkReply* reply = manager.get(request);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    // Qt's transfer timeout restarts with every byte; the whole request gets
    // the same time in all, and ends early once it is cancelled.
    QElapsedTimer elapsed;
    elapsed.start();
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &loop, [&] {
        if (WorkCancelled() || (totalTimeoutMs > 0 && elapsed.elapsed() >= totalTimeoutMs))
            loop.quit();
    });
    watch.start(100);
    // One block is all that is read: stop as soon as it has arrived.
    QObject::connect(reply, &QNetworkReply::readyRead, &loop, [&] {
        if (reply->bytesAvailable() >= kBlockBytes) loop.quit();
    });
    if (!reply->isFinished()) loop.exec();
    QByteArray block = reply->error() == QNetworkReply::NoError || reply->bytesAvailable() > 0
                           ? reply->read(kBlockBytes)
                           : QByteArray();
    reply->abort();
    delete reply;
    return block;
}

}  // namespace

std::wstring WinInetGetText(const std::wstring& url, bool utf8, int connectTimeoutMs,
                            std::chrono::milliseconds limit) {
    const QString address = QString::fromStdWString(url);
    QElapsedTimer elapsed;
    elapsed.start();
    for (const bool useProxy : {true, false}) {
        const qint64 left = limit.count() - elapsed.elapsed();
        if (WorkCancelled() || left <= 0) break;
        const QByteArray block =
            FetchOnce(address, useProxy, connectTimeoutMs,
                      static_cast<int>(std::min<qint64>(kTotalTimeoutMs, left)));
        const std::string bytes(block.constData(), static_cast<std::size_t>(block.size()));
        std::wstring text = utf8 ? Utf8ToWide(bytes) : AnsiToWide(bytes);
        if (!text.empty()) return text;
    }
    return {};
}
