#pragma once

#include <QString>

// Whether a TCP connection to host:port can be made within timeoutMs, name
// lookup included: the unprivileged check of a working connection, for users
// who may not send ICMP and networks that drop it. The GUI keeps painting
// meanwhile; names under the reserved domain .invalid are never looked up.
bool tcpReachable(const QString &host, quint16 port, int timeoutMs);
