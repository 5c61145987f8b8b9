// What both implementations of the network seam share: the timeout, and
// what the records they keep say (net_handles.h).

#include <atomic>

#include "platform/net.h"
#include "platform/net_handles.h"

namespace net {
namespace {

std::atomic<uint32_t> timeoutMs{kDefaultTimeoutMs};

}  // namespace

void SetTimeout(uint32_t milliseconds) { timeoutMs = milliseconds ? milliseconds : kDefaultTimeoutMs; }

uint32_t Timeout() { return timeoutMs; }

Refusal LastRefusal(Handle sessionHandle) {
  const std::shared_ptr<detail::SessionRecord> session = detail::Handles().Find<detail::SessionRecord>(sessionHandle);
  return session ? session->refusal.load() : Refusal::kNone;
}

bool QueryStatusCode(Handle handle, int* status) {
  const std::shared_ptr<detail::RequestRecord> request = detail::Handles().Find<detail::RequestRecord>(handle);
  if (!request || !request->statusKnown) return false;
  *status = request->status;
  return true;
}

}  // namespace net
