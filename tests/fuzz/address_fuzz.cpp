// Addresses typed by a player or read from the configuration: parsing never crashes or reads past
// its text, and whatever it gives formats and parses back to itself.
#include <cstddef>
#include <cstdint>
#include <string>

#include "net/udp_socket.h"
#include "wire_fuzz_util.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const net::Address address = net::ParseAddress(text.c_str(), 27015);
    wirefuzz::Check(address.port != 0);
    const std::string formatted = net::FormatAddress(address);
    wirefuzz::Check(net::ParseAddress(formatted.c_str(), 1) == address);
    return 0;
}
