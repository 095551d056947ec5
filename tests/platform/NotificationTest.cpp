// Desktop notifications against a notification service on a private session
// bus (a real dbus-daemon).

#include "CoreTestSupport.h"

#include "platform/qt/Notification.h"

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QProcess>
#include <QStringList>
#include <QTemporaryFile>
#include <QTest>
#include <QVariantMap>

#include <cstdlib>
#include <vector>

namespace {

struct Shown {
    uint id = 0;
    uint replaces = 0;
    QString app;
    QString summary;
    QString body;
    QStringList actions;
};

// The service side of org.freedesktop.Notifications, as a desktop runs it.
class NotificationService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    std::vector<Shown> shown;
    std::vector<uint> closed;

public slots:
    QStringList GetCapabilities() { return {QStringLiteral("body"), QStringLiteral("body-markup"), QStringLiteral("actions")}; }

    uint Notify(const QString& app, uint replaces, const QString&, const QString& summary, const QString& body,
                const QStringList& actions, const QVariantMap&, int)
    {
        const uint id = replaces ? replaces : m_next++;
        shown.push_back({id, replaces, app, summary, body, actions});
        return id;
    }

    void CloseNotification(uint id) { closed.push_back(id); }

private:
    uint m_next = 7;
};

class NotificationTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        coretest::EnsureStarted();
        // A bus of its own, without the system's service files: a
        // notification service installed on the machine must not start.
        ASSERT_TRUE(s_config.open());
        s_config.write("<busconfig><type>session</type><listen>unix:tmpdir=/tmp</listen><auth>EXTERNAL</auth>"
                       "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
                       "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>");
        s_config.flush();
        s_daemon = new QProcess;
        s_daemon->start(QStringLiteral("dbus-daemon"),
                        {QStringLiteral("--config-file=") + s_config.fileName(), QStringLiteral("--nofork"),
                         QStringLiteral("--print-address=1")});
        ASSERT_TRUE(s_daemon->waitForReadyRead(10000)) << "dbus-daemon did not start";
        s_address = QString::fromUtf8(s_daemon->readLine()).trimmed();
        qputenv("DBUS_SESSION_BUS_ADDRESS", s_address.toUtf8());
    }
    static void TearDownTestSuite()
    {
        s_daemon->kill();
        s_daemon->waitForFinished();
        delete s_daemon;
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    }

    static QTemporaryFile s_config;
    static QProcess* s_daemon;
    static QString s_address;
};

QTemporaryFile NotificationTest::s_config;
QProcess* NotificationTest::s_daemon = nullptr;
QString NotificationTest::s_address;

TEST_F(NotificationTest, ShowsReplacesWithdrawsAndReportsClicks)
{
    // No service yet: nothing happens, and a later notification still works.
    AfxShowNotification(QStringLiteral("Talvo"), QStringLiteral("ingen lyssnar"), [] {});
    QTest::qWait(300);

    QDBusConnection server = QDBusConnection::connectToBus(s_address, QStringLiteral("service"));
    ASSERT_TRUE(server.isConnected());
    NotificationService service;
    ASSERT_TRUE(server.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &service,
                                      QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(server.registerService(QStringLiteral("org.freedesktop.Notifications")));

    int clicks = 0;
    AfxShowNotification(QStringLiteral("Talvo"), QStringLiteral("Det finns 2 meddelanden att läsa.\nÖl & <bröd>"),
                        [&] { ++clicks; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return service.shown.size() == 1; }, 5000));
    const Shown first = service.shown[0];
    EXPECT_EQ(first.app, QStringLiteral("Talvo"));
    EXPECT_EQ(first.summary, QStringLiteral("Talvo"));
    EXPECT_EQ(first.replaces, 0u);
    // The service reads markup: the reminder's own text must stay text.
    EXPECT_EQ(first.body, QStringLiteral("Det finns 2 meddelanden att läsa.\nÖl &amp; &lt;bröd&gt;"));
    EXPECT_TRUE(first.actions.contains(QStringLiteral("default")));

    // A repeat replaces the notification on screen.
    AfxShowNotification(QStringLiteral("Talvo"), QStringLiteral("igen"), [&] { ++clicks; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return service.shown.size() == 2; }, 5000));
    EXPECT_EQ(service.shown[1].replaces, first.id);

    // A click on it (the default action), then one on somebody else's.
    auto invoke = [&](uint id) {
        QDBusMessage signal = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/Notifications"),
                                                         QStringLiteral("org.freedesktop.Notifications"),
                                                         QStringLiteral("ActionInvoked"));
        signal << id << QStringLiteral("default");
        server.send(signal);
    };
    invoke(first.id);
    ASSERT_TRUE(QTest::qWaitFor([&] { return clicks == 1; }, 5000));
    invoke(first.id + 100);
    QTest::qWait(200);
    EXPECT_EQ(clicks, 1);

    AfxWithdrawNotification();
    ASSERT_TRUE(QTest::qWaitFor([&] { return service.closed.size() == 1; }, 5000));
    EXPECT_EQ(service.closed[0], first.id);
    AfxWithdrawNotification();  // nothing left to withdraw
    QTest::qWait(200);
    EXPECT_EQ(service.closed.size(), 1u);

    // Withdrawn while the notification is still on its way: it is closed
    // as soon as its id is known.
    AfxShowNotification(QStringLiteral("Talvo"), QStringLiteral("kort"), [] {});
    AfxWithdrawNotification();
    ASSERT_TRUE(QTest::qWaitFor([&] { return service.closed.size() == 2; }, 5000));
    ASSERT_EQ(service.shown.size(), 3u);
    EXPECT_EQ(service.closed[1], service.shown[2].id);

    server.unregisterService(QStringLiteral("org.freedesktop.Notifications"));
    QDBusConnection::disconnectFromBus(QStringLiteral("service"));
}

}  // namespace

#include "NotificationTest.moc"
