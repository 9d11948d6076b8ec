// Numeric addresses through the system's own parser.
#include "core/address.h"

#include <winsock2.h>
#include <ws2tcpip.h>

namespace lintara {

bool ParsesAsAddress(const std::string& text, bool ipv6) {
    IN6_ADDR buffer;
    return ::inet_pton(ipv6 ? AF_INET6 : AF_INET, text.c_str(), &buffer) == 1;
}

}  // namespace lintara
