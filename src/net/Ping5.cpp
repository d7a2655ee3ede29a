#include "Ping5.h"

#include <atomic>
#include <chrono>
#include <cstring>
#include <optional>

#include <QCoreApplication>

#include <arpa/inet.h>
#include <errno.h>
#include <linux/errqueue.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/ip.h>
#include <netinet/ip_icmp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

std::atomic<std::int32_t> lastError{PING_NO_ICMP_SERVICE};
std::unique_ptr<IcmpService> service;
std::atomic<int> runningThreads{0};

using Clock = std::chrono::steady_clock;

int remainingMs(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? int(left) : 0;
}

std::uint32_t elapsedMs(Clock::time_point since)
{
    return std::uint32_t(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - since).count());
}

std::uint16_t checksum(const unsigned char *data, size_t length)
{
    std::uint32_t sum = 0;
    for (size_t i = 0; i + 1 < length; i += 2)
        sum += std::uint32_t(data[i] << 8 | data[i + 1]);
    if (length & 1)
        sum += std::uint32_t(data[length - 1] << 8);
    while (sum >> 16)
        sum = (sum & 0xFFFF) + (sum >> 16);
    return std::uint16_t(~sum);
}

// An ICMP error about our echo, as the status of the echo service.
std::int32_t statusOfIcmpError(int type, int code)
{
    if (type == ICMP_DEST_UNREACH) {
        switch (code) {
        case ICMP_NET_UNREACH:
            return IP_DEST_NET_UNREACHABLE;
        case ICMP_HOST_UNREACH:
            return IP_DEST_HOST_UNREACHABLE;
        case ICMP_PROT_UNREACH:
            return IP_DEST_PROT_UNREACHABLE;
        case ICMP_PORT_UNREACH:
            return IP_DEST_PORT_UNREACHABLE;
        default:
            return IP_DEST_HOST_UNREACHABLE;
        }
    }
    if (type == ICMP_TIME_EXCEEDED)
        return IP_TTL_EXPIRED_TRANSIT;
    return IP_GENERAL_FAILURE;
}

// A send that fails at once for want of a route is what the echo service
// reports as an unreachable destination.
int failedSend(int err, IcmpReply (&replies)[IcmpEcho::MaxReplies], std::int32_t &systemError)
{
    if (err == ENETUNREACH || err == EHOSTUNREACH) {
        replies[0] = {err == ENETUNREACH ? IP_DEST_NET_UNREACHABLE : IP_DEST_HOST_UNREACHABLE, 0};
        return 1;
    }
    systemError = err;
    return 0;
}

} // namespace

std::optional<std::int32_t> matchEchoPacket(const unsigned char *packet, size_t n, const EchoRequest &echo,
                                            std::uint32_t from)
{
    size_t offset = 0;
    if (echo.raw) {
        // A raw socket sees every ICMP packet of the machine, with its IP header.
        if (n < 20)
            return std::nullopt;
        offset = size_t(packet[0] & 0x0F) * 4;
    }
    if (n < offset + 8)
        return std::nullopt;
    const unsigned char *icmp = packet + offset;
    const std::uint16_t id = std::uint16_t(icmp[4] << 8 | icmp[5]);
    const std::uint16_t seq = std::uint16_t(icmp[6] << 8 | icmp[7]);
    if (icmp[0] == ICMP_ECHOREPLY) {
        if (seq != echo.sequence || (echo.raw && (id != echo.identifier || from != echo.to)))
            return std::nullopt;
        return 0;
    }
    if (echo.raw && (icmp[0] == ICMP_DEST_UNREACH || icmp[0] == ICMP_TIME_EXCEEDED)) {
        // The error quotes our request: its IP header, then its first 8 bytes.
        const unsigned char *quoted = icmp + 8;
        if (n < offset + 8 + 20)
            return std::nullopt;
        const size_t quotedHeader = size_t(quoted[0] & 0x0F) * 4;
        if (n < offset + 8 + quotedHeader + 8)
            return std::nullopt;
        const unsigned char *request = quoted + quotedHeader;
        if (request[0] != ICMP_ECHO || std::uint16_t(request[4] << 8 | request[5]) != echo.identifier
            || std::uint16_t(request[6] << 8 | request[7]) != echo.sequence)
            return std::nullopt;
        return statusOfIcmpError(icmp[0], icmp[1]);
    }
    return std::nullopt;
}

namespace {

class SocketEcho : public IcmpEcho {
public:
    SocketEcho(int fd, bool raw)
        : fd_(fd)
        , raw_(raw)
    {
        static std::atomic<std::uint16_t> sequence{0};
        sequence_ = ++sequence;
        identifier_ = std::uint16_t((getpid() << 4) ^ sequence_);
    }
    ~SocketEcho() override { ::close(fd_); }

    int send(std::uint32_t ipv4, std::uint32_t timeoutMs, IcmpReply (&replies)[MaxReplies],
             std::int32_t &systemError) override
    {
        unsigned char request[8] = {ICMP_ECHO, 0, 0, 0, 0, 0, 0, 0};
        // With a datagram socket the kernel sets identifier and checksum.
        request[4] = std::uint8_t(identifier_ >> 8);
        request[5] = std::uint8_t(identifier_);
        request[6] = std::uint8_t(sequence_ >> 8);
        request[7] = std::uint8_t(sequence_);
        const std::uint16_t sum = checksum(request, sizeof request);
        request[2] = std::uint8_t(sum >> 8);
        request[3] = std::uint8_t(sum);

        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_addr.s_addr = ipv4;
        const Clock::time_point sent = Clock::now();
        const Clock::time_point deadline = sent + std::chrono::milliseconds(timeoutMs);
        if (::sendto(fd_, request, sizeof request, 0, reinterpret_cast<sockaddr *>(&to), sizeof to) < 0)
            return failedSend(errno, replies, systemError);

        for (;;) {
            pollfd p{fd_, POLLIN, 0};
            const int ready = ::poll(&p, 1, remainingMs(deadline));
            if (ready < 0 && errno == EINTR)
                continue;
            if (ready <= 0) {
                systemError = ready == 0 ? IP_REQ_TIMED_OUT : errno;
                return 0;
            }
            if (p.revents & POLLERR) {
                if (const std::int32_t status = readErrorQueue()) {
                    replies[0] = {status, elapsedMs(sent)};
                    return 1;
                }
                continue;
            }
            unsigned char packet[1500];
            sockaddr_in from{};
            socklen_t fromLength = sizeof from;
            const ssize_t n = ::recvfrom(fd_, packet, sizeof packet, 0, reinterpret_cast<sockaddr *>(&from),
                                         &fromLength);
            if (n < 0) {
                if (errno == EINTR || errno == EAGAIN)
                    continue;
                systemError = errno;
                return 0;
            }
            if (const auto status = matchEchoPacket(packet, size_t(n), {raw_, identifier_, sequence_, ipv4},
                                                    from.sin_addr.s_addr)) {
                replies[0] = {*status, elapsedMs(sent)};
                return 1;
            }
            if (remainingMs(deadline) == 0) {
                systemError = IP_REQ_TIMED_OUT;
                return 0;
            }
        }
    }

private:
    // Datagram sockets report ICMP errors through the error queue.
    std::int32_t readErrorQueue() const
    {
        unsigned char data[576];
        unsigned char control[512];
        iovec iov{data, sizeof data};
        msghdr msg{};
        msg.msg_iov = &iov;
        msg.msg_iovlen = 1;
        msg.msg_control = control;
        msg.msg_controllen = sizeof control;
        if (::recvmsg(fd_, &msg, MSG_ERRQUEUE) < 0)
            return 0;
        for (cmsghdr *c = CMSG_FIRSTHDR(&msg); c; c = CMSG_NXTHDR(&msg, c)) {
            if (c->cmsg_level != SOL_IP || c->cmsg_type != IP_RECVERR)
                continue;
            sock_extended_err err;
            std::memcpy(&err, CMSG_DATA(c), sizeof err);
            if (err.ee_origin == SO_EE_ORIGIN_ICMP)
                return statusOfIcmpError(err.ee_type, err.ee_code);
            if (err.ee_origin == SO_EE_ORIGIN_LOCAL)
                return IP_DEST_HOST_UNREACHABLE;
        }
        return 0;
    }

    int fd_;
    bool raw_;
    std::uint16_t sequence_ = 0;
    std::uint16_t identifier_ = 0;
};

class SocketService : public IcmpService {
public:
    explicit SocketService(bool raw)
        : raw_(raw)
    {
    }
    static int openSocket(bool raw)
    {
        return ::socket(AF_INET, (raw ? SOCK_RAW : SOCK_DGRAM) | SOCK_CLOEXEC, IPPROTO_ICMP);
    }
    std::unique_ptr<IcmpEcho> open() override
    {
        const int fd = openSocket(raw_);
        if (fd < 0)
            return nullptr;
        if (!raw_) {
            const int on = 1;
            ::setsockopt(fd, SOL_IP, IP_RECVERR, &on, sizeof on);
        }
        return std::make_unique<SocketEcho>(fd, raw_);
    }
    const char *name() const override { return raw_ ? "raw" : "datagram"; }

private:
    bool raw_;
};

bool isReservedInvalidName(const QByteArray &name)
{
    QByteArray lower = name.toLower();
    if (lower.endsWith('.'))
        lower.chop(1);
    return lower == "invalid" || lower.endsWith(".invalid");
}

// The resolver step shared by the synchronous and the threaded probe: the
// outcome code (0 on success) and the address.
std::int32_t resolve(const QByteArray &hostname, std::uint32_t &ipv4)
{
    ipv4 = INADDR_NONE_VALUE;
    if (isReservedInvalidName(hostname))
        return WSAHOST_NOT_FOUND;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo *result = nullptr;
    // No name asks for the local computer, as the program's own address.
    const int rc = hostname.isEmpty() ? ::getaddrinfo(nullptr, "0", &hints, &result)
                                      : ::getaddrinfo(hostname.constData(), nullptr, &hints, &result);
    if (rc != 0) {
        switch (rc) {
        case EAI_NONAME:
#ifdef EAI_NODATA
        case EAI_NODATA:
#endif
            return WSAHOST_NOT_FOUND;
        case EAI_AGAIN:
            return WSATRY_AGAIN;
        default:
            return WSANO_RECOVERY;
        }
    }
    ipv4 = reinterpret_cast<sockaddr_in *>(result->ai_addr)->sin_addr.s_addr;
    ::freeaddrinfo(result);
    return 0;
}

// Steps of one echo, shared by PingIPv4 and the worker thread.
std::int32_t echo(std::uint32_t ipv4, std::uint16_t timeout, std::int32_t &code)
{
    code = PING_NO_ICMP_HANDLE;
    std::unique_ptr<IcmpEcho> handle = service->open();
    if (!handle)
        return -2;
    IcmpReply replies[IcmpEcho::MaxReplies];
    std::int32_t systemError = 0;
    const int n = handle->send(ipv4, timeout, replies, systemError);
    if (n >= 1) {
        std::int32_t result = -1;
        for (int i = 0; i < qMin(n - 1, 2) + 1; ++i) {
            code = MapIcmpStatus(replies[i].status);
            if (code == 0) {
                result = std::int32_t(replies[i].rtt);
                break;
            }
        }
        return result;
    }
    code = MapIcmpStatus(systemError);
    return code == IP_REQ_TIMED_OUT ? -1 : -2;
}

} // namespace

void PingInitialise()
{
    std::unique_ptr<IcmpService> found;
    for (bool raw : {false, true}) {
        const int fd = SocketService::openSocket(raw);
        if (fd >= 0) {
            ::close(fd);
            found = std::make_unique<SocketService>(raw);
            break;
        }
    }
    PingInitialise(std::move(found));
}

void PingInitialise(std::unique_ptr<IcmpService> s)
{
    lastError = PING_NO_ICMP_SERVICE;
    service = std::move(s);
    if (service)
        lastError = 0;
}

void PingFinalise()
{
    // A probe still running at the end keeps the service until the process
    // is gone; its callback will not run any more.
    if (runningThreads == 0)
        service.reset();
}

const char *PingServiceName()
{
    return service ? service->name() : "";
}

std::int32_t PingLastError()
{
    return lastError;
}

std::int32_t MapIcmpStatus(std::int32_t code)
{
    return code >= 11001 && code <= 11004 ? code + 0x20000000 : code;
}

bool ResolveHostname(const QByteArray &Hostname, std::uint32_t &IPv4)
{
    lastError = PING_NO_SOCKETS;
    lastError = resolve(Hostname, IPv4);
    return lastError == 0;
}

std::int32_t PingIPv4(std::uint32_t IPv4, std::uint16_t Timeout)
{
    lastError = PING_NO_ICMP_SERVICE;
    if (!service)
        return -2;
    std::int32_t code = 0;
    const std::int32_t result = echo(IPv4, Timeout, code);
    lastError = code;
    return result;
}

std::int32_t PingHost(const QByteArray &Hostname, std::uint16_t Timeout)
{
    std::uint32_t ipv4 = 0;
    if (ResolveHostname(Hostname, ipv4))
        return PingIPv4(ipv4, Timeout);
    const std::int32_t code = lastError;
    return code == WSAHOST_NOT_FOUND || code == WSATRY_AGAIN ? -1 : -2;
}

bool AsyncPingHost(std::int32_t RefID, const QByteArray &Hostname, std::uint16_t Timeout, TPingCallback Callback)
{
    if (!service)
        return false;
    TPingThread::Create(RefID, Hostname, std::move(Callback), Timeout);
    return true;
}

TPingThread::TPingThread(std::int32_t RefID, std::uint16_t Timeout, TPingCallback Callback)
    : FCallback(std::move(Callback))
{
    FPingResult.RefID = RefID;
    FPingResult.Timeout = Timeout;
    connect(this, &QThread::finished, this, &QObject::deleteLater);
}

TPingThread *TPingThread::Create(std::int32_t RefID, const QByteArray &Hostname, TPingCallback Callback,
                                 std::uint16_t Timeout)
{
    auto *thread = new TPingThread(RefID, Timeout, std::move(Callback));
    thread->FResolve = true;
    thread->FHostname = Hostname;
    thread->start();
    return thread;
}

TPingThread *TPingThread::Create(std::int32_t RefID, std::uint32_t IPv4, TPingCallback Callback, std::uint16_t Timeout)
{
    auto *thread = new TPingThread(RefID, Timeout, std::move(Callback));
    thread->FResolve = false;
    thread->FPingResult.IPv4 = IPv4;
    thread->start();
    return thread;
}

int TPingThread::running()
{
    return runningThreads;
}

void TPingThread::start()
{
    ++runningThreads;
    QThread::start();
}

void TPingThread::run()
{
    FPingResult.RTT = -2;
    FPingResult.ErrorCode = PING_THREAD_STARTED;
    if (FResolve) {
        FResolve = false;
        FPingResult.ErrorCode = PING_NO_SOCKETS;
        const std::int32_t code = resolve(FHostname, FPingResult.IPv4);
        FPingResult.ErrorCode = code;
        if (code == 0)
            FResolve = true;
        else if (code == WSAHOST_NOT_FOUND || code == WSATRY_AGAIN)
            FPingResult.RTT = -1;
    } else {
        FResolve = true;
    }
    if (FResolve && service)
        FPingResult.RTT = echo(FPingResult.IPv4, std::uint16_t(FPingResult.Timeout), FPingResult.ErrorCode);
    if (FCallback) {
        // The callback runs on the GUI thread while this thread waits for it.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [this] { FCallback(FPingResult); }, Qt::BlockingQueuedConnection);
    }
    --runningThreads;
}
