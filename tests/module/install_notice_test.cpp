// The installation notice and the host setting "Pytaj" that silences it.
#include "install_notice.h"
#include "sim_settings.h"
#include "test_support.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Optional;

namespace {

class InstallNotice : public kwtest::ModuleCodeTest {
 protected:
  std::optional<std::string> Ask() const { return settings.Get("Kalwestrowka", "Pytaj"); }
  const std::string notice = kwtest::Mazovia("Zainstalowano wtyczkę: Obsłuż sprzedaż obcą.");

  hostsim::SimSettings& settings = host.Use<hostsim::SimSettings>();
};

TEST_F(InstallNotice, WithoutTheSettingTheNoticeIsShownAndTheSettingCreated) {
  EXPECT_EQ(kw::ShowInstallNotice(), 0);
  EXPECT_THAT(settings.StockDialogTexts(), ElementsAre(notice));
  const auto dialog = host.CallsTo("HostRunStockDialog");
  ASSERT_EQ(dialog.size(), 1u);
  EXPECT_EQ(dialog[0].args[0], 1668u);
  EXPECT_EQ(dialog[0].args[2], 0u);
  EXPECT_THAT(Ask(), Optional(std::string("0")));
}

TEST_F(InstallNotice, TheValueTheDialogLeavesIsWrittenBack) {
  settings.Set("Kalwestrowka", "Pytaj", "0");
  settings.AnswerStockDialog(1);
  kw::ShowInstallNotice();
  EXPECT_EQ(settings.StockDialogTexts().size(), 1u);
  EXPECT_THAT(Ask(), Optional(std::string("1")));
}

TEST_F(InstallNotice, ANonzeroSettingSilencesItAndIsNotWrittenAgain) {
  for (const char* value : {"1", "-1", "65537"}) {
    SCOPED_TRACE(std::string("Pytaj = ") + value);
    host.ClearCalls();
    settings.Set("Kalwestrowka", "Pytaj", value);
    kw::ShowInstallNotice();
    EXPECT_EQ(host.CountCalls("HostAccessSettingV"), 1) << value;
    EXPECT_THAT(Ask(), Optional(std::string(value)));
  }
  EXPECT_THAT(settings.StockDialogTexts(), IsEmpty());
}

TEST_F(InstallNotice, OnlyTheLow16BitsOfTheSettingCount) {
  settings.Set("Kalwestrowka", "Pytaj", "65536");
  kw::ShowInstallNotice();
  EXPECT_EQ(settings.StockDialogTexts().size(), 1u);
  EXPECT_THAT(Ask(), Optional(std::string("0")));
}

TEST_F(InstallNotice, AnUnreadableSettingCountsAsZero) {
  settings.Set("Kalwestrowka", "Pytaj", "nie");
  kw::ShowInstallNotice();
  EXPECT_EQ(settings.StockDialogTexts().size(), 1u);
  EXPECT_THAT(Ask(), Optional(std::string("0")));
  const auto read = host.CallsTo("HostAccessSettingV").at(0);
  EXPECT_EQ(read.args[0], 1u);
  EXPECT_EQ(read.Text(1), "Kalwestrowka");
  EXPECT_EQ(read.Text(2), "Pytaj");
  EXPECT_EQ(read.Text(3), "%d");
}

}  // namespace
