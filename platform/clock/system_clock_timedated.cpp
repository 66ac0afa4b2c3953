#include "platform/clock/system_clock_timedated.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QString>
#include <QStringDecoder>

#include <cstdint>
#include <ctime>
#include <optional>
#include <utility>

#include "platform/clock/desktop_clock.h"

namespace brisendale {

namespace {

const QString kService = QStringLiteral("org.freedesktop.timedate1");
const QString kPath = QStringLiteral("/org/freedesktop/timedate1");

std::string Span(std::chrono::milliseconds span) {
    const auto count = span.count();
    if (count % 60'000 == 0) {
        const auto minutes = count / 60'000;
        return std::to_string(minutes) + (minutes == 1 ? " minute" : " minutes");
    }
    return std::to_string(count) + " ms";
}

// Whether a command naming `path` can be shown: a path that is not UTF-8, or
// one that was decoded with losses (U+FFFD in place of its bytes), would be
// copied from the message as another path.
bool CanBeShown(const std::string& path) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(QByteArrayView(path.data(), static_cast<qsizetype>(path.size())));
    return !path.empty() && !utf8.hasError() && !text.contains(QChar::ReplacementCharacter);
}

// One word for a POSIX shell, whatever the path holds: single quotes keep
// everything but a single quote, which is written '\''.
std::string ShellWord(const std::string& path) {
    std::string word = "'";
    for (const char c : path) {
        word += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return word + "'";
}

// Where timedated cannot be asked, the capability is the only way left.
ClockRefusal CannotAskTimedated(const ClockRefusal& direct, const std::string& why,
                                const std::string& programPath) {
    const std::string advice =
        " to ask systemd-timedated instead. To let the program set the clock itself, give it the "
        "cap_sys_time capability";
    return ClockRefusal{direct.reason + ", and " + why + advice +
                        (CanBeShown(programPath)
                             ? ": sudo setcap cap_sys_time+ep " + ShellWord(programPath)
                             : " with setcap (its path cannot be shown as text here)")};
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
ClockRefusal ExplainTimedatedError(const QDBusError& error, const ClockRefusal& direct,
                                   const TimedatedOptions& options) {
    const QString name = error.name();
    const std::string message = error.message().toStdString();
    if (name == QStringLiteral("org.freedesktop.timedate1.AutomaticTimeSyncEnabled")) {
        return ClockRefusal{
            "automatic time synchronisation is on, and while it is, systemd-timedated does not "
            "set the clock. To set it from here, turn automatic synchronisation off in the "
            "desktop's date and time settings or with \"timedatectl set-ntp false\"."};
    }
    if (name == QStringLiteral("org.freedesktop.PolicyKit1.Error.NotAuthorized") ||
        name == QStringLiteral("org.freedesktop.PolicyKit1.Error.Cancelled") ||
        name == QStringLiteral("org.freedesktop.DBus.Error.AccessDenied")) {
        return ClockRefusal{"the authorisation to set the time was refused or cancelled (" +
                            message + ")"};
    }
    if (name == QStringLiteral("org.freedesktop.DBus.Error.InteractiveAuthorizationRequired")) {
        return ClockRefusal{
            "setting the time needs an administrator's authorisation, which a run without a "
            "window cannot ask for"};
    }
    if (error.type() == QDBusError::NoReply || error.type() == QDBusError::Timeout ||
        error.type() == QDBusError::TimedOut) {
        return ClockRefusal{"systemd-timedated gave no answer within " + Span(options.answerBound)};
    }
    if (TimedatedIsUnreachable(error)) {
        return CannotAskTimedated(direct, "systemd-timedated is not on the system bus",
                                  options.programPath);
    }
    return ClockRefusal{"systemd-timedated: " + message + " (" + name.toStdString() + ")"};
}

// Asks timedated to set the clock to `target`, microseconds since the epoch.
void AskTimedated(std::int64_t target, Authorisation authorisation, const ClockRefusal& direct,
                  const TimedatedOptions& options, const ClockAnswer& done) {
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
                         const std::optional<ClockRefusal> refusal =
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

ClockInstant TimedatedClock::Now() const {
    return direct_->Now();
}

std::optional<ClockRefusal> TimedatedClock::SetTime(ClockInstant instant) {
    return direct_->SetTime(instant);
}

void TimedatedClock::RequestTime(ClockInstant instant, Authorisation authorisation,
                                 const ClockAnswer& done) {
    // An instant that is not settable is refused here too, never for want of
    // a right, so it never reaches timedated.
    const std::optional<ClockRefusal> refusal = direct_->SetTime(instant);
    if (!refusal || !refusal->lacksPrivilege) {
        done(refusal);
        return;
    }
    AskTimedated(instant.time_since_epoch().count(), authorisation, *refusal, options_, done);
}

std::unique_ptr<SystemClock> MakeDesktopClock(const std::string& programPath) {
    return std::make_unique<TimedatedClock>(MakeSystemClock(),
                                            TimedatedOptions{.programPath = programPath});
}

}  // namespace brisendale
