#pragma once

namespace orvane::toolkit::detail {

// For measuring start-up from outside: when the environment variable
// ORVANE_EXIT_AFTER_FIRST_PAINT is set to 1, the program prints one line
//   orvane first-paint monotonic-ns=<clock> main-ms=<since main>
// to standard output as soon as its first window has been painted, and then
// ends as if its last window had been closed. Without the variable this
// does nothing. Call before the first window is shown.
void ExitAfterFirstPaintIfAsked();

}  // namespace orvane::toolkit::detail
