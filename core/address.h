// Numeric network addresses, as the system's own parser reads them.
#pragma once

#include <string>

namespace lintara {

// True when text is an IPv4 (ipv6 false) or IPv6 (ipv6 true) address in the form the
// system's address parser accepts; implemented by the platform layer.
bool ParsesAsAddress(const std::string& text, bool ipv6);

}  // namespace lintara
