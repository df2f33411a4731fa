#include "capture/portal_screenshot.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QEventLoop>
#include <QFile>
#include <QImageReader>
#include <QTimer>
#include <QUrl>
#include <QUuid>
#include <QVariantMap>

namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kScreenshot = QStringLiteral("org.freedesktop.portal.Screenshot");
const QString kRequest = QStringLiteral("org.freedesktop.portal.Request");

// Receives the request's Response signal.
class ResponseWaiter : public QObject {
    Q_OBJECT
public:
    uint code = 2;
    QVariantMap results;
    bool answered = false;
    QEventLoop loop;

public slots:
    void Response(uint response, const QVariantMap& values) {
        code = response;
        results = values;
        answered = true;
        loop.quit();
    }
};

// The path the portal gives the request: known before the call, so the
// answer cannot come before anyone listens for it.
QString RequestPath(const QDBusConnection& bus, const QString& token) {
    QString sender = bus.baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    return kPath + QStringLiteral("/request/") + sender + QLatin1Char('/') + token;
}

}  // namespace

bool PortalScreenshotAvailable() {
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface()) return false;
    const QDBusReply<bool> registered = bus.interface()->isServiceRegistered(kService);
    if (registered.isValid() && registered.value()) return true;
    const QDBusReply<QStringList> activatable =
        bus.interface()->call(QStringLiteral("ListActivatableNames"));
    return activatable.isValid() && activatable.value().contains(kService);
}

PortalShot TakePortalScreenshot(std::chrono::milliseconds limit) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return {{}, L"PortalUnavailable"};
    const QString token =
        QStringLiteral("taviocr") + QUuid::createUuid().toString(QUuid::Id128).left(12);
    ResponseWaiter waiter;
    bus.connect(kService, RequestPath(bus, token), kRequest, QStringLiteral("Response"), &waiter,
                SLOT(Response(uint, QVariantMap)));
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kScreenshot, QStringLiteral("Screenshot"));
    call << QString()
         << QVariantMap{{QStringLiteral("handle_token"), token},
                        {QStringLiteral("interactive"), false}};
    const QDBusMessage reply = bus.call(call, QDBus::Block, static_cast<int>(limit.count()));
    if (reply.type() != QDBusMessage::ReplyMessage) return {{}, L"PortalUnavailable"};
    if (!waiter.answered) {
        QTimer::singleShot(limit, &waiter.loop, &QEventLoop::quit);
        waiter.loop.exec();
    }
    if (!waiter.answered) return {{}, L"PortalNoAnswer"};
    if (waiter.code != 0) return {{}, L"PortalRefused"};
    const QUrl uri(waiter.results.value(QStringLiteral("uri")).toString());
    if (!uri.isLocalFile()) return {{}, L"PortalRefused"};
    const QString file = uri.toLocalFile();
    QImage image = QImageReader(file).read();  // within Qt's allocation limit
    QFile::remove(file);                       // the portal's copy of the screen is ours to remove
    if (image.isNull()) return {{}, L"PortalRefused"};
    return {image, {}};
}

bool PortalSnapshot::Prepare(std::wstring& failureKey) {
    PortalShot shot = TakePortalScreenshot(limit_);
    if (shot.image.isNull()) {
        failureKey = shot.failureKey;
        return false;
    }
    QRect area;
    for (const MonitorRecord& monitor : monitors_->Monitors())
        area = area.united(QRect(monitor.geometry.topLeft(),
                                 (QSizeF(monitor.geometry.size()) * monitor.scale).toSize()));
    // The portal's picture is the whole desktop; one of another size than
    // the monitors' (a desktop that scales it) is fitted to them.
    desktop_ =
        shot.image.size() == area.size() || area.isEmpty()
            ? shot.image
            : shot.image.scaled(area.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    desktop_.setDevicePixelRatio(1.0);
    origin_ = area.topLeft();
    return true;
}

QImage PortalSnapshot::GrabMonitor(const MonitorRecord& monitor) {
    const QRect pixels(monitor.geometry.topLeft() - origin_,
                       (QSizeF(monitor.geometry.size()) * monitor.scale).toSize());
    return desktop_.copy(pixels);
}

#include "portal_screenshot.moc"
