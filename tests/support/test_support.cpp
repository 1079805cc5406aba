#include "test_support.h"

#include "host_binding.h"
#include "raw_attach.h"

namespace kwtest {

void ModuleCodeTest::SetUp() {
  HostTest::SetUp();
  kw::AttachHostLibrary();
  kw::IgnoreBindFailures = 0;
}

}  // namespace kwtest
