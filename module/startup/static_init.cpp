#include "static_init.h"

// Defined by the linker's default script for PE images: a word -1, the
// addresses taken from .ctors (and .dtors), then a word 0.
extern "C" void (*__CTOR_LIST__[])();
extern "C" void (*__DTOR_LIST__[])();

namespace kw {

void RunStaticInitialisers() {
  int count = 0;
  while (__CTOR_LIST__[count + 1]) ++count;
  for (int i = count; i >= 1; --i) __CTOR_LIST__[i]();
}

void RunStaticDestructors() {
  for (int i = 1; __DTOR_LIST__[i]; ++i) __DTOR_LIST__[i]();
}

}  // namespace kw
