#include "link/remote_address.h"

#include <algorithm>
#include <cctype>

namespace zelkon {
namespace {

constexpr std::string_view kSchemeMark = "://";

bool IsHostCharacter(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '-' || c == '_' || c == '.';
}

bool IsIpv6Character(char c) {
  return std::isxdigit(static_cast<unsigned char>(c)) != 0 || c == ':' || c == '.';
}

}  // namespace

bool IsRemotePortName(std::string_view name) { return name.find(kSchemeMark) != name.npos; }

std::variant<RemoteAddress, std::string> ParseRemoteAddress(std::string_view name) {
  const size_t mark = name.find(kSchemeMark);
  if (mark == name.npos)
    return std::string(
        "a remote port is written tcp://HOST:PORT or "
        "rfc2217://HOST:PORT");
  RemoteAddress address;
  const std::string_view scheme = name.substr(0, mark);
  if (scheme == "tcp") {
    address.scheme = RemoteScheme::Tcp;
  } else if (scheme == "rfc2217") {
    address.scheme = RemoteScheme::Rfc2217;
  } else {
    return "unknown scheme '" + std::string(scheme) + "' (tcp:// or rfc2217://)";
  }

  std::string_view rest = name.substr(mark + kSchemeMark.size());
  std::string_view host;
  if (!rest.empty() && rest.front() == '[') {
    const size_t close = rest.find(']');
    if (close == rest.npos) return std::string("an IPv6 address needs its closing ']'");
    host = rest.substr(1, close - 1);
    if (host.find(':') == host.npos || !std::all_of(host.begin(), host.end(), IsIpv6Character)) {
      return "'" + std::string(host) + "' is not an IPv6 address";
    }
    rest = rest.substr(close + 1);
  } else {
    const size_t colon = rest.find(':');
    host = rest.substr(0, colon);
    if (host.find_first_of("[]") != host.npos || rest.find(':', colon + 1) != rest.npos) {
      return std::string("an IPv6 address is written in brackets: rfc2217://[::1]:2000");
    }
    if (!std::all_of(host.begin(), host.end(), IsHostCharacter)) {
      return "'" + std::string(host) + "' is not a host name or address";
    }
    rest = colon == rest.npos ? std::string_view() : rest.substr(colon);
  }
  if (host.empty()) return std::string("the host is missing");
  if (rest.empty() || rest.front() != ':') return std::string("the port is missing (HOST:PORT)");
  const std::string_view digits = rest.substr(1);
  unsigned long port = 0;
  const bool numeric =
      !digits.empty() && digits.size() <= 5 &&
      std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
  if (numeric) port = std::stoul(std::string(digits));
  if (!numeric || port < 1 || port > 65535) {
    return "the port must be a number from 1 to 65535, not '" + std::string(digits) + "'";
  }
  address.host = std::string(host);
  address.port = static_cast<uint16_t>(port);
  return address;
}

std::string RemotePortName(const RemoteAddress& address) {
  const std::string scheme = address.scheme == RemoteScheme::Tcp ? "tcp" : "rfc2217";
  const std::string host = address.IsIpv6() ? "[" + address.host + "]" : address.host;
  return scheme + "://" + host + ":" + std::to_string(address.port);
}

}  // namespace zelkon
