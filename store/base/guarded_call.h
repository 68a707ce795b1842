// The calls a host makes on the library's behalf of a whole task (an import,
// a script run, reading a file's facts) never let an exception reach the
// host: what escapes the task (memory ran out, a file system error thrown by
// the standard library) is shown as one error box and the call gives its
// failure result.
#pragma once

#include <exception>
#include <utility>

// Shows the error box of an exception that escaped a task (what: its text,
// null when it had none). Throws nothing.
void ShowEscapedError(const char* what) noexcept;

template <typename T, typename Fn>
T GuardedCall(T failure, Fn&& fn) noexcept {
  try {
    return std::forward<Fn>(fn)();
  } catch (const std::exception& e) {
    ShowEscapedError(e.what());
  } catch (...) {
    ShowEscapedError(nullptr);
  }
  return failure;
}
