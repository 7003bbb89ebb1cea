// Counts the heap allocations of the whole process (this program, the host
// libraries and the plug-ins they load) between start() and stop(). Every
// C++ allocation reaches malloc or aligned_alloc, which the counter replaces.
#pragma once

namespace allocationcounter {

// False where the counter cannot replace the allocator (a sanitizer build,
// a C library other than glibc); the tests then skip.
bool available();

void start();
// Stops counting and returns the number of allocations since start().
long stop();

}  // namespace allocationcounter
