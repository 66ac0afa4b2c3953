#include "platform/clock/system_clock_timedated.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QString>

#include <cstdint>
#include <ctime>
#include <optional>
#include <utility>

#include "platform/clock/desktop_clock.h"
#include "platform/clock/system_clock_posix.h"

namespace brisendale {

namespace {

const QString kService = QStringLiteral("org.freedesktop.timedate1");
const QString kPath = QStringLiteral("/org/freedesktop/timedate1");

std::int64_t EpochMicroseconds(const timespec& instant) {
    return std::int64_t{instant.tv_sec} * 1'000'000 + instant.tv_nsec / 1'000;
}

std::string Span(std::chrono::milliseconds span) {
    const auto count = span.count();
    if (count % 60'000 == 0) {
        const auto minutes = count / 60'000;
        return std::to_string(minutes) + (minutes == 1 ? " minute" : " minutes");
    }
    return std::to_string(count) + " ms";
}

// Where timedated cannot be asked, the capability is the only way left.
ClockRefused CannotAskTimedated(const ClockRefused& direct, const std::string& why,
                                const std::string& programPath) {
    return ClockRefused(std::string(direct.what()) + ", and " + why +
                        " to ask systemd-timedated instead. To let the program set the clock "
                        "itself, give it the cap_sys_time capability: sudo setcap "
                        "cap_sys_time+ep '" +
                        programPath + "'");
}

bool TimedatedIsUnreachable(const QDBusError& error) {
    switch (error.type()) {
        case QDBusError::ServiceUnknown:
        case QDBusError::NoServer:
        case QDBusError::Disconnected:
            return true;
        default:
            // A bus that knows the service but cannot start it, as in a
            // container without systemd.
            return error.name().startsWith(QStringLiteral("org.freedesktop.DBus.Error.Spawn.")) ||
                   error.name() == QStringLiteral("org.freedesktop.DBus.Error.NameHasNoOwner");
    }
}

// Why timedated did not set the clock, in words a user can act on.
ClockRefused ExplainTimedatedError(const QDBusError& error, const ClockRefused& direct,
                                   const TimedatedOptions& options) {
    const QString name = error.name();
    const std::string message = error.message().toStdString();
    if (name == QStringLiteral("org.freedesktop.timedate1.AutomaticTimeSyncEnabled")) {
        return ClockRefused(
            "automatic time synchronisation is on, and while it is, systemd-timedated does not "
            "set the clock. To set it from here, turn automatic synchronisation off in the "
            "desktop's date and time settings or with \"timedatectl set-ntp false\".");
    }
    if (name == QStringLiteral("org.freedesktop.PolicyKit1.Error.NotAuthorized") ||
        name == QStringLiteral("org.freedesktop.PolicyKit1.Error.Cancelled") ||
        name == QStringLiteral("org.freedesktop.DBus.Error.AccessDenied")) {
        return ClockRefused("the authorisation to set the time was refused or cancelled (" +
                            message + ")");
    }
    if (name == QStringLiteral("org.freedesktop.DBus.Error.InteractiveAuthorizationRequired")) {
        return ClockRefused(
            "setting the time needs an administrator's authorisation, which a run without a "
            "window cannot ask for");
    }
    if (error.type() == QDBusError::NoReply || error.type() == QDBusError::Timeout ||
        error.type() == QDBusError::TimedOut) {
        return ClockRefused("systemd-timedated gave no answer within " + Span(options.answerBound));
    }
    if (TimedatedIsUnreachable(error)) {
        return CannotAskTimedated(direct, "systemd-timedated is not on the system bus",
                                  options.programPath);
    }
    return ClockRefused("systemd-timedated: " + message + " (" + name.toStdString() + ")");
}

// Asks timedated to set the clock to `target`, microseconds since the epoch.
void AskTimedated(std::int64_t target, Authorisation authorisation, const ClockRefused& direct,
                  const TimedatedOptions& options, const ClockRequestDone& done) {
    // A connection of its own for each request, to the bus the environment
    // names now: libdbus would keep the address it read first.
    static int requests = 0;
    const QString connectionName = QStringLiteral("brisendale-timedated-%1").arg(++requests);
    const QString address = qEnvironmentVariable("DBUS_SYSTEM_BUS_ADDRESS");
    QDBusConnection bus =
        address.isEmpty()
            ? QDBusConnection::connectToBus(QDBusConnection::SystemBus, connectionName)
            : QDBusConnection::connectToBus(address, connectionName);
    if (!bus.isConnected()) {
        QDBusConnection::disconnectFromBus(connectionName);
        done(CannotAskTimedated(direct, "there is no system bus", options.programPath));
        return;
    }

    const bool interactive = authorisation == Authorisation::kMayAskUser;
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kService, QStringLiteral("SetTime"));
    call << qlonglong{target} << false << interactive;  // usec_utc, relative, interactive
    call.setInteractiveAuthorizationAllowed(interactive);
    auto* watcher = new QDBusPendingCallWatcher(
        bus.asyncCall(call, static_cast<int>(options.answerBound.count())));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [direct, options, done, connectionName](QDBusPendingCallWatcher* finished) {
                         finished->deleteLater();
                         const std::optional<ClockRefused> refusal =
                             finished->isError() ? std::optional(ExplainTimedatedError(
                                                       finished->error(), direct, options))
                                                 : std::nullopt;
                         QDBusConnection::disconnectFromBus(connectionName);
                         done(refusal);
                     });
}

}  // namespace

TimedatedClock::TimedatedClock(std::unique_ptr<SystemClock> direct, TimedatedOptions options)
    : direct_(std::move(direct)), options_(std::move(options)) {}

void TimedatedClock::SetLocalTimeOfDay(const TimeOfDay& time) {
    direct_->SetLocalTimeOfDay(time);
}

void TimedatedClock::RequestLocalTimeOfDay(const TimeOfDay& time, Authorisation authorisation,
                                           const ClockRequestDone& done) {
    std::optional<ClockRefused> refusal;
    try {
        direct_->SetLocalTimeOfDay(time);
    } catch (const ClockRefused& refused) {
        refusal = refused;
    }
    if (!refusal || !refusal->LacksPrivilege()) {
        done(refusal);
        return;
    }
    std::optional<std::int64_t> target;
    try {
        // The same instant the direct clock was refused.
        target = EpochMicroseconds(LocalTimeOfDayToRealtime(time, std::time(nullptr)));
    } catch (const ClockRefused& unconvertible) {
        done(unconvertible);
        return;
    }
    AskTimedated(*target, authorisation, *refusal, options_, done);
}

std::unique_ptr<SystemClock> MakeDesktopClock(const std::string& programPath) {
    return std::make_unique<TimedatedClock>(MakeSystemClock(),
                                            TimedatedOptions{.programPath = programPath});
}

}  // namespace brisendale
