// The last fallback of the GET chain: Qt Network, through the system's proxy
// settings, then directly.

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

#include "net/system_http.h"
#include "platform/text.h"

namespace {

constexpr qint64 kBlockBytes = 4096;

QByteArray FetchOnce(const QString& url, bool useProxy, int connectTimeoutMs) {
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

std::wstring WinInetGetText(const std::wstring& url, bool utf8, int connectTimeoutMs) {
    const QString address = QString::fromStdWString(url);
    for (const bool useProxy : {true, false}) {
        const QByteArray block = FetchOnce(address, useProxy, connectTimeoutMs);
        const std::string bytes(block.constData(), static_cast<std::size_t>(block.size()));
        std::wstring text = utf8 ? Utf8ToWide(bytes) : AnsiToWide(bytes);
        if (!text.empty()) return text;
    }
    return {};
}
