#include "RigctldIdentity.h"

#include "HamlibThread.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cstring>
#include <ifaddrs.h>
#include <netdb.h>
#include <netinet/in.h>
#include <set>
#include <vector>

namespace
{

// An address as text, IPv4 inside IPv6 (::ffff:a.b.c.d) written as plain IPv4.
std::string addressText(const sockaddr* address)
{
    char text[INET6_ADDRSTRLEN] = "";
    if (address->sa_family == AF_INET) {
        ::inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(address)->sin_addr, text,
                    sizeof text);
    } else if (address->sa_family == AF_INET6) {
        const in6_addr& v6 = reinterpret_cast<const sockaddr_in6*>(address)->sin6_addr;
        if (IN6_IS_ADDR_V4MAPPED(&v6))
            ::inet_ntop(AF_INET, &v6.s6_addr[12], text, sizeof text);
        else
            ::inet_ntop(AF_INET6, &v6, text, sizeof text);
    }
    return text;
}

// A connection to these ends on this machine: loopback, the unspecified address (which the
// kernel takes as this machine) or an address of one of its interfaces.
bool isLocal(const std::string& address, const std::set<std::string>& own)
{
    return address.starts_with("127.") || address == "::1" || address == "0.0.0.0" ||
           address == "::" || own.contains(address);
}

std::set<std::string> ownAddresses()
{
    std::set<std::string> own;
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0)
        return own;
    for (const ifaddrs* entry = list; entry; entry = entry->ifa_next)
        if (entry->ifa_addr)
            own.insert(addressText(entry->ifa_addr));
    ::freeifaddrs(list);
    return own;
}

std::vector<std::string> resolve(const std::string& host)
{
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    std::vector<std::string> addresses;
    if (::getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0)
        return addresses;
    for (const addrinfo* entry = found; entry; entry = entry->ai_next)
        if (const std::string text = addressText(entry->ai_addr); !text.empty())
            addresses.push_back(text);
    ::freeaddrinfo(found);
    return addresses;
}

} // namespace

std::string rigctldIdentity(const std::string& host, int port, std::chrono::milliseconds limit,
                            LineWait* wait)
{
    const std::string portText = "-" + std::to_string(port);
    // A name server can take its time: the look-up runs on the thread that talks to rigctld
    // (hamlib looks the host up there too), under the same limit as a connection.
    const auto addresses = HamlibThread::instance().run<std::vector<std::string>>(
        limit, [host] { return resolve(host); }, [](auto&) {}, wait);
    if (!addresses || addresses->empty())
        return host + portText;
    const std::set<std::string> own = ownAddresses();
    if (std::any_of(addresses->begin(), addresses->end(),
                    [&](const std::string& address) { return isLocal(address, own); }))
        return "local" + portText;
    return *std::min_element(addresses->begin(), addresses->end()) + portText;
}
