// portal_standin MODE [PICTURE]: the screenshot part of the XDG desktop
// portal on the session bus, as tests need it. MODE "good" answers every
// request with a fresh copy of PICTURE (the portal's file is the caller's to
// delete), "refuse" answers that the user said no, "silent" never answers
// (as some desktops do when permission is denied). Prints "ready" once it
// owns the portal's name.

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>
#include <QVariantMap>
#include <cstdio>

class ScreenshotPortal : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Screenshot")

public:
    ScreenshotPortal(QString mode, QString picture)
        : mode_(std::move(mode)), picture_(std::move(picture)) {}

public slots:
    QDBusObjectPath Screenshot(const QString&, const QVariantMap& options,
                               const QDBusMessage& message) {
        QString sender = message.service().mid(1);
        sender.replace(QLatin1Char('.'), QLatin1Char('_'));
        const QString path = QStringLiteral("/org/freedesktop/portal/desktop/request/") + sender +
                             QLatin1Char('/') +
                             options.value(QStringLiteral("handle_token")).toString();
        if (mode_ == QLatin1String("silent")) return QDBusObjectPath(path);
        uint response = 2;
        QVariantMap results;
        if (mode_ == QLatin1String("good")) {
            const QString copy =
                folder_.filePath(QStringLiteral("Screenshot-%1.png").arg(++shots_));
            QFile::copy(picture_, copy);
            response = 0;
            results[QStringLiteral("uri")] = QUrl::fromLocalFile(copy).toString();
        }
        QDBusMessage signal = QDBusMessage::createSignal(
            path, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"));
        signal << response << results;
        QDBusConnection::sessionBus().send(signal);
        return QDBusObjectPath(path);
    }

private:
    QString mode_;
    QString picture_;
    QTemporaryDir folder_;
    int shots_ = 0;
};

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    if (argc < 2) return 2;
    ScreenshotPortal portal(QString::fromLocal8Bit(argv[1]),
                            argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString());
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(QStringLiteral("/org/freedesktop/portal/desktop"), &portal,
                            QDBusConnection::ExportAllSlots) ||
        !bus.registerService(QStringLiteral("org.freedesktop.portal.Desktop")))
        return 2;
    std::printf("ready\n");
    std::fflush(stdout);
    return application.exec();
}

#include "portal_standin.moc"
