// The network seam's timeout, shared by both of its implementations.

#include <atomic>

#include "platform/net.h"

namespace net {
namespace {

std::atomic<uint32_t> timeoutMs{kDefaultTimeoutMs};

}  // namespace

void SetTimeout(uint32_t milliseconds) { timeoutMs = milliseconds ? milliseconds : kDefaultTimeoutMs; }

uint32_t Timeout() { return timeoutMs; }

}  // namespace net
