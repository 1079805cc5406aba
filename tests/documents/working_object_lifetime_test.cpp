// The working objects of the document dialog and of the configuration command
// when the host opens or ends a document dialog while the command's own dialog
// is open: no event may reach an object that has ended, and the document
// dialog's object stays the one documents are marked on.
#include <functional>
#include <utility>

#include "module_heap_guard.h"
#include "registered_module.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

class WorkingObjectLifetime : public kwtest::RegisteredModuleTest {
 protected:
  void SetUp() override {
    RegisteredModuleTest::SetUp();
    SellConsignedGoodsFromWarehouse3();
  }
  void TearDown() override {
    EXPECT_EQ(dialogBase.LiveObjects(), 0) << "a working object was never ended";
    EXPECT_EQ(dialogBase.Constructed(), dialogBase.Destroyed());
    RegisteredModuleTest::TearDown();
  }

  // The command's dialog opens, and while the warehouse list is up the host
  // does what `whileOpen` says; the user then leaves the dialog with Esc.
  void RunCommandWhile(std::function<void()> whileOpen) {
    host.On("HostEditWarehouseFlags", [whileOpen, done = false](hostsim::HostCall&) mutable -> uint32_t {
      if (!done) {
        done = true;
        whileOpen();
      }
      return 0;
    });
    RunCommand(kCancel);
  }
  void RaiseDialogEvent(int code, int phase) { commands.Raise(hostsim::kDocumentDialogEvent, code, phase); }

  // The dialog closes, and the host's own handler of the close accepts a
  // document, then, with `openNext`, opens the next dialog and accepts one
  // there. Answers the records the two were stored in (-1: none).
  std::pair<int, int> CloseAcceptingInTheHostsHandler(bool openNext) {
    int atClose = -1, inNext = -1;
    hostsim::SimCommands::AtOwnClose([&] {
      atClose = shop.EnterAndAccept(openNext ? "FS 16/12/2026" : "FS 15/12/2026", hostsim::kSalesDocumentKind,
                                    {{3, "obraz"}}, 80.0);
      if (!openNext) return;
      hostsim::SimCommands::AtOwnClose(nullptr);
      shop.OpenDocumentDialog();
      inNext = shop.EnterAndAccept("FS 17/12/2026", hostsim::kSalesDocumentKind, {{3, "obraz"}}, 90.0);
    });
    shop.CloseDocumentDialog();
    hostsim::SimCommands::AtOwnClose(nullptr);
    return {atClose, inNext};
  }

  // The host ends the document dialog from inside its n-th host call: while
  // the dialog opens (the first four calls), else while a document is
  // accepted after an earlier one. An end inside the acceptance converts the
  // earlier document as soon as the acceptance's work is done, before the
  // host gets its document back; the next dialog's end converts the one
  // accepted. Answers whether the end came inside.
  bool EndDialogInsideHostCall(int nth) {
    const std::size_t eventsBefore = hostsim::SimCommands::OwnHandlerCalls().size();
    const bool atOpen = nth <= 4;  // the object made, the document kind asked for
    int earlier = -1, accepted = -1;
    if (!atOpen) {
      shop.OpenDocumentDialog();
      earlier = shop.EnterAndAccept("FS " + std::to_string(1000 + nth) + "/12/2026", hostsim::kSalesDocumentKind,
                                    {{3, "obraz"}}, 5.0);
    }
    host.Interrupt(atOpen ? nth : nth - 4, [&] { shop.CloseDocumentDialog(); });
    if (atOpen) shop.OpenDocumentDialog();
    else accepted = AcceptAndCheckStored("FS " + std::to_string(100 + nth) + "/12/2026", 10.0 * nth);
    const bool interrupted = host.Interrupted();
    if (interrupted && !atOpen) ExpectNoneLeftMarked({earlier});
    host.Interrupt(0, {});
    if (interrupted) shop.OpenDocumentDialog();  // the next dialog's end converts what waits
    shop.CloseDocumentDialog();
    EXPECT_THAT(host.Faults(), IsEmpty());
    EXPECT_EQ(dialogBase.LiveObjects(), 0);
    EXPECT_EQ(hostsim::ModuleHeapGuard::LiveBlocks(), 0);
    ExpectNoneLeftMarked({earlier, accepted});
    if (earlier >= 0) {
      EXPECT_EQ(shop.StoredDocument(earlier).DocFlags & 0x400, 0x400);
    }
    // Every event the host raised reached its own handler once.
    const std::size_t raised = (atOpen ? 2 : 6) + (interrupted ? 2 : 0);
    EXPECT_EQ(hostsim::SimCommands::OwnHandlerCalls().size(), eventsBefore + raised);
    return interrupted && host.Faults().empty();
  }
  // The host stores what the acceptance left in its buffer: the document
  // accepted, never one that a conversion read there meanwhile.
  int AcceptAndCheckStored(const std::string& number, double total) {
    const int record = shop.EnterAndAccept(number, hostsim::kSalesDocumentKind, {{3, "obraz"}, {1, "rama"}}, total);
    EXPECT_EQ(std::string(shop.StoredDocument(record).DocAltNumber), number);
    EXPECT_EQ(shop.StoredDocument(record).TotalAmount, total);
    return record;
  }
  // Each document (none: -1) is converted, with its number back, or was never marked.
  void ExpectNoneLeftMarked(std::initializer_list<int> records) {
    for (const int record : records) {
      if (record < 0) continue;
      const kw::DocRecord& document = shop.StoredDocument(record);
      EXPECT_EQ(document.ConversionPending, 0) << "document " << document.DocAltNumber << " left marked";
      if (document.DocFlags & 0x400) {
        EXPECT_EQ(std::string(document.DocNumber), std::string(document.DocAltNumber));
      }
    }
  }

  // Events that find no working object make no call into the host; all of
  // them still reach the host's own handlers.
  void ExpectEventsFindNoObject() {
    host.ClearCalls();
    const std::size_t before = hostsim::SimCommands::OwnHandlerCalls().size();
    commands.Raise(hostsim::kAcceptanceEvent, hostsim::kDialogOk, 1);
    RaiseDialogEvent(hostsim::kDialogOk, 1);
    RaiseDialogEvent(0x4151, 1);
    EXPECT_THAT(host.Trace(), IsEmpty());
    EXPECT_EQ(hostsim::SimCommands::OwnHandlerCalls().size(), before + 3);
  }
};

TEST_F(WorkingObjectLifetime, ADocumentDialogEndedDuringTheCommandLeavesNoObjectBehind) {
  shop.OpenDocumentDialog();
  RunCommandWhile([&] { shop.CloseDocumentDialog(); });

  ExpectEventsFindNoObject();
  EXPECT_THAT(host.Faults(), IsEmpty());

  // The next document dialog works as ever.
  shop.OpenDocumentDialog();
  const int record = shop.EnterAndAccept("FS 8/12/2026", hostsim::kSalesDocumentKind, {{3, "obraz"}}, 10.0);
  EXPECT_EQ(shop.StoredDocument(record).ConversionPending, 1);
  shop.CloseDocumentDialog();
  EXPECT_EQ(shop.StoredDocument(record).ConversionPending, 0);
  EXPECT_EQ(shop.StoredDocument(record).DocFlags & 0x400, 0x400);
}

TEST_F(WorkingObjectLifetime, ADocumentDialogEndedDuringTheCommandStillConvertsWhatWasAcceptedInIt) {
  shop.OpenDocumentDialog();
  const int record = shop.EnterAndAccept("FS 12/12/2026", hostsim::kSalesDocumentKind, {{3, "obraz"}}, 50.0);
  ASSERT_EQ(shop.StoredDocument(record).ConversionPending, 1);
  RunCommandWhile([&] { shop.CloseDocumentDialog(); });

  EXPECT_EQ(shop.StoredDocument(record).ConversionPending, 0) << "the document stayed marked after its dialog ended";
  EXPECT_EQ(std::string(shop.StoredDocument(record).DocNumber), "FS 12/12/2026");
  EXPECT_EQ(shop.StoredDocument(record).DocFlags & 0x400, 0x400);
  ExpectEventsFindNoObject();
  EXPECT_THAT(host.Faults(), IsEmpty());
}

TEST_F(WorkingObjectLifetime, ADocumentDialogOpenedDuringTheCommandKeepsItsObjectAfterIt) {
  RunCommandWhile([&] { shop.OpenDocumentDialog(); });
  EXPECT_EQ(dialogBase.LiveObjects(), 1);

  const int record = shop.EnterAndAccept("FS 9/12/2026", hostsim::kSalesDocumentKind, {{3, "obraz"}}, 20.0);
  EXPECT_EQ(shop.StoredDocument(record).ConversionPending, 1) << "the accepted document was not marked";
  shop.CloseDocumentDialog();
  EXPECT_EQ(shop.StoredDocument(record).ConversionPending, 0) << "the marked document was not converted";
  EXPECT_EQ(std::string(shop.StoredDocument(record).DocNumber), "FS 9/12/2026");
  ExpectEventsFindNoObject();
}

TEST_F(WorkingObjectLifetime, ADocumentDialogOpenedAndEndedDuringTheCommandIsConvertedAndGone) {
  int record = -1;
  RunCommandWhile([&] {
    shop.OpenDocumentDialog();
    record = shop.EnterAndAccept("FS 10/12/2026", hostsim::kSalesDocumentKind, {{3, "obraz"}}, 30.0);
    shop.CloseDocumentDialog();
  });
  ASSERT_GE(record, 0);
  EXPECT_EQ(shop.StoredDocument(record).ConversionPending, 0);
  EXPECT_EQ(shop.StoredDocument(record).DocFlags & 0x400, 0x400);
  ExpectEventsFindNoObject();
}

TEST_F(WorkingObjectLifetime, TheCommandInsideAnOpenDocumentDialogGivesTheDialogsObjectBack) {
  shop.OpenDocumentDialog();
  RunCommand(kCancel);
  const int record = shop.EnterAndAccept("FS 11/12/2026", hostsim::kSalesDocumentKind, {{3, "obraz"}}, 40.0);
  EXPECT_EQ(shop.StoredDocument(record).ConversionPending, 1);
  shop.CloseDocumentDialog();
  EXPECT_EQ(shop.StoredDocument(record).ConversionPending, 0);
  ExpectEventsFindNoObject();
}

// A host's "save and open the next": its own handler of the closing phase
// opens the next document dialog and loads a new document before the module
// gets the event back; the conversion at the end leaves that document in the
// host's hands, and the host accepts and stores it.
TEST_F(WorkingObjectLifetime, TheNextDocumentDialogOpenedAtTheCloseGetsAnObjectOfItsOwn) {
  hostsim::ModuleHeapGuard::Install(module.handle());
  shop.OpenDocumentDialog();
  const int first = shop.EnterAndAccept("FS 13/12/2026", hostsim::kSalesDocumentKind, {{3, "obraz"}}, 60.0);
  std::string loaded;
  hostsim::SimCommands::AtOwnClose([&] {
    hostsim::SimCommands::AtOwnClose(nullptr);
    shop.OpenDocumentDialog();
    loaded = shop.Enter("FS 14/12/2026", hostsim::kSalesDocumentKind, {{3, "obraz"}}, 70.0);
  });
  shop.CloseDocumentDialog();
  EXPECT_EQ(shop.StoredDocument(first).ConversionPending, 0) << "the ending dialog's document was not converted";
  EXPECT_EQ(shop.StoredDocument(first).DocFlags & 0x400, 0x400);
  EXPECT_EQ(dialogBase.LiveObjects(), 1) << "the dialog opened at the close has no working object";
  EXPECT_EQ(hostsim::ModuleHeapGuard::LiveBlocks(), 1);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(tables.RecordBuffer(44)), kw::kDocRecordLength), loaded)
      << "the document the host loaded at the close is not in its hands after the end";

  shop.ReportAcceptance();
  const int second = shop.StoreInHand();
  EXPECT_EQ(shop.StoredDocument(second).ConversionPending, 1) << "the new dialog's document was not marked";
  ASSERT_FALSE(documents.Assignments().empty());
  EXPECT_EQ(documents.Assignments().back().contractorSymbol, "TMO");
  shop.CloseDocumentDialog();
  EXPECT_EQ(shop.StoredDocument(second).ConversionPending, 0);
  EXPECT_EQ(std::string(shop.StoredDocument(second).DocNumber), "FS 14/12/2026");
  EXPECT_EQ(hostsim::ModuleHeapGuard::LiveBlocks(), 0);
  EXPECT_EQ(hostsim::ModuleHeapGuard::BadReleases(), 0);
  EXPECT_THAT(host.Faults(), IsEmpty());
}

// A host's "save the open document before closing?": its own handler of the
// closing phase accepts the document in hand before the module gets the
// event back, and may then open its next dialog and accept a document there.
// The acceptance at the close belongs to the ending dialog and is converted
// with it; one in the dialog opened meanwhile belongs to that dialog.
TEST_F(WorkingObjectLifetime, AnAcceptanceAtTheCloseBelongsToTheEndingDialogAndOneAfterTheNextOpenToTheNext) {
  hostsim::ModuleHeapGuard::Install(module.handle());
  for (const bool openNext : {false, true}) {
    SCOPED_TRACE(openNext ? "the next dialog opened after the acceptance" : "the acceptance only");
    shop.OpenDocumentDialog();
    const std::size_t assignments = documents.Assignments().size();
    const auto [atClose, inNext] = CloseAcceptingInTheHostsHandler(openNext);
    ASSERT_GE(atClose, 0);
    const kw::DocRecord& ending = shop.StoredDocument(atClose);
    EXPECT_EQ(ending.ConversionPending, 0);
    EXPECT_EQ(ending.DocFlags & 0x400, 0x400) << "the document accepted at the close was never marked";
    EXPECT_EQ(std::string(ending.DocNumber), openNext ? "FS 16/12/2026" : "FS 15/12/2026");
    EXPECT_EQ(documents.Assignments().back().contractorSymbol, "TMO");
    if (!openNext) {
      EXPECT_EQ(dialogBase.LiveObjects(), 0);
      continue;
    }
    // The ending dialog's conversion takes every marked document, the one
    // accepted in the next dialog meanwhile too.
    ASSERT_GE(inNext, 0);
    ASSERT_EQ(documents.Assignments().size(), assignments + 2) << "the next dialog's document was not marked";
    EXPECT_EQ(documents.Assignments().back().contractorSymbol, "TMO");
    EXPECT_EQ(dialogBase.LiveObjects(), 1) << "the dialog opened at the close has no working object";
    shop.CloseDocumentDialog();
    EXPECT_EQ(shop.StoredDocument(inNext).ConversionPending, 0);
    EXPECT_EQ(shop.StoredDocument(inNext).DocFlags & 0x400, 0x400);
    EXPECT_EQ(std::string(shop.StoredDocument(inNext).DocNumber), "FS 17/12/2026");
  }
  EXPECT_EQ(hostsim::ModuleHeapGuard::LiveBlocks(), 0);
  EXPECT_EQ(hostsim::ModuleHeapGuard::BadReleases(), 0);
  EXPECT_THAT(host.Faults(), IsEmpty());
}

// Hosts that store the accepted document only once the dialog's frame has
// closed (the end raised after the acceptance returns, or by the host's own
// handler of the acceptance), and one whose own handler of the OK command
// accepts, stores and ends the dialog. The host stores the document it
// accepted, marked; what was stored before the end is converted at the end,
// and a document stored after it at the next.
TEST_F(WorkingObjectLifetime, TheHostStoresTheDocumentItAcceptedHoweverItStoresAndEndsTheDialog) {
  enum Habit { kEndAfterAcceptance, kEndInOwnAcceptanceHandler, kOkCommandEnds };
  const char* const kHabit[] = {"the end after the acceptance, stored after it",
                                "the end by the host's own handler of the acceptance, stored after it",
                                "the OK command's own handler accepting, storing and ending"};
  for (const Habit habit : {kEndAfterAcceptance, kEndInOwnAcceptanceHandler, kOkCommandEnds}) {
    SCOPED_TRACE(kHabit[habit]);
    shop.OpenDocumentDialog();
    const int earlier = shop.EnterAndAccept("FS 20/12/2026", hostsim::kSalesDocumentKind, {{3, "obraz"}}, 30.0);
    shop.Enter("FS 21/12/2026", hostsim::kSalesDocumentKind, {{3, "obraz"}}, 40.0);
    int accepted = -1;
    if (habit == kOkCommandEnds) {
      hostsim::SimCommands::AtOwnHandler([&](const hostsim::HostEventCall&) {
        commands.Raise(hostsim::kAcceptanceEvent, hostsim::kDialogOk, 1);
        accepted = shop.StoreInHand();
        shop.CloseDocumentDialog();
      });
      RaiseDialogEvent(hostsim::kDialogOk, 1);
    } else {
      RaiseDialogEvent(hostsim::kDialogOk, 1);
      if (habit == kEndInOwnAcceptanceHandler) {
        hostsim::SimCommands::AtOwnHandler([&](const hostsim::HostEventCall&) { shop.CloseDocumentDialog(); });
      }
      commands.Raise(hostsim::kAcceptanceEvent, hostsim::kDialogOk, 1);
      if (habit == kEndAfterAcceptance) shop.CloseDocumentDialog();
      accepted = shop.StoreInHand();
    }
    hostsim::SimCommands::AtOwnHandler(nullptr);
    ASSERT_GE(accepted, 0);
    EXPECT_EQ(std::string(shop.StoredDocument(accepted).DocAltNumber), "FS 21/12/2026")
        << "the host stored another document than the one it accepted";
    EXPECT_EQ(shop.StoredDocument(accepted).TotalAmount, 40.0);
    ExpectNoneLeftMarked({earlier});
    if (habit == kOkCommandEnds) {
      ExpectNoneLeftMarked({accepted});
    } else {
      EXPECT_EQ(shop.StoredDocument(accepted).ConversionPending, 1) << "stored after the end, it waits marked";
      shop.OpenDocumentDialog();
      shop.CloseDocumentDialog();
      ExpectNoneLeftMarked({accepted});
    }
    EXPECT_EQ(shop.StoredDocument(accepted).DocFlags & 0x400, 0x400) << "the accepted document was never converted";
    EXPECT_EQ(dialogBase.LiveObjects(), 0);
  }
  EXPECT_THAT(host.Faults(), IsEmpty());
}

// The host ends the dialog from inside the acceptance's assignment of TMO
// (its event loop runs in that call), and its own handler of the end stores
// the document in hand and loads the next one. The acceptance marks nothing
// in the next document, which the user has not accepted, and says that the
// assignment did not go through: the stored document got TMO from the host
// without the marks, which the shop must see.
TEST_F(WorkingObjectLifetime, AnEndInsideTheAcceptanceLeavesTheNextDocumentAsLoaded) {
  shop.OpenDocumentDialog();
  shop.Enter("FS 1/1/2027", hostsim::kSalesDocumentKind, {{3, "obraz"}}, 50.0);
  int stored = -1;
  std::string loaded;
  hostsim::SimCommands::AtOwnClose([&] {
    hostsim::SimCommands::AtOwnClose(nullptr);
    stored = shop.StoreInHand();
    shop.OpenDocumentDialog();
    loaded = shop.Enter("FS 2/1/2027", hostsim::kSalesDocumentKind, {{1, "rama"}}, 60.0);
  });
  host.InterruptAt([](const hostsim::HostCall& call) { return call.info->name == std::string("HostAssignContractor"); },
                   [&] { shop.CloseDocumentDialog(); });
  shop.ReportAcceptance();
  host.Interrupt(0, {});
  hostsim::SimCommands::AtOwnClose(nullptr);
  ASSERT_TRUE(host.Interrupted());
  ASSERT_GE(stored, 0);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(tables.RecordBuffer(44)), kw::kDocRecordLength), loaded)
      << "the acceptance of one document changed the next one in the host's hands";
  EXPECT_THAT(kwtest::BoxTexts(messages), ::testing::Contains(kwtest::Mazovia("Błąd przepisania kontr: TMO")));
  shop.CloseDocumentDialog();
}

// The module is uninstalled while a document dialog is open: the dialog's
// object ends as at the dialog's end (the host's state cells as they were,
// its base part torn down), and nothing of the module is left in the host's
// dialog. The marked document waits for the module's next run.
TEST_F(WorkingObjectLifetime, UninstallingWhileADocumentDialogIsOpenEndsItsObject) {
  hostsim::ModuleHeapGuard::Install(module.handle());
  dialogBase.StateLong() = 0x11223344;
  dialogBase.StateWord() = 0x5566;
  shop.OpenDocumentDialog();
  const int record = shop.EnterAndAccept("FS 18/12/2026", hostsim::kSalesDocumentKind, {{3, "obraz"}}, 50.0);
  dialogBase.StateLong() = 0x0BADF00D;
  dialogBase.StateWord() = 0x0BAD;
  ASSERT_EQ(dialogBase.LiveObjects(), 1);

  module.Install(nullptr, nullptr);

  EXPECT_EQ(dialogBase.LiveObjects(), 0) << "the open dialog's object outlived the module";
  EXPECT_EQ(dialogBase.Constructed(), dialogBase.Destroyed());
  EXPECT_EQ(dialogBase.StateLong(), 0x11223344u);
  EXPECT_EQ(dialogBase.StateWord(), 0x5566);
  EXPECT_EQ(hostsim::ModuleHeapGuard::LiveBlocks(), 0);
  EXPECT_EQ(shop.StoredDocument(record).ConversionPending, 1) << "converted with the dialog still open";
  // The dialog's end now reaches only the host's own handler.
  const std::size_t before = hostsim::SimCommands::OwnHandlerCalls().size();
  host.ClearCalls();
  shop.CloseDocumentDialog();
  EXPECT_THAT(host.Trace(), IsEmpty());
  EXPECT_EQ(hostsim::SimCommands::OwnHandlerCalls().size(), before + 1);
  EXPECT_THAT(host.Faults(), IsEmpty());

  // Uninstalled from inside each host call that makes a dialog's object: the
  // object made ends at once, and a dialog still opening after it gets none.
  for (int nth = 1; nth <= 4; ++nth) {
    SCOPED_TRACE("uninstalled inside host call " + std::to_string(nth) + " of the dialog's opening");
    ASSERT_EQ(module.Register(0), 0);
    host.Interrupt(nth, [&] { module.Install(nullptr, nullptr); });
    shop.OpenDocumentDialog();
    host.Interrupt(0, {});
    EXPECT_EQ(dialogBase.LiveObjects(), 0);
    EXPECT_EQ(dialogBase.Constructed(), dialogBase.Destroyed());
    EXPECT_EQ(hostsim::ModuleHeapGuard::LiveBlocks(), 0);
    shop.OpenDocumentDialog();  // the hooks are gone: nothing of the module answers
    EXPECT_EQ(dialogBase.LiveObjects(), 0);
  }
  EXPECT_THAT(host.Faults(), IsEmpty());
  EXPECT_EQ(module.Register(0), 0);  // the fixture uninstalls a registered module at its end
}

// The host ends the document dialog from inside each host call in turn that
// the module makes while the dialog opens and while a document is accepted in
// it. The module may not write into the released object (its heap is under
// guard pages, so that would fault here), and every object ends once.
TEST_F(WorkingObjectLifetime, ADialogEndedFromInsideAHostCallLeavesNothingBehind) {
  hostsim::ModuleHeapGuard::Install(module.handle());
  int endedInside = 0;
  for (int nth = 1; nth < 200; ++nth) {
    SCOPED_TRACE("the dialog ended inside host call " + std::to_string(nth));
    if (!EndDialogInsideHostCall(nth)) break;
    ++endedInside;
  }
  EXPECT_EQ(hostsim::ModuleHeapGuard::BadReleases(), 0);
  EXPECT_GT(endedInside, 20) << "the acceptance made fewer host calls than expected";
}

}  // namespace
