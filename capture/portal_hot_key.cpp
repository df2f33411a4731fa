#include "capture/portal_hot_key.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QUuid>
#include <QVariantMap>
#include <functional>

// One entry of the a(sa{sv}) the portal takes: an id and its properties.
struct PortalShortcutEntry {
    QString id;
    QVariantMap properties;
};
Q_DECLARE_METATYPE(PortalShortcutEntry)

QDBusArgument& operator<<(QDBusArgument& argument, const PortalShortcutEntry& entry) {
    argument.beginStructure();
    argument << entry.id << entry.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, PortalShortcutEntry& entry) {
    argument.beginStructure();
    argument >> entry.id >> entry.properties;
    argument.endStructure();
    return argument;
}

namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kShortcuts = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString kRequest = QStringLiteral("org.freedesktop.portal.Request");
const QString kCaptureId = QStringLiteral("capture");

QString Token() {
    return QStringLiteral("taviocr") + QUuid::createUuid().toString(QUuid::Id128).left(12);
}

// The path the portal gives a request or session made with this token.
QString HandlePath(const QString& kind, const QString& token) {
    QString sender = QDBusConnection::sessionBus().baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    return kPath + QLatin1Char('/') + kind + QLatin1Char('/') + sender + QLatin1Char('/') + token;
}

class PortalShortcut : public QObject, public GlobalHotKey {
    Q_OBJECT
public:
    bool Register(std::uint32_t word, std::function<void()> pressed) override {
        Unregister();
        if (word == 0) return true;
        pressed_ = std::move(pressed);
        trigger_ = QString::fromStdString(PortalTrigger(word));
        QDBusConnection bus = QDBusConnection::sessionBus();
        bus.connect(kService, kPath, kShortcuts, QStringLiteral("Activated"), this,
                    SLOT(Activated(QDBusObjectPath, QString)));
        const QString sessionToken = Token();
        Call(QStringLiteral("CreateSession"),
             {QVariantMap{{QStringLiteral("handle_token"), Token()},
                          {QStringLiteral("session_handle_token"), sessionToken}}},
             [this, sessionToken] {
                 session_ = HandlePath(QStringLiteral("session"), sessionToken);
                 Bind();
             });
        return true;
    }
    void Unregister() override {
        if (!session_.isEmpty())
            QDBusConnection::sessionBus().call(
                QDBusMessage::createMethodCall(kService, session_,
                                               QStringLiteral("org.freedesktop.portal.Session"),
                                               QStringLiteral("Close")),
                QDBus::NoBlock);
        session_.clear();
        pressed_ = nullptr;
    }
    bool Taken() const override { return false; }

public slots:
    void Activated(const QDBusObjectPath& session, const QString& id) {
        if (session.path() == session_ && id == kCaptureId && pressed_) pressed_();
    }
    void Response(uint code, const QVariantMap&) {
        auto next = std::move(next_);
        if (code == 0 && next) next();
    }

private:
    // A portal method that answers with a request; `then` runs on success.
    void Call(const QString& method, const QVariantList& arguments, std::function<void()> then) {
        const QString token =
            arguments.back().toMap().value(QStringLiteral("handle_token")).toString();
        QDBusConnection bus = QDBusConnection::sessionBus();
        bus.connect(kService, HandlePath(QStringLiteral("request"), token), kRequest,
                    QStringLiteral("Response"), this, SLOT(Response(uint, QVariantMap)));
        next_ = std::move(then);
        QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kShortcuts, method);
        call.setArguments(arguments);
        bus.call(call, QDBus::NoBlock);
    }
    void Bind() {
        const QVariantMap properties{
            {QStringLiteral("description"), QStringLiteral("Recognise part of the screen")},
            {QStringLiteral("preferred_trigger"), trigger_}};
        Call(QStringLiteral("BindShortcuts"),
             {QVariant::fromValue(QDBusObjectPath(session_)),
              QVariant::fromValue(QList<PortalShortcutEntry>{{kCaptureId, properties}}), QString(),
              QVariantMap{{QStringLiteral("handle_token"), Token()}}},
             [] {});
    }

    std::function<void()> pressed_;
    std::function<void()> next_;
    QString session_;
    QString trigger_;
};

}  // namespace

bool PortalGlobalShortcutsAvailable() {
    QDBusMessage get = QDBusMessage::createMethodCall(
        kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << kShortcuts << QStringLiteral("version");
    const QDBusMessage reply = QDBusConnection::sessionBus().call(get, QDBus::Block, 2000);
    return reply.type() == QDBusMessage::ReplyMessage;
}

std::unique_ptr<GlobalHotKey> PortalHotKey() {
    // Slots taking these only connect once Qt knows the types by name.
    qRegisterMetaType<QDBusObjectPath>();
    qDBusRegisterMetaType<PortalShortcutEntry>();
    qDBusRegisterMetaType<QList<PortalShortcutEntry>>();
    return std::make_unique<PortalShortcut>();
}

std::string PortalTrigger(std::uint32_t word) {
    std::string trigger;
    const std::uint32_t flags = word & 0xFFFF;
    if (flags & 2) trigger += "CTRL+";
    if (flags & 1) trigger += "ALT+";
    if (flags & 4) trigger += "SHIFT+";
    if (flags & 8) trigger += "LOGO+";
    const int vk = static_cast<int>(word >> 16);
    if (vk >= 0x70 && vk <= 0x87) return trigger + "F" + std::to_string(vk - 0x70 + 1);
    if ((vk >= 0x30 && vk <= 0x39) || (vk >= 0x41 && vk <= 0x5A))
        return trigger + static_cast<char>(vk >= 0x41 ? vk + 0x20 : vk);
    switch (vk) {
        case 0x20:
            return trigger + "space";
        case 0x2C:
            return trigger + "Print";
        case 0x2D:
            return trigger + "Insert";
        case 0x2E:
            return trigger + "Delete";
        case 0x24:
            return trigger + "Home";
        case 0x23:
            return trigger + "End";
        case 0x21:
            return trigger + "Page_Up";
        case 0x22:
            return trigger + "Page_Down";
        case 0x13:
            return trigger + "Pause";
        default:
            return trigger + "F4";
    }
}

#include "portal_hot_key.moc"
