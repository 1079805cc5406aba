// komis.cfg of every length from 0 to 512 bytes with random content: the
// dialog hands the warehouse list the file's first 202 bytes when it has that
// many, and no flag at all, after the short-read warnings, when it has fewer.
#include <random>

#include "registered_module.h"

namespace {

class KomisCfgLength : public kwtest::RegisteredModuleTest {};

std::vector<int16_t> FlagsOf(const std::string& bytes) {
  std::vector<int16_t> flags(101);
  for (int n = 0; n < 101; ++n) {
    flags[n] = static_cast<int16_t>(static_cast<uint8_t>(bytes[2 * n]) | static_cast<uint8_t>(bytes[2 * n + 1]) << 8);
  }
  return flags;
}

TEST_F(KomisCfgLength, EveryLengthFrom0To512FollowsTheRuleOf202Bytes) {
  std::mt19937 random(20261207);
  const std::string shortRead = kwtest::Mazovia("Błąd podczas czytania konfiguracji!\nOperacja niekompletna!");
  for (std::size_t length = 0; length <= 512; ++length) {
    std::string bytes(length, '\0');
    for (char& byte : bytes) byte = static_cast<char>(random() & 0xFF);
    files.Write("komis.cfg", bytes);
    const std::size_t warningsBefore = messages.Shown().size();

    RunCommand(kCancel);

    const std::vector<int16_t>& shown = dialog.Runs().back().flagsBefore;
    const std::vector<std::string> texts = kwtest::BoxTexts(messages);
    const std::vector<std::string> warnings(texts.begin() + warningsBefore, texts.end());
    if (length >= 202) {
      EXPECT_EQ(shown, FlagsOf(bytes)) << length << " bytes";
      EXPECT_TRUE(warnings.empty()) << length << " bytes";
    } else {
      EXPECT_EQ(shown, std::vector<int16_t>(101, 0)) << length << " bytes";
      EXPECT_EQ(warnings, std::vector<std::string>(2, shortRead)) << length << " bytes";
    }
    EXPECT_EQ(files.Read("komis.cfg"), bytes) << "Esc changed the file of " << length << " bytes";
    host.ClearCalls();
  }
}

// The same rule seen in what the module does with the documents: a file cut
// by one byte marks nothing, the whole file marks the document.
TEST_F(KomisCfgLength, OnlyAWholeFileMarksDocumentsOfItsWarehouses) {
  documents.SetDocKind(hostsim::kSalesDocumentKind);
  const std::string config = kwtest::KomisCfg({{5, 1}});
  for (const std::size_t length : {std::size_t{201}, std::size_t{202}, std::size_t{203}}) {
    std::string bytes = config + std::string(1, '\x55');
    bytes.resize(length);
    files.Write("komis.cfg", bytes);
    shop.OpenDocumentDialog();
    const int record = shop.EnterAndAccept("FS 1/1", hostsim::kSalesDocumentKind, {{5, "obraz"}}, 1.0);
    EXPECT_EQ(shop.StoredDocument(record).ConversionPending, length >= 202 ? 1 : 0) << length;
    shop.CloseDocumentDialog();
  }
}

}  // namespace
