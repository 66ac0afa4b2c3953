#include "platform/net/network_watch.h"

#include <QNetworkInformation>

namespace brisendale {

NetworkWatch::NetworkWatch(QObject* parent) : QObject(parent) {
    if (!QNetworkInformation::loadBackendByFeatures(QNetworkInformation::Feature::Reachability))
        return;
    connect(QNetworkInformation::instance(), &QNetworkInformation::reachabilityChanged, this,
            [this](QNetworkInformation::Reachability reachability) {
                if (reachability == QNetworkInformation::Reachability::Online ||
                    reachability == QNetworkInformation::Reachability::Site)
                    emit cameUp();
            });
}

}  // namespace brisendale
