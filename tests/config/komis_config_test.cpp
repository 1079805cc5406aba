// komis.cfg between the disk and the warehouse flags.
#include <cstring>

#include "komis.h"
#include "sim_files.h"
#include "sim_messages.h"
#include "test_support.h"

using ::testing::ElementsAre;
using ::testing::Each;
using ::testing::IsEmpty;

namespace {

class KomisConfig : public kwtest::ModuleCodeTest {
 protected:
  void SetUp() override {
    ModuleCodeTest::SetUp();
    komis = kw::CreateKomis();
  }
  void TearDown() override {
    kw::DestroyKomis(komis);
    EXPECT_EQ(files.OpenFiles(), 0) << "a file was left open";
    ModuleCodeTest::TearDown();
  }
  std::vector<int16_t> Flags() const { return {komis->warehouseFlags, komis->warehouseFlags + kw::kWarehouseCount}; }
  std::vector<std::string> Warnings() const { return kwtest::BoxTexts(messages); }
  void FlagAll(int16_t value) {
    for (int16_t& flag : komis->warehouseFlags) flag = value;
  }

  hostsim::SimFiles& files = host.Use<hostsim::SimFiles>();
  hostsim::SimMessages& messages = host.Use<hostsim::SimMessages>();
  kw::CSprKomis* komis = nullptr;
};

TEST_F(KomisConfig, AWhole202ByteFileGivesWordNToWarehouseN) {
  files.Write("komis.cfg", kwtest::KomisCfg({{0, 1}, {17, 2}, {100, 0xFFFF}}));
  EXPECT_EQ(komis->ReadConfig(), 1);
  EXPECT_EQ(komis->warehouseFlags[0], 1);
  EXPECT_EQ(komis->warehouseFlags[17], 2);
  EXPECT_EQ(komis->warehouseFlags[100], -1);
  EXPECT_EQ(komis->warehouseFlags[1], 0);
  EXPECT_THAT(messages.Shown(), IsEmpty());
  const auto opens = host.CallsTo("HostOpenFile");
  ASSERT_EQ(opens.size(), 1u);
  EXPECT_EQ(opens[0].Text(0), "komis.cfg");
  EXPECT_EQ(opens[0].Text(1), "rb");
  EXPECT_EQ(opens[0].args[2], 0x40u);
  EXPECT_EQ(opens[0].args[3], 0u);
  EXPECT_EQ(opens[0].args[4], 0xFFFFFFFFu);
}

TEST_F(KomisConfig, OnlyTheFirst202BytesOfALongerFileCount) {
  std::string bytes = kwtest::KomisCfg({{5, 1}}, 300);
  std::memset(bytes.data() + 202, 0x7F, 98);
  files.Write("komis.cfg", bytes);
  EXPECT_EQ(komis->ReadConfig(), 1);
  EXPECT_EQ(komis->warehouseFlags[5], 1);
  EXPECT_EQ(komis->warehouseFlags[100], 0);
  EXPECT_THAT(messages.Shown(), IsEmpty());
}

TEST_F(KomisConfig, AShortOrEmptyFileWarnsAndClearsEveryFlag) {
  for (const std::size_t size : {std::size_t{201}, std::size_t{0}}) {
    messages.Answer({1});
    files.Write("komis.cfg", kwtest::KomisCfg({{3, 1}}, size));
    FlagAll(1);
    EXPECT_EQ(komis->ReadConfig(), 0) << size;
    EXPECT_THAT(Flags(), Each(0)) << size;
  }
  const std::string warning = kwtest::Mazovia("Błąd podczas czytania konfiguracji!\nOperacja niekompletna!");
  EXPECT_THAT(Warnings(), ElementsAre(warning, warning));
}

TEST_F(KomisConfig, NoFileWarnsAndLeavesTheFlagsAsTheyWere) {
  FlagAll(3);
  EXPECT_EQ(komis->ReadConfig(), 0);
  EXPECT_THAT(Flags(), Each(3));
  EXPECT_THAT(Warnings(), ElementsAre(kwtest::Mazovia(
                              "Nie można otworzyć pliku konfiguracynego do odczytu!\nOperacja niekompletna!")));
  EXPECT_EQ(files.LogLines("Kalwestrowka.log").size(), 1u);
}

TEST_F(KomisConfig, AWrittenFileIsExactlyTheFlagsWhateverItHeldBefore) {
  files.Write("komis.cfg", std::string(500, 'z'));
  komis->warehouseFlags[4] = 1;
  komis->warehouseFlags[99] = -1;  // 0xFFFF
  EXPECT_EQ(komis->WriteConfig(nullptr), 1);
  EXPECT_EQ(files.Read("komis.cfg"), kwtest::KomisCfg({{4, 1}, {99, 0xFFFF}}));

  FlagAll(0);
  EXPECT_EQ(komis->ReadConfig(), 1);
  EXPECT_EQ(komis->warehouseFlags[99], -1);
  EXPECT_EQ(komis->warehouseFlags[4], 1);
  EXPECT_THAT(messages.Shown(), IsEmpty());
}

TEST_F(KomisConfig, AFileThatCannotBeOpenedForWritingIsLeftUntouched) {
  files.Write("komis.cfg", kwtest::KomisCfg({{1, 1}}));
  files.RefuseOpen("komis.cfg", "wb");
  komis->warehouseFlags[2] = 1;
  EXPECT_EQ(komis->WriteConfig(nullptr), 0);
  EXPECT_EQ(files.Read("komis.cfg"), kwtest::KomisCfg({{1, 1}}));
  EXPECT_THAT(Warnings(), ElementsAre(kwtest::Mazovia("Nie można otworzyć pliku konfiguracji do zapisu!")));
}

TEST_F(KomisConfig, AFailedWriteIsReportedNotPassedOffAsDone) {
  // Every write cut short: what the file holds is seen, and it is not the flags.
  files.Write("komis.cfg", kwtest::KomisCfg({{1, 1}}));
  for (int write = 1; write <= 4; ++write) files.FailWrite(write, 30);
  komis->warehouseFlags[2] = 1;
  EXPECT_EQ(komis->WriteConfig(nullptr), 0);
  EXPECT_THAT(Warnings(), ElementsAre(kwtest::Mazovia(
                              "Błąd zapisu konfiguracji!\nNie udało się przywrócić poprzedniej konfiguracji!")));
  EXPECT_EQ(files.LogLines("Kalwestrowka.log").size(), 1u);

  // Every write writing nothing: an empty file reads as one that cannot be
  // read, so the save is not known to be done, and the warning says so.
  files.Write("komis.cfg", kwtest::KomisCfg({{1, 1}}));
  files.FailWrites(true);
  EXPECT_EQ(komis->WriteConfig(nullptr), 0);
  EXPECT_EQ(Warnings().back(), kwtest::Mazovia("Nie można sprawdzić zapisu konfiguracji!\nPlik mógł nie zostać "
                                               "zapisany: otwórz konfigurację ponownie, aby zobaczyć, co zawiera."));
  EXPECT_EQ(files.LogLines("Kalwestrowka.log").size(), 2u);
}

}  // namespace
