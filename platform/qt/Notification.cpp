// Desktop notifications through org.freedesktop.Notifications. Every call is
// asynchronous: a missing or slow notification service never holds up the
// window. The bus is reached only once a notification is wanted, so a
// program that never alarms never connects.

#include "platform/qt/Notification.h"

#include "platform/qt/Internal.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QStringList>
#include <QVariantMap>

#include <optional>
#include <utility>

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");

// A session bus that is there already. Without one, Qt's bus library would
// try to start one for the X display (dbus-launch).
bool SessionBusAvailable()
{
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo::exists(QDir(runtime).filePath(QStringLiteral("bus")));
}

QString Escaped(const QString& text) { return text.toHtmlEscaped(); }

class Notifier : public QObject {
    Q_OBJECT

public:
    static Notifier& Instance()
    {
        // A child of the application object, ended with it.
        static QPointer<Notifier> notifier;
        if (!notifier) {
            notifier = new Notifier;
            notifier->setParent(AfxProgramLifetime());
        }
        return *notifier;
    }

    void Show(const QString& summary, const QString& body, std::function<void()> onClick)
    {
        if (!Connect())
            return;
        m_onClick = std::move(onClick);
        m_wanted = Wanted{summary, body};
        m_withdraw = false;
        m_askAgain = m_markup == Markup::Asking;
        Pump();
    }

    void Withdraw()
    {
        if (!m_connected)
            return;
        m_wanted.reset();
        if (m_notifyInFlight)
            m_withdraw = true;  // the id comes with the reply
        Close();
    }

private slots:
    void OnActionInvoked(uint id, const QString& action)
    {
        if (id == m_id && id != 0 && action == QLatin1String("default") && m_onClick)
            m_onClick();
    }

    void OnClosed(uint id, uint)
    {
        if (id == m_id)
            m_id = 0;
    }

private:
    struct Wanted {
        QString summary;
        QString body;
    };
    enum class Markup {
        Unknown,
        Asking,
        Yes,
        No
    };

    bool Connect()
    {
        if (m_connected)
            return true;
        if (!SessionBusAvailable())
            return false;
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (!bus.isConnected())
            return false;
        bus.connect(QString(), kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                    SLOT(OnActionInvoked(uint, QString)));
        bus.connect(QString(), kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                    SLOT(OnClosed(uint, uint)));
        m_connected = true;
        return true;
    }

    QDBusMessage Call(const char* method) const
    {
        return QDBusMessage::createMethodCall(kService, kPath, kInterface, QLatin1String(method));
    }

    // Sends what is wanted once the server's abilities are known and no
    // earlier notification is still on its way.
    void Pump()
    {
        if (m_markup == Markup::Unknown && m_wanted) {
            m_markup = Markup::Asking;
            auto* watcher = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(Call("GetCapabilities")), this);
            connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
                w->deleteLater();
                QDBusPendingReply<QStringList> reply = *w;
                if (reply.isError()) {
                    // No service: what was wanted is dropped, but a
                    // notification wanted since asks again.
                    m_markup = Markup::Unknown;
                    if (!std::exchange(m_askAgain, false))
                        m_wanted.reset();
                    Pump();
                    return;
                }
                m_markup = reply.value().contains(QLatin1String("body-markup")) ? Markup::Yes : Markup::No;
                Pump();
            });
            return;
        }
        if (m_markup == Markup::Asking || m_notifyInFlight || !m_wanted)
            return;
        QDBusMessage call = Call("Notify");
        const QString body = m_markup == Markup::Yes ? Escaped(m_wanted->body) : m_wanted->body;
        QVariantMap hints;
        hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("example.lindqvarn.Talvo"));
        call << QStringLiteral("Talvo") << m_id << QStringLiteral("talvo") << m_wanted->summary << body
             << QStringList{QStringLiteral("default"), QStringLiteral("Visa")} << hints << -1;
        m_wanted.reset();
        m_notifyInFlight = true;
        auto* watcher = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call), this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
            w->deleteLater();
            m_notifyInFlight = false;
            QDBusPendingReply<uint> reply = *w;
            m_id = reply.isError() ? 0 : reply.value();
            if (m_withdraw && !m_wanted) {
                m_withdraw = false;
                Close();
            }
            Pump();
        });
    }

    void Close()
    {
        if (m_id == 0)
            return;
        QDBusMessage call = Call("CloseNotification");
        call << m_id;
        m_id = 0;
        QDBusConnection::sessionBus().call(call, QDBus::NoBlock);
    }

    bool m_connected = false;
    Markup m_markup = Markup::Unknown;
    bool m_notifyInFlight = false;
    bool m_withdraw = false;
    bool m_askAgain = false;
    uint m_id = 0;
    std::optional<Wanted> m_wanted;
    std::function<void()> m_onClick;
};

}  // namespace

void AfxShowNotification(const QString& summary, const QString& body, std::function<void()> onClick)
{
    Notifier::Instance().Show(summary, body, std::move(onClick));
}

void AfxWithdrawNotification() { Notifier::Instance().Withdraw(); }

#include "Notification.moc"
