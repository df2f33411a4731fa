// portal_standin MODE [PICTURE]: the screenshot and global-shortcut parts of
// the XDG desktop portal on the session bus, as tests need them. For
// screenshots MODE "good" answers every request with a fresh copy of PICTURE
// (the portal's file is the caller's to delete), "refuse" answers that the
// user said no, "silent" never answers (as some desktops do when permission
// is denied). Shortcuts are always bound; a test presses the last one bound
// with PressForTest. Prints "ready" once it owns the portal's name.

#include <QCoreApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>
#include <QVariantMap>
#include <cstdio>

// One shortcut as BindShortcuts takes them, a(sa{sv}).
struct Shortcut {
    QString id;
    QVariantMap properties;
};
Q_DECLARE_METATYPE(Shortcut)

QDBusArgument& operator<<(QDBusArgument& argument, const Shortcut& shortcut) {
    argument.beginStructure();
    argument << shortcut.id << shortcut.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, Shortcut& shortcut) {
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.properties;
    argument.endStructure();
    return argument;
}

namespace {

QString SenderPath(const QString& kind, const QDBusMessage& message, const QString& token) {
    QString sender = message.service().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    return QStringLiteral("/org/freedesktop/portal/desktop/") + kind + QLatin1Char('/') + sender +
           QLatin1Char('/') + token;
}

void Respond(const QString& request, uint code, const QVariantMap& results) {
    QDBusMessage signal = QDBusMessage::createSignal(
        request, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"));
    signal << code << results;
    QDBusConnection::sessionBus().send(signal);
}

}  // namespace

class ShortcutsPortal : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.GlobalShortcuts")
    Q_PROPERTY(uint version READ version)

public:
    explicit ShortcutsPortal(QObject* parent) : QDBusAbstractAdaptor(parent) {}
    uint version() const { return 1; }

public slots:
    QDBusObjectPath CreateSession(const QVariantMap& options, const QDBusMessage& message) {
        const QString request =
            SenderPath(QStringLiteral("request"), message,
                       options.value(QStringLiteral("handle_token")).toString());
        session_ = SenderPath(QStringLiteral("session"), message,
                              options.value(QStringLiteral("session_handle_token")).toString());
        Respond(request, 0, {{QStringLiteral("session_handle"), session_}});
        return QDBusObjectPath(request);
    }
    QDBusObjectPath BindShortcuts(const QDBusObjectPath&, const QList<Shortcut>&, const QString&,
                                  const QVariantMap& options, const QDBusMessage& message) {
        const QString request =
            SenderPath(QStringLiteral("request"), message,
                       options.value(QStringLiteral("handle_token")).toString());
        Respond(request, 0, {});
        return QDBusObjectPath(request);
    }
    void PressForTest() {
        QDBusMessage signal = QDBusMessage::createSignal(
            QStringLiteral("/org/freedesktop/portal/desktop"),
            QStringLiteral("org.freedesktop.portal.GlobalShortcuts"), QStringLiteral("Activated"));
        signal << QDBusObjectPath(session_) << QStringLiteral("capture") << qulonglong(0)
               << QVariantMap();
        QDBusConnection::sessionBus().send(signal);
    }

private:
    QString session_ = QStringLiteral("/");
};

class ScreenshotPortal : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Screenshot")

public:
    ScreenshotPortal(QObject* parent, QString mode, QString picture)
        : QDBusAbstractAdaptor(parent), mode_(std::move(mode)), picture_(std::move(picture)) {}

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
        Respond(path, response, results);
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
    qDBusRegisterMetaType<Shortcut>();
    qDBusRegisterMetaType<QList<Shortcut>>();
    QObject portal;
    new ScreenshotPortal(&portal, QString::fromLocal8Bit(argv[1]),
                         argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString());
    new ShortcutsPortal(&portal);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(QStringLiteral("/org/freedesktop/portal/desktop"), &portal,
                            QDBusConnection::ExportAdaptors) ||
        !bus.registerService(QStringLiteral("org.freedesktop.portal.Desktop")))
        return 2;
    std::printf("ready\n");
    std::fflush(stdout);
    return application.exec();
}

#include "portal_standin.moc"
