// Built as this machine's GCC builds by default, a library asks the dynamic
// loader for what older systems lack: the sized operator delete of GCC 5 (the
// deleting destructor below) and glibc 2.34's dlsym.
#include <dlfcn.h>

struct Node {
  virtual ~Node();
  int value = 0;
};
Node::~Node() = default;

extern "C" __attribute__((visibility("default"))) void* lookUp(void* module) {
  delete new Node();
  return dlsym(module, "lookUp");
}
