// What the entry points share: the C++ initialisers and the image's own list
// of exit handlers.
#pragma once

namespace msvcrt_startup {

void runInitialisers();

// Runs the handlers registered with atexit, latest first, including any that
// a handler registers while they run. Safe to call more than once.
void runExitHandlers();

}  // namespace msvcrt_startup
