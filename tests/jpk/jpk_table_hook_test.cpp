// The module's handler in the Ewid_JPK table object: installation and removal,
// and event 231 with its wait box, the cleanup, the host's signals and the call
// passed on to the handler that was there before.
#include "jpk_fixture.h"

using hostsim::SimJpkRegister;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

class JpkTableHook : public kwtest::JpkRegisterTest {
 protected:
  void TearDown() override {
    kw::SetJpkTableHook(0);
    JpkRegisterTest::TearDown();
  }
  TableEventHandler* Slot() const { return tables.Find(400)->EventHandler; }
  std::vector<const kw::TableSizeCheck*> MismatchList() const {
    std::vector<const kw::TableSizeCheck*> list;
    for (const kw::TableSizeCheck* c = kw::SizeMismatchList; c && list.size() < 10; c = c->NextCheck) {
      list.push_back(c);
    }
    return list;
  }
};

TEST_F(JpkTableHook, InstallationPutsTheHandlerInFrontOfTheHostsOwnOnce) {
  EXPECT_EQ(kw::SetJpkTableHook(1), 0);
  EXPECT_EQ(Slot(), &OnJpkTableEvent);
  EXPECT_EQ(kw::PrevJpkHandler, SimJpkRegister::PreviousHandler());
  EXPECT_EQ(kw::JpkTable, tables.Find(400));

  // A second installation changes nothing: the handler never calls itself.
  EXPECT_EQ(kw::SetJpkTableHook(1), 0);
  EXPECT_EQ(kw::PrevJpkHandler, SimJpkRegister::PreviousHandler());
  EXPECT_EQ(jpk.RaiseEvent(7), SimJpkRegister::kPreviousResult);
  EXPECT_EQ(jpk.PreviousCalls().size(), 1u);
  EXPECT_THAT(MismatchList(), IsEmpty());
}

TEST_F(JpkTableHook, RemovalPutsTheHostsHandlerBackAndWithoutInstallationTouchesNothing) {
  EXPECT_EQ(kw::SetJpkTableHook(0), 0);
  EXPECT_EQ(Slot(), SimJpkRegister::PreviousHandler());

  kw::SetJpkTableHook(1);
  EXPECT_EQ(kw::SetJpkTableHook(0), 0);
  EXPECT_EQ(Slot(), SimJpkRegister::PreviousHandler());
  EXPECT_EQ(kw::JpkTable, nullptr);

  // Installed again after the removal, with the host's handler behind it.
  EXPECT_EQ(kw::SetJpkTableHook(1), 0);
  EXPECT_EQ(Slot(), &OnJpkTableEvent);
  EXPECT_EQ(kw::PrevJpkHandler, SimJpkRegister::PreviousHandler());
}

class JpkTableHookLength : public JpkTableHook, public ::testing::WithParamInterface<int> {};

TEST_P(JpkTableHookLength, AnotherRecordLengthRefusesAndEntersTheMismatch) {
  tables.Define(400, GetParam());
  jpk.InstallPreviousHandler();

  EXPECT_EQ(kw::SetJpkTableHook(1), -1);

  EXPECT_EQ(Slot(), SimJpkRegister::PreviousHandler());
  EXPECT_EQ(kw::JpkTable, nullptr);
  ASSERT_THAT(MismatchList(), ElementsAre(&kw::JpkSizeCheck));
  EXPECT_EQ(kw::JpkSizeCheck.ExpectedSize, 1170);
  EXPECT_EQ(kw::JpkSizeCheck.HostSize, GetParam());
  EXPECT_STREQ(kw::JpkSizeCheck.TableName, "Ewid_JPK");

  // The removal that follows a refused installation leaves the slot alone.
  EXPECT_EQ(kw::SetJpkTableHook(0), 0);
  EXPECT_EQ(Slot(), SimJpkRegister::PreviousHandler());
}

INSTANTIATE_TEST_SUITE_P(OneByteOff, JpkTableHookLength, ::testing::Values(1169, 1171));

TEST_F(JpkTableHook, WithoutTheRegisterTableTheMismatchReportSaysBrak) {
  tables.Remove(400);
  EXPECT_EQ(kw::SetJpkTableHook(1), -1);
  EXPECT_EQ(kw::JpkTable, nullptr);
  ASSERT_THAT(MismatchList(), ElementsAre(&kw::JpkSizeCheck));
  EXPECT_EQ(kw::JpkSizeCheck.HostSize, 0);

  char report[kw::kMessageBufferSize];
  EXPECT_EQ(kw::BuildSizeMismatchReport(report), -1);
  EXPECT_THAT(std::string(report), ::testing::HasSubstr("Ewid_JPK\t1170\tbrak\n"));
}

TEST_F(JpkTableHook, ARepeatedRefusalKeepsTheMismatchOnceAndEverythingAppendedBehindIt) {
  tables.Define(400, 1169);
  EXPECT_EQ(kw::SetJpkTableHook(1), -1);
  EXPECT_EQ(kw::DeclareTableSizes(), 2);  // the declared Ewid_JPK record joins behind the handler's

  EXPECT_EQ(kw::SetJpkTableHook(1), -1);

  const auto list = MismatchList();
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0], &kw::JpkSizeCheck);
  EXPECT_STREQ(list[1]->TableName, "Ewid_JPK");
  EXPECT_EQ(list[1]->HostSize, 1169);
  EXPECT_EQ(kw::DeclareTableSizes(), 2);
}

TEST_F(JpkTableHook, OtherEventsGoStraightOnWithAllElevenArguments) {
  MakeTmoCurrent();
  const int tmo = AddTmoEntry("FV/1");
  jpk.SetList({tmo});
  kw::SetJpkTableHook(1);
  host.ClearCalls();

  for (const int event : {230, 232, 0}) {
    SCOPED_TRACE(event);
    const auto args = jpk.EventArgs(event);
    EXPECT_EQ(jpk.RaiseEvent(args), SimJpkRegister::kPreviousResult);
    ASSERT_FALSE(jpk.PreviousCalls().empty());
    EXPECT_EQ(jpk.PreviousCalls().back().args, args);
  }
  EXPECT_EQ(jpk.PreviousCalls().size(), 3u);
  EXPECT_THAT(host.Calls(), IsEmpty());
  EXPECT_THAT(jpk.List(), ElementsAre(tmo));
  EXPECT_EQ(jpk.Handled(), SimJpkRegister::kHandledAtStart);
}

TEST_F(JpkTableHook, Event231RemovesTmoUnderTheWaitBoxSignalsTheHostAndPassesOn) {
  AddTmo();
  const int other1 = AddOtherEntry("FV/1"), tmo = AddTmoEntry("FV/2"), other2 = AddOtherEntry("FV/3");
  jpk.SetList({other1, tmo, other2});
  kw::SetJpkTableHook(1);
  // The host has a contractor of its own and the last entry on its screen.
  tables.MakeCurrent(35, tables.AddContractor("KOWALSKI", {})), tables.MakeCurrent(400, other2 - 1);
  const std::string contractorInHand(reinterpret_cast<char*>(tables.RecordBuffer(35)), sizeof(kw::ContractorRecord));
  const std::string entryInHand(reinterpret_cast<char*>(tables.RecordBuffer(400)), kw::kJpkRecordLength);
  const auto args = jpk.EventArgs(231);

  EXPECT_EQ(jpk.RaiseEvent(args), SimJpkRegister::kPreviousResult);

  ASSERT_EQ(messages.Shown().size(), 1u);
  EXPECT_EQ(messages.Shown()[0].title, "Czekaj");
  EXPECT_EQ(messages.Shown()[0].text, kwtest::Mazovia("Trwa usuwanie dokumentów TMO - wtyczka Kalwestrowka..."));
  EXPECT_EQ(messages.Shown()[0].style, hostsim::kWaitBoxStyle);
  EXPECT_EQ(messages.OpenWaitBoxes(), 0);
  EXPECT_THAT(jpk.Deleted(), ElementsAre(tmo));
  EXPECT_EQ(jpk.Handled(), 1);
  EXPECT_EQ(jpk.SignalWord(), 0);
  EXPECT_THAT(jpk.Signals(), ElementsAre(-5));
  EXPECT_EQ(jpk.DisplayRefreshes(), 1);

  // The wait box opens before the pass; after it the host is told, in this order.
  EXPECT_THAT(CallsFrom("HostMessageBox"), ::testing::Contains("HostBeginSelectionUpdate"));
  EXPECT_THAT(CallsFrom("HostCloseWaitBox"),
              ElementsAre("HostCloseWaitBox", "HostRefreshDisplay", "HostGetSignalWordPtr", "HostPostSignal"));

  // The host's own handler comes last, with the same eleven values and the list as it now is.
  ASSERT_EQ(jpk.PreviousCalls().size(), 1u);
  const auto& previous = jpk.PreviousCalls()[0];
  EXPECT_EQ(previous.args, args);
  EXPECT_EQ(previous.callsBefore, host.Calls().size());
  EXPECT_EQ(previous.count, 2);
  EXPECT_THAT(previous.entries, ElementsAre(other1, other2));
  // Its own records are back in the buffers by then, whatever the pass read.
  EXPECT_EQ(previous.contractorInHand, contractorInHand);
  EXPECT_EQ(previous.entryInHand, entryInHand);
}

// The host's refresh of its list makes the entry under its cursor current, as
// a register screen does after deletions. The user had the TMO entry in
// hand, which the pass deletes: the host's own handler finds the entry its
// refresh made current, not the deleted one put back over it.
TEST_F(JpkTableHook, TheEntryTheHostsRefreshMakesCurrentStaysCurrent) {
  AddTmo();
  const int other1 = AddOtherEntry("FV/1"), tmo = AddTmoEntry("FV/2"), other2 = AddOtherEntry("FV/3");
  jpk.SetList({other1, tmo, other2});
  kw::SetJpkTableHook(1);
  tables.MakeCurrent(400, tmo - 1);
  host.InterruptAt([](const hostsim::HostCall& call) { return call.info->name == std::string("HostRefreshList"); },
                   [&] { tables.MakeCurrent(400, jpk.List().front() - 1); });
  jpk.RaiseEvent(231);
  host.Interrupt(0, {});
  ASSERT_TRUE(host.Interrupted()) << "the host never refreshed its list";
  ASSERT_EQ(jpk.PreviousCalls().size(), 1u);
  EXPECT_THAT(jpk.Deleted(), ElementsAre(tmo));
  const std::string& inHand = jpk.PreviousCalls()[0].entryInHand;
  EXPECT_EQ(inHand, tables.Record(400, other1 - 1))
      << "the host holds document " << reinterpret_cast<const kw::JpkRecord*>(inHand.data())->JpkDocNumber;
}

TEST_F(JpkTableHook, Event231AfterACleanupCutShortStillSignalsTheHost) {
  AddTmo();
  const int tmo = AddTmoEntry("FV/1"), other1 = AddOtherEntry("FV/2"), other2 = AddOtherEntry("FV/3");
  jpk.SetList({tmo, other1, other2});
  tables.FailReadAt(400, 1);  // after the deletion, at other2
  kw::SetJpkTableHook(1);

  EXPECT_EQ(jpk.RaiseEvent(231), SimJpkRegister::kPreviousResult);

  EXPECT_THAT(jpk.Deleted(), ElementsAre(tmo));
  EXPECT_THAT(jpk.List(), ElementsAre(other1, other2));
  EXPECT_THAT(jpk.Refreshes(), IsEmpty());
  EXPECT_EQ(jpk.Handled(), 1);
  EXPECT_EQ(jpk.SignalWord(), 0);
  EXPECT_THAT(jpk.Signals(), ElementsAre(-5));
  EXPECT_EQ(messages.OpenWaitBoxes(), 0);
  EXPECT_EQ(jpk.PreviousCalls().size(), 1u);
}

// Event 231 raised again from inside each host call in turn of the cleanup
// the module makes while it handles the event. The inner pass deletes what
// the outer one was about to and moves the entries under it, or the host
// refuses its deletions, or reports them without carrying them out (the list
// is then as it was, but the register's record buffer holds what that pass
// read last), or the host replaces its list's array meanwhile, or leaves
// another contractor current instead of raising the event. No entry of
// another contractor goes, the host sees no deletion of an entry that is not
// there and no refresh with a stale count, and each event reaches its
// handler once.
class JpkInnerPass : public JpkTableHook {
 protected:
  enum class Inner { Deletes, Refused, Claimed, NewArray, OtherCurrent };
  static constexpr Inner kInners[] = {Inner::Deletes, Inner::Refused, Inner::Claimed, Inner::NewArray,
                                      Inner::OtherCurrent};
  static const char* Describe(Inner inner) {
    const char* const kInner[] = {"deleting", "its deletions refused", "its deletions claimed without effect",
                                  "deleting, the host then holding its list in a new array",
                                  "none: the host leaves another contractor current instead"};
    return kInner[static_cast<int>(inner)];
  }

  void SetUp() override {
    JpkTableHook::SetUp();
    AddTmo();
    other1 = AddOtherEntry("FV/1");
    tmoA = AddTmoEntry("FV/2");
    tmoB = AddTmoEntry("FV/3");
    other2 = AddOtherEntry("FV/4");
    tmoC = AddTmoEntry("FV/5");
    // The other entries' contractor, whom the host may leave current meanwhile.
    other = tables.AddContractor("ZBYSZKO", {198});
    auto* record = reinterpret_cast<kw::ContractorRecord*>(tables.Record(35, other).data());
    record->ContrNumber = 17;
    hostsim::PutMazovia(record->ContrText1, "Hurtownia Zbyszko");
    hostsim::PutMazovia(record->ContrText2, "ul. Polna 1, Radom");
    kw::SetJpkTableHook(1);
  }

  // What the host does inside its n-th call of the outer pass.
  void Arm(Inner inner, int nth) {
    host.Interrupt(nth, [this, inner] {
      if (inner == Inner::OtherCurrent) return tables.MakeCurrent(35, other);
      for (const int entry : {tmoA, tmoB, tmoC}) {
        if (inner == Inner::Refused) jpk.FailDeletionOf(entry);
        if (inner == Inner::Claimed) jpk.ClaimDeletionOf(entry);
      }
      jpk.RaiseEvent(231);
      jpk.ClearDeletionFailures();
      // The old array is released behind a guard page: a pass still reading it faults.
      if (inner == Inner::NewArray) jpk.SetList(jpk.List());
    });
  }

  // One event on the register with `inner` inside its n-th host call;
  // answers whether that call was made.
  bool Round(Inner inner, int nth) {
    jpk.SetList({other1, tmoA, tmoB, other2, tmoC});
    const std::size_t previousBefore = jpk.PreviousCalls().size();
    const std::size_t boxesBefore = messages.Shown().size();
    Arm(inner, nth);
    EXPECT_EQ(jpk.RaiseEvent(231), SimJpkRegister::kPreviousResult);
    const bool inside = host.Interrupted();
    host.Interrupt(0, {});
    // Another contractor current inside the lookup's own walk hides TMO
    // from it: nothing is deleted then, after a warning.
    const auto& shown = messages.Shown();
    const bool warned = std::any_of(shown.begin() + boxesBefore, shown.end(),
                                    [](const hostsim::HostBox& box) { return box.title == "Uwaga"; });
    if (inner == Inner::OtherCurrent && warned) {
      EXPECT_THAT(jpk.List(), ElementsAre(other1, tmoA, tmoB, other2, tmoC));
    } else {
      EXPECT_THAT(jpk.List(), ElementsAre(other1, other2));
    }
    EXPECT_EQ(jpk.PreviousCalls().size(), previousBefore + (inside && inner != Inner::OtherCurrent ? 2 : 1));
    EXPECT_THAT(host.Faults(), IsEmpty());
    EXPECT_EQ(messages.OpenWaitBoxes(), 0);
    return inside && host.Faults().empty();
  }

  int other = -1;
  int other1 = -1, tmoA = -1, tmoB = -1, other2 = -1, tmoC = -1;
};

TEST_F(JpkInnerPass, Event231RaisedFromInsideEveryHostCallOfTheCleanupDeletesOnlyTmo) {
  for (const Inner inner : kInners) {
    int interrupted = 0;
    for (int nth = 1; nth < 200; ++nth) {
      SCOPED_TRACE(std::string("event 231 inside host call ") + std::to_string(nth) + ", the inner pass " +
                   Describe(inner));
      if (!Round(inner, nth)) break;
      ++interrupted;
    }
    EXPECT_GT(interrupted, 15) << "the cleanup made fewer host calls than expected: " << Describe(inner);
  }
}

TEST_F(JpkTableHook, Event231WithoutTmoWarnsTouchesNothingAndPassesOn) {
  tables.AddContractor("ABC", {6, 198});
  const int entry = AddTmoEntry("FV/1");
  jpk.SetList({entry});
  kw::SetJpkTableHook(1);
  const auto args = jpk.EventArgs(231);

  EXPECT_EQ(jpk.RaiseEvent(args), SimJpkRegister::kPreviousResult);

  ASSERT_EQ(messages.Shown().size(), 1u);
  EXPECT_EQ(messages.Shown()[0].function, "HostMessageBoxFmtV");
  EXPECT_EQ(messages.Shown()[0].title, "Uwaga");
  EXPECT_EQ(messages.Shown()[0].text, "Nie znaleziono kontrahenta: TMO");
  EXPECT_EQ(messages.Shown()[0].style, 1);
  EXPECT_EQ(host.CountCalls("HostAppendLog"), 0);
  EXPECT_EQ(host.CountCalls("HostBeginSelectionUpdate"), 0);
  EXPECT_THAT(jpk.List(), ElementsAre(entry));
  EXPECT_EQ(jpk.Handled(), SimJpkRegister::kHandledAtStart);
  EXPECT_EQ(jpk.SignalWord(), SimJpkRegister::kSignalWordAtStart);
  EXPECT_THAT(jpk.Signals(), IsEmpty());
  EXPECT_EQ(host.CountCalls("HostGetSignalWordPtr"), 0);
  ASSERT_EQ(jpk.PreviousCalls().size(), 1u);
  EXPECT_EQ(jpk.PreviousCalls()[0].args, args);
}

TEST_F(JpkTableHook, Event231WithoutTheContractorTableShowsBothBoxes) {
  tables.Remove(35);
  jpk.SetList({AddTmoEntry("FV/1")});
  kw::SetJpkTableHook(1);

  EXPECT_EQ(jpk.RaiseEvent(231), SimJpkRegister::kPreviousResult);

  EXPECT_THAT(kwtest::BoxTexts(messages),
              ElementsAre(kwtest::Mazovia("Błąd operacji dyskowej-WyszukajKontrPoSymbolu!\nOperacja niekompletna!"),
                          "Nie znaleziono kontrahenta: TMO"));
  EXPECT_EQ(jpk.Count(), 1);
  EXPECT_EQ(jpk.PreviousCalls().size(), 1u);
}

TEST_F(JpkTableHook, Event231WithoutTheHostsCellsOrArrayWritesNothingThroughThem) {
  AddTmo();
  const int tmo = AddTmoEntry("FV/1");
  jpk.SetList({tmo});
  kw::SetJpkTableHook(1);
  host.On("HostGetSignalWordPtr", [](hostsim::HostCall&) -> uint32_t { return 0; });
  host.On("HostRefreshList", [](hostsim::HostCall&) -> uint32_t { return 0; });
  auto args = jpk.EventArgs(231);
  args[6] = 0;   // no array
  args[10] = 0;  // no handled cell

  EXPECT_EQ(jpk.RaiseEvent(args), SimJpkRegister::kPreviousResult);

  EXPECT_EQ(host.CountCalls("HostReadSelected"), 0);
  EXPECT_THAT(jpk.List(), ElementsAre(tmo));
  EXPECT_THAT(jpk.Signals(), ElementsAre(-5));
  ASSERT_EQ(jpk.PreviousCalls().size(), 1u);
  EXPECT_EQ(jpk.PreviousCalls()[0].args, args);
}

TEST_F(JpkTableHook, AnEmptySlotAtInstallationIsNeverCalled) {
  AddTmo();
  const int tmo = AddTmoEntry("FV/1");
  jpk.SetList({tmo});
  tables.Find(400)->EventHandler = nullptr;

  EXPECT_EQ(kw::SetJpkTableHook(1), 0);
  EXPECT_EQ(kw::PrevJpkHandler, nullptr);

  EXPECT_EQ(jpk.RaiseEvent(7), 0u);
  EXPECT_EQ(jpk.RaiseEvent(231), 0u);
  EXPECT_THAT(jpk.Deleted(), ElementsAre(tmo));
  EXPECT_THAT(jpk.PreviousCalls(), IsEmpty());

  kw::SetJpkTableHook(0);
  EXPECT_EQ(Slot(), nullptr);
}

}  // namespace
