// The user's choice in the configuration dialog when the host reports a
// document accepted while that dialog is open: the acceptance reads komis.cfg
// for the document, and that must not undo the flags the user is choosing.
#include "registered_module.h"

using ::testing::IsEmpty;

namespace {

class ConfigChoiceDuringDocumentEvents : public kwtest::RegisteredModuleTest {
 protected:
  void SetUp() override {
    RegisteredModuleTest::SetUp();
    SellConsignedGoodsFromWarehouse3();
  }

  // The user marks warehouse 5 in the list, the host accepts a document
  // meanwhile, and the user leaves the dialog with OK.
  int MarkWarehouse5WhileADocumentIsAccepted() {
    int record = -1;
    dialog.MarkInList({{5, 1}});
    dialog.WhileOpen([&] {
      record = shop.EnterAndAccept("FS 12/12/2026", hostsim::kSalesDocumentKind, {{3, "obraz"}}, 50.0);
    });
    RunCommand(hostsim::kDialogOk);
    return record;
  }
};

TEST_F(ConfigChoiceDuringDocumentEvents, InsideADocumentDialogTheDocumentIsMarkedAndTheChoiceSaved) {
  shop.OpenDocumentDialog();
  const int record = MarkWarehouse5WhileADocumentIsAccepted();

  EXPECT_EQ(files.Read("komis.cfg").value_or(""), kwtest::KomisCfg({{3, 1}, {5, 1}}));
  ASSERT_GE(record, 0);
  EXPECT_EQ(shop.StoredDocument(record).ConversionPending, 1) << "the document dialog's object did not mark it";
  shop.CloseDocumentDialog();
  EXPECT_EQ(shop.StoredDocument(record).ConversionPending, 0);
  EXPECT_EQ(shop.StoredDocument(record).DocFlags & 0x400, 0x400);
  EXPECT_EQ(dialogBase.LiveObjects(), 0);
}

TEST_F(ConfigChoiceDuringDocumentEvents, WithoutADocumentDialogTheDocumentIsLeftAloneAndTheChoiceSaved) {
  const int record = MarkWarehouse5WhileADocumentIsAccepted();

  EXPECT_EQ(files.Read("komis.cfg").value_or(""), kwtest::KomisCfg({{3, 1}, {5, 1}}));
  ASSERT_GE(record, 0);
  EXPECT_EQ(shop.StoredDocument(record).ConversionPending, 0);
  EXPECT_EQ(std::string(shop.StoredDocument(record).DocNumber), "FS 12/12/2026");
  EXPECT_THAT(documents.Assignments(), IsEmpty());
  EXPECT_EQ(dialogBase.LiveObjects(), 0);
}

// A document accepted from inside the save's own write, before the write's
// work (komis.cfg is then empty): it is judged by the choice being saved, so a
// line from warehouse 5, marked in this very choice, makes it consigned.
TEST_F(ConfigChoiceDuringDocumentEvents, ADocumentAcceptedInsideTheSaveIsJudgedByTheChoiceBeingSaved) {
  shop.OpenDocumentDialog();
  int record = -1;
  // The command's calls before the save's write: found by a save run for it.
  host.ClearCalls();
  dialog.MarkInList({});
  RunCommand(hostsim::kDialogOk);
  int write = 0;
  for (const auto& call : host.Calls()) {
    ++write;
    if (call.name == "HostWriteFile") break;
  }
  files.Write("komis.cfg", kwtest::KomisCfg({{3, 1}}));
  dialog.MarkInList({{5, 1}});
  host.Interrupt(write, [&] {
    record = shop.EnterAndAccept("FS 19/12/2026", hostsim::kSalesDocumentKind, {{5, "rama"}}, 20.0);
  }, true);
  RunCommand(hostsim::kDialogOk);
  host.Interrupt(0, {});
  ASSERT_GE(record, 0);
  EXPECT_EQ(shop.StoredDocument(record).ConversionPending, 1) << "judged by a file half written";
  EXPECT_EQ(files.Read("komis.cfg").value_or(""), kwtest::KomisCfg({{3, 1}, {5, 1}}));
  shop.CloseDocumentDialog();
  EXPECT_EQ(shop.StoredDocument(record).DocFlags & 0x400, 0x400);
}

}  // namespace
