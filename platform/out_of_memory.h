#pragma once
// The allocation rule. Code allocates with plain `new`, std::make_unique,
// std::make_shared and the standard containers, and never checks for a
// failure: running out of memory is a fatal failure like the others, told
// with a box and ended with an exit code of its own, -61 (no transfer or
// window can go on without the memory it asked for). Each program installs
// the handler below first thing at its entry. The one exception is the JSON
// layer, which allocates a document's nodes with `new (std::nothrow)`: a
// document too large for the memory fails to load, and its caller reports
// that as it reports any unreadable document.

namespace platform {

constexpr int kOutOfMemoryExitCode = -61;
extern const char kOutOfMemoryText[];  // "operator new :: out of memory (-61)"

// A box function: text and flags (platform/message_box.h), the button pressed.
using OutOfMemoryBox = int (*)(const char* text, unsigned flags);

// Installs the process-wide new-handler: a failed allocation shows
// kOutOfMemoryText with the warning icon through `box` (an unowned box with
// an empty caption when null) and ends the process with
// kOutOfMemoryExitCode. Another thread that runs out meanwhile waits for that
// end; a box that itself runs out ends the process at once.
void ExitWhenOutOfMemory(OutOfMemoryBox box);

}  // namespace platform
