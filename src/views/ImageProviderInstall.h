#pragma once

#include <QQmlEngine>

namespace brimlark {

// Gives `engine` a provider of the pictures a singleton's URLs name, once:
// every view that makes the singleton in that engine shares it.
template <typename Provider> void installImageProvider(QQmlEngine *engine)
{
    if (engine && !engine->imageProvider(Provider::ProviderId)) {
        engine->addImageProvider(Provider::ProviderId, new Provider);
    }
}

} // namespace brimlark
