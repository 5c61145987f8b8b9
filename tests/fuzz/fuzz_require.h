#pragma once
// What every fuzzer checks with: a broken invariant traps, which libFuzzer
// reports as a crash with the input that broke it.

inline void Require(bool condition) {
  if (!condition) __builtin_trap();
}
