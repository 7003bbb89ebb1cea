// Built the default way for this machine, a library asks the dynamic loader
// for what older systems lack: GCC 5's sized operator delete (the deleting
// destructor below) and glibc 2.34's dlsym.
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
