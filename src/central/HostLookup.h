#pragma once

#include "central/CentralError.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QList>
#include <atomic>

// Resolves a host name to its numeric addresses without ever waiting past a
// deadline or a cancel: libpq resolves inside its non-blocking connect with
// the blocking getaddrinfo, which can hang for many seconds on a name server
// that does not answer. The lookup runs on a thread of its own that is left
// to finish by itself when the caller stops waiting.
namespace HostLookup {
struct Result
{
    QList<QByteArray> addresses; // numeric, in the resolver's order, no repeats
    CentralError error;          // UnknownHost, NoAnswer or Cancelled
};

[[nodiscard]] Result resolve(const QByteArray &host, QDeadlineTimer deadline,
                             const std::atomic<bool> *cancel = nullptr);
} // namespace HostLookup
