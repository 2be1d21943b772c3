#include "shell/AnalyticsBridge.h"

#include "analytics/AnalyticsManager.h"

namespace brimlark {

std::optional<TallyType> AnalyticsBridge::toTally(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Bool:
        return TallyType(value.toBool());
    case QMetaType::Int:
    case QMetaType::LongLong:
        return TallyType(static_cast<std::int64_t>(value.toLongLong()));
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return TallyType(static_cast<std::uint64_t>(value.toULongLong()));
    case QMetaType::Double:
        return TallyType(value.toDouble());
    case QMetaType::QString:
        return TallyType(value.toString().toStdString());
    default:
        return std::nullopt;
    }
}

TallyDictionary AnalyticsBridge::toTally(const QVariantMap &properties)
{
    TallyDictionary out;
    for (auto it = properties.constBegin(); it != properties.constEnd(); ++it) {
        if (auto value = toTally(it.value())) {
            out[it.key().toStdString()] = *value;
        }
    }
    return out;
}

void AnalyticsBridge::trackEvent(const QString &name, const QVariantMap &properties)
{
    m_manager.trackEvent(name.toStdString(), toTally(properties));
}

void AnalyticsBridge::start()
{
    m_manager.initialize();
}

void AnalyticsBridge::openURL(const QUrl &url)
{
    m_manager.handleURL(url.toString(QUrl::FullyEncoded).toStdString());
}

void AnalyticsBridge::drain()
{
    m_manager.shutdown(std::chrono::seconds(2));
}

} // namespace brimlark
