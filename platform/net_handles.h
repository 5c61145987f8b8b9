#pragma once
// Inside the network seam only: handles are numbers from a process-wide
// table, as WinINet's own are, never pointers. The transfer may be inside a
// call on its session while the download manager closes that session from
// another thread; the call then holds its own reference to the record, and a
// later call finds the number gone instead of freed memory.

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "platform/net.h"

namespace net {
namespace detail {

// What every record has: whether it is a session or a request.
struct Record {
  enum class Kind { kSession, kRequest };
  explicit Record(Kind k) : kind(k) {}
  virtual ~Record() = default;
  const Kind kind;
};

// What both implementations keep of a session for LastRefusal.
struct SessionRecord : Record {
  static constexpr Kind kKind = Kind::kSession;
  SessionRecord() : Record(kKind) {}
  std::atomic<Refusal> refusal{Refusal::kNone};  // of the last OpenUrl
};

// What both implementations keep of a request for QueryStatusCode: its
// status, from the response head.
struct RequestRecord : Record {
  static constexpr Kind kKind = Kind::kRequest;
  RequestRecord() : Record(kKind) {}
  int status = 0;
  bool statusKnown = false;
};

class HandleTable {
 public:
  Handle Add(std::shared_ptr<Record> record) {
    std::lock_guard<std::mutex> guard(lock_);
    const uintptr_t number = next_++;  // not reused while the process runs
    records_.emplace(number, std::move(record));
    return reinterpret_cast<Handle>(number);
  }

  // The record of `handle` if it is still open and of that kind, else null.
  template <class T>
  std::shared_ptr<T> Find(Handle handle) {
    std::lock_guard<std::mutex> guard(lock_);
    auto found = records_.find(reinterpret_cast<uintptr_t>(handle));
    if (found == records_.end() || found->second->kind != T::kKind) return nullptr;
    return std::static_pointer_cast<T>(found->second);
  }

  // Takes the record out: the handle is closed from now on.
  std::shared_ptr<Record> Remove(Handle handle) {
    std::lock_guard<std::mutex> guard(lock_);
    auto found = records_.find(reinterpret_cast<uintptr_t>(handle));
    if (found == records_.end()) return nullptr;
    std::shared_ptr<Record> record = std::move(found->second);
    records_.erase(found);
    return record;
  }

 private:
  std::mutex lock_;
  std::unordered_map<uintptr_t, std::shared_ptr<Record>> records_;
  uintptr_t next_ = 1;
};

inline HandleTable& Handles() {
  static HandleTable table;
  return table;
}

}  // namespace detail
}  // namespace net
