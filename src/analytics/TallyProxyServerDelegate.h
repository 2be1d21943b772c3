#pragma once

#include "analytics/Network.h"

#include <optional>
#include <string>

namespace brimlark {

// Supplies the header fields and query items a proxy server in front of the service needs; asked
// once per queue of every flush. The application sets none.
class TallyProxyServerDelegate
{
public:
    virtual ~TallyProxyServerDelegate();
    virtual std::optional<ServerProxyResource> serverProxyResource(const std::string &instanceName) = 0;
};

} // namespace brimlark
