// kalwcheck's SHA-256 against the digests FIPS 180-4's examples give, at the
// lengths where the padding takes one block or two.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sha256.h"

namespace kw::tools::test {
namespace {

std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

TEST(Sha256, KnownDigests) {
  struct Case {
    std::string message;
    const char* digest;
  };
  const Case cases[] = {
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      // 56 bytes: the length no longer fits the block, the padding takes a second one.
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Sha256Hex(Bytes(c.message)), c.digest) << "message of " << c.message.size() << " bytes";
  }
}

}  // namespace
}  // namespace kw::tools::test
