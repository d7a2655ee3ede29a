#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include <QByteArray>
#include <QThread>

// One ICMP echo to an IPv4 host: synchronous, or on a self-freeing worker
// thread that hands its result to a callback on the GUI thread. The module
// shows no messages; it returns a round-trip time, -1 or -2, and keeps an
// outcome code.

// Outcome codes of the module's own; all have bit 29 set.
inline constexpr std::int32_t PING_THREAD_STARTED = 0x20000001;
inline constexpr std::int32_t PING_NO_ICMP_SERVICE = 0x20000002;
inline constexpr std::int32_t PING_NO_ICMP_HANDLE = 0x20000003;
inline constexpr std::int32_t PING_NO_SOCKETS = 0x20000004;

// Statuses of the ICMP echo service and the resolver.
inline constexpr std::int32_t IP_BUF_TOO_SMALL = 11001;
inline constexpr std::int32_t IP_DEST_NET_UNREACHABLE = 11002;
inline constexpr std::int32_t IP_DEST_HOST_UNREACHABLE = 11003;
inline constexpr std::int32_t IP_DEST_PROT_UNREACHABLE = 11004;
inline constexpr std::int32_t IP_DEST_PORT_UNREACHABLE = 11005;
inline constexpr std::int32_t IP_REQ_TIMED_OUT = 11010;
inline constexpr std::int32_t IP_TTL_EXPIRED_TRANSIT = 11013;
inline constexpr std::int32_t IP_GENERAL_FAILURE = 11050;
inline constexpr std::int32_t WSAHOST_NOT_FOUND = 11001;
inline constexpr std::int32_t WSATRY_AGAIN = 11002;
inline constexpr std::int32_t WSANO_RECOVERY = 11003;

inline constexpr std::uint32_t INADDR_NONE_VALUE = 0xFFFFFFFFu;

// One reply record of an echo: its status (0 = echo reply) and round-trip time.
struct IcmpReply {
    std::int32_t status = 0;
    std::uint32_t rtt = 0;
};

// An open ICMP handle.
class IcmpEcho {
public:
    virtual ~IcmpEcho() = default;
    static constexpr int MaxReplies = 3;
    // Sends one echo without payload to ipv4 (network byte order) and waits up
    // to timeoutMs. Returns the number of reply records written (at most
    // three); 0 on failure, with the reason (an ICMP status such as
    // IP_REQ_TIMED_OUT, or a system error) in systemError.
    virtual int send(std::uint32_t ipv4, std::uint32_t timeoutMs, IcmpReply (&replies)[MaxReplies],
                     std::int32_t &systemError) = 0;
};

// The echo request a received packet may answer (addresses in network byte
// order).
struct EchoRequest {
    bool raw = false; // a raw socket: packets start with their IP header
    std::uint16_t identifier = 0;
    std::uint16_t sequence = 0;
    std::uint32_t to = 0;
};
// What a packet received on the echo's socket says about it: 0 for its
// reply, the IP_* status of an ICMP error that quotes it, nothing for
// another packet.
std::optional<std::int32_t> matchEchoPacket(const unsigned char *packet, size_t n, const EchoRequest &echo,
                                            std::uint32_t from);

// The system's ICMP echo service; open() gives nullptr when no handle can be had.
class IcmpService {
public:
    virtual ~IcmpService() = default;
    virtual std::unique_ptr<IcmpEcho> open() = 0;
    virtual const char *name() const = 0;
};

// Binds the ICMP service at program start: an unprivileged datagram ping
// socket where the system allows it, else a raw ICMP socket, else none
// (PingLastError then reads PING_NO_ICMP_SERVICE for the whole run).
void PingInitialise();
// Binds the given service instead (nullptr: none), for tests.
void PingInitialise(std::unique_ptr<IcmpService> service);
void PingFinalise();
// "datagram", "raw", the name of an injected service, or empty when none.
const char *PingServiceName();

std::int32_t PingLastError();
std::int32_t MapIcmpStatus(std::int32_t code);

// Resolves a host name or a dotted IPv4 address; an empty name gives the
// local computer. Names under the reserved top-level domain "invalid" never
// resolve and are not looked up.
bool ResolveHostname(const QByteArray &Hostname, std::uint32_t &IPv4);
std::int32_t PingIPv4(std::uint32_t IPv4, std::uint16_t Timeout);
std::int32_t PingHost(const QByteArray &Hostname, std::uint16_t Timeout);

struct TAsyncPingResult {
    std::int32_t RefID = 0;
    std::uint32_t IPv4 = INADDR_NONE_VALUE; // network byte order
    std::int32_t RTT = -2;
    std::int32_t Timeout = 0;
    std::int32_t ErrorCode = 0;
};

using TPingCallback = std::function<void(const TAsyncPingResult &PingResult)>;

// Starts a worker thread for Hostname; false (and no thread) without ICMP service.
bool AsyncPingHost(std::int32_t RefID, const QByteArray &Hostname, std::uint16_t Timeout, TPingCallback Callback);

// A one-shot probe on its own thread: started when created, frees itself when
// done, and runs the callback on the GUI thread while it waits.
class TPingThread : public QThread {
    Q_OBJECT
public:
    static TPingThread *Create(std::int32_t RefID, const QByteArray &Hostname, TPingCallback Callback,
                               std::uint16_t Timeout);
    static TPingThread *Create(std::int32_t RefID, std::uint32_t IPv4, TPingCallback Callback, std::uint16_t Timeout);

    // Threads still running (for the end of the program and for tests).
    static int running();

protected:
    void run() override;

private:
    TPingThread(std::int32_t RefID, std::uint16_t Timeout, TPingCallback Callback);
    void start();

    bool FResolve = false;
    QByteArray FHostname;
    TAsyncPingResult FPingResult;
    TPingCallback FCallback;
};
