// A serial port on another machine, served over the network (by ser2net or a terminal server):
// "tcp://HOST:PORT" carries the bytes as they are, "rfc2217://HOST:PORT" speaks Telnet with the
// COM-PORT option, so that the line settings the program chooses reach the remote device too.
// The same name stands wherever a device path does.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace zelkon {

enum class RemoteScheme : uint8_t { Tcp, Rfc2217 };

struct RemoteAddress {
  RemoteScheme scheme = RemoteScheme::Tcp;
  // A host name, a numeric IPv4 address, or an IPv6 address (without its brackets).
  std::string host;
  uint16_t port = 0;

  bool IsIpv6() const { return host.find(':') != std::string::npos; }
  bool operator==(const RemoteAddress&) const = default;
};

// True for a name that has a scheme ("tcp://..."), whether or not the rest is valid: such a name
// is never a device path.
bool IsRemotePortName(std::string_view name);

// The address a remote port name gives, or why it gives none ("unknown scheme 'ssh' (tcp:// or
// rfc2217://)", "the port must be a number from 1 to 65535", ...). Host names take letters,
// digits, '-', '_' and '.'; IPv6 addresses go in brackets. Nothing else passes, so that a name can
// never carry more than a host and a port to the network library.
std::variant<RemoteAddress, std::string> ParseRemoteAddress(std::string_view name);

// "rfc2217://[::1]:2000": the name the address is shown and stored by.
std::string RemotePortName(const RemoteAddress& address);

}  // namespace zelkon
