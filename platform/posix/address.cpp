// Numeric addresses through the C library's own parser.
#include "core/address.h"

#include <arpa/inet.h>
#include <netinet/in.h>

namespace lintara {

bool ParsesAsAddress(const std::string& text, bool ipv6) {
    in6_addr buffer;
    return ::inet_pton(ipv6 ? AF_INET6 : AF_INET, text.c_str(), &buffer) == 1;
}

}  // namespace lintara
