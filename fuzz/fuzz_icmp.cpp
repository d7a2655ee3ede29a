// Packets on the probe's ICMP socket, raw (with an IP header) or datagram:
// any bytes are read within their length, and only a reply from the probed
// host or an error quoting the probe's own request counts.
#include <cstring>

#include "FuzzInput.h"
#include "Ping5.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The first bytes choose the probe; the rest is the packet, copied so
    // that a read beyond it is caught.
    if (size < 9)
        return 0;
    EchoRequest echo;
    echo.raw = data[0] & 1;
    echo.identifier = std::uint16_t(data[1] << 8 | data[2]);
    echo.sequence = std::uint16_t(data[3] << 8 | data[4]);
    std::memcpy(&echo.to, data + 5, 4);
    const std::uint32_t from = data[0] & 2 ? echo.to : echo.to ^ 1;
    const QByteArray packet(reinterpret_cast<const char *>(data + 9), qsizetype(size - 9));
    const auto status = matchEchoPacket(reinterpret_cast<const unsigned char *>(packet.constData()),
                                        size_t(packet.size()), echo, from);
    if (status && *status == 0 && echo.raw)
        FUZZ_ASSERT(from == echo.to);
    return 0;
}
