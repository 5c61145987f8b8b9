#pragma once
// Windows only: memory the shell hands over, allocated with the COM task
// allocator (the item list SHBrowseForFolderA returns): owned, and freed with
// CoTaskMemFree in one place, the owner's end.

#include <objbase.h>

#include <memory>
#include <type_traits>

namespace platform {

struct TaskMemoryFree {
  void operator()(void* block) const { CoTaskMemFree(block); }
};

// `Pointer` is the pointer type the shell returns (PIDLIST_ABSOLUTE, ...).
template <class Pointer>
using OwnedTaskMemory = std::unique_ptr<std::remove_pointer_t<Pointer>, TaskMemoryFree>;

}  // namespace platform
