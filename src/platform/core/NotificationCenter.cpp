#include "platform/core/NotificationCenter.h"

#include <algorithm>

namespace brimlark {

quint64 NotificationCenter::addObserver(const QString &name, QObject *context, Handler handler)
{
    const quint64 token = m_nextToken++;
    m_observers.push_back({ token, name, context, context != nullptr, std::move(handler) });
    return token;
}

void NotificationCenter::removeObserver(quint64 token)
{
    std::erase_if(m_observers, [token](const Observer &o) { return o.token == token; });
}

void NotificationCenter::post(const QString &name, const QVariant &object)
{
    // Observers may register or remove others while being called: work on a
    // snapshot of the tokens and look each one up again before calling it.
    std::vector<quint64> tokens;
    for (const auto &o : m_observers) {
        if (o.name == name) {
            tokens.push_back(o.token);
        }
    }
    for (quint64 token : tokens) {
        auto it = std::find_if(
            m_observers.begin(), m_observers.end(), [token](const Observer &o) { return o.token == token; });
        if (it == m_observers.end()) {
            continue;
        }
        if (it->hasContext && !it->context) {
            m_observers.erase(it);
            continue;
        }
        Handler handler = it->handler;
        handler(object);
    }
    emit posted(name, object);
}

} // namespace brimlark
