// Numeric addresses through the system's own parser.
#include "core/address.h"

#include <winsock2.h>
#include <ws2tcpip.h>

namespace lintara {

namespace {

using InetPton = INT(WSAAPI*)(INT, PCSTR, PVOID);

// The sockets library (from the system folder only) is loaded at the first check of a
// host, not at start: under Wine in particular it brings a chain of libraries that the
// window does not need to show.
InetPton Parser() {
    static const InetPton parser = [] {
        HMODULE library = ::LoadLibraryExW(L"ws2_32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        FARPROC proc = library ? ::GetProcAddress(library, "inet_pton") : nullptr;
        return reinterpret_cast<InetPton>(reinterpret_cast<void (*)()>(proc));
    }();
    return parser;
}

}  // namespace

bool ParsesAsAddress(const std::string& text, bool ipv6) {
    IN6_ADDR buffer;
    const InetPton parse = Parser();
    return parse && parse(ipv6 ? AF_INET6 : AF_INET, text.c_str(), &buffer) == 1;
}

}  // namespace lintara
