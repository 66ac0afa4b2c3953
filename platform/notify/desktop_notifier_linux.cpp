// Notifications through the desktop's notification server
// (org.freedesktop.Notifications on the session bus), as GNOME, KDE and most
// other Linux desktops show them.
#include "platform/notify/desktop_notifier.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QStringList>
#include <QTimer>
#include <QVariantMap>
#include <utility>

namespace brisendale {

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
// The installed icon and the desktop file are both named by the application's id.
const QString kApplicationId = QStringLiteral("org.brisendale.Brisendale");
// A server that does not answer is given up on here, so that a run waiting
// for `done` before it exits is never held much longer.
constexpr int kAnswerBoundMs = 1500;

class SessionBusNotifier : public DesktopNotifier {
  public:
    void Notify(const Notification& notification, std::function<void()> done) override {
        // A connection of its own, to the bus the environment names now:
        // libdbus would keep the address it read first. Without an address
        // none is tried: libdbus's last resort, starting a bus of its own,
        // takes time and would find no notification server.
        static int notifications = 0;
        const QString connectionName = QStringLiteral("brisendale-notify-%1").arg(++notifications);
        QDBusConnection bus = QDBusConnection::connectToBus(
            qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS"), connectionName);
        // The one way out, however it ends.
        auto finish = [done = std::move(done), connectionName] {
            QDBusConnection::disconnectFromBus(connectionName);
            done();
        };
        if (!bus.isConnected()) {
            QTimer::singleShot(0, std::move(finish));
            return;
        }
        QDBusMessage call = QDBusMessage::createMethodCall(
            kService, QStringLiteral("/org/freedesktop/Notifications"), kService,
            QStringLiteral("Notify"));
        // Urgency 1 is "normal"; the server expects it as a byte.
        const QVariantMap hints{{QStringLiteral("desktop-entry"), kApplicationId},
                                {QStringLiteral("urgency"), QVariant::fromValue(uchar{1})}};
        // app_name, replaces_id (none), app_icon, summary, body, actions (none),
        // hints, expire_timeout (-1: as the server sees fit).
        call << QStringLiteral("Brisendale") << uint{0} << kApplicationId
             << QString::fromStdString(notification.summary)
             // Servers read the body as markup: a reason with "<" or "&" in
             // it must be shown as it is.
             << QString::fromStdString(notification.body).toHtmlEscaped() << QStringList() << hints
             << -1;
        auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, kAnswerBoundMs));
        QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                         [finish = std::move(finish)](QDBusPendingCallWatcher* ended) {
                             ended->deleteLater();
                             finish();
                         });
    }
};

}  // namespace

std::unique_ptr<DesktopNotifier> MakeDesktopNotifier() {
    return std::make_unique<SessionBusNotifier>();
}

}  // namespace brisendale
