// Tells when the computer's network comes up, where Qt can tell: through the
// first network information backend that loads (NetworkManager's, GLib's). With
// none, it never says anything, and whoever waits falls back on a schedule.
#pragma once

#include <QObject>

namespace brisendale {

class NetworkWatch : public QObject {
    Q_OBJECT

  public:
    explicit NetworkWatch(QObject* parent = nullptr);

  signals:
    // The network went from unreachable, or unknown, to reachable.
    void cameUp();
};

}  // namespace brisendale
