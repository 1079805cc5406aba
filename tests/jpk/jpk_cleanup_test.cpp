// Deleting the register entries of TMO from the list the host hands over: the
// retry of a position after each deletion, the closing refresh, the failures.
#include "jpk_cleanup.h"
#include "jpk_fixture.h"
#include "journal_format.h"
#include "sim_files.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

class JpkCleanup : public kwtest::JpkRegisterTest {
 protected:
  void SetUp() override {
    JpkRegisterTest::SetUp();
    MakeTmoCurrent();
  }
  int Run() {
    return kw::UsunKalwestrowkaZ_JPK(jpk.Selection(), jpk.View(), jpk.CountCell(), jpk.Array(), tables.Find(400));
  }
  // The entry numbers handed to HostDeleteSelected, counted from 0.
  std::vector<int> DeletionIndices() const {
    std::vector<int> indices;
    for (const auto& call : host.CallsTo("HostDeleteSelected")) indices.push_back(static_cast<int>(call.args[1]));
    return indices;
  }
};

TEST_F(JpkCleanup, AnEmptyListIsNotReadButStillRefreshedWithinTheUpdate) {
  jpk.SetList({});
  EXPECT_EQ(Run(), 1);
  EXPECT_THAT(CallsFrom("HostBeginSelectionUpdate"),
              ElementsAre("HostBeginSelectionUpdate", "HostGetRefreshArg", "HostRefreshList",
                          "HostEndSelectionUpdate"));
  ASSERT_EQ(jpk.Refreshes().size(), 1u);
  EXPECT_EQ(jpk.Refreshes()[0].count, 0);
  EXPECT_THAT(messages.Shown(), IsEmpty());
}

TEST_F(JpkCleanup, ConsecutiveTmoEntriesGoOneAfterAnotherFromTheSamePosition) {
  const int other1 = AddOtherEntry("FV/1"), tmoA = AddTmoEntry("FV/2"), other2 = AddOtherEntry("FV/3"),
            tmoB = AddTmoEntry("FV/4"), tmoC = AddTmoEntry("FV/5"), other3 = AddOtherEntry("FV/6");
  // Entry numbers out of position order: a deletion must name the entry, not the position.
  jpk.SetList({other2, other3, tmoC, tmoA, tmoB, other1});

  EXPECT_EQ(Run(), 1);

  EXPECT_THAT(ReadPositions(), ElementsAre(0, 1, 2, 2, 2, 2));
  EXPECT_THAT(jpk.Deleted(), ElementsAre(tmoC, tmoA, tmoB));
  EXPECT_THAT(DeletionIndices(), ElementsAre(tmoC - 1, tmoA - 1, tmoB - 1));
  EXPECT_EQ(jpk.DeletionsPrepared(), 3);
  EXPECT_EQ(jpk.Count(), 3);
  EXPECT_THAT(jpk.List(), ElementsAre(other2, other3, other1));
  ASSERT_EQ(jpk.Refreshes().size(), 1u);
  EXPECT_EQ(jpk.Refreshes()[0].count, 3);
  EXPECT_EQ(jpk.UpdatesBegun(), 1);
  EXPECT_EQ(jpk.UpdatesEnded(), 1);
  EXPECT_THAT(messages.Shown(), IsEmpty());
}

TEST_F(JpkCleanup, ATmoEntryAtTheEndIsDeletedAndTheRefreshTakesTheLoweredCount) {
  const int other1 = AddOtherEntry("FV/1"), other2 = AddOtherEntry("FV/2"), tmo = AddTmoEntry("FV/3");
  jpk.SetList({other1, other2, tmo});
  Run();
  EXPECT_THAT(ReadPositions(), ElementsAre(0, 1, 2));
  EXPECT_THAT(jpk.Deleted(), ElementsAre(tmo));
  ASSERT_EQ(jpk.Refreshes().size(), 1u);
  EXPECT_EQ(jpk.Refreshes()[0].count, 2);
  EXPECT_THAT(jpk.Refreshes()[0].entries, ElementsAre(other1, other2));
}

TEST_F(JpkCleanup, AnEntryMustAgreeInTheNumberAndBothTextsAndTheTextsAreComparedOnlyForTheNumber) {
  const int text1Differs = jpk.AddEntry("FV/1", kwtest::kTmoNumber, "Towary Mazowieckie Obce sp. z o.o,",
                                        kwtest::kTmoText2);
  const int text2Differs = jpk.AddEntry("FV/2", kwtest::kTmoNumber, kwtest::kTmoText1, "ul. Łąkowa 6, Kraków");
  const int numberDiffers = jpk.AddEntry("FV/3", kwtest::kTmoNumber + 1, kwtest::kTmoText1, kwtest::kTmoText2);
  jpk.SetList({text1Differs, text2Differs, numberDiffers});

  Run();

  EXPECT_THAT(jpk.Deleted(), IsEmpty());
  EXPECT_EQ(host.CountCalls("HostPrepareDelete"), 0);
  // One comparison for the first entry, two for the second, none for the third.
  const auto compared = host.CallsTo("HostCompareText");
  ASSERT_EQ(compared.size(), 3u);
  EXPECT_EQ(compared[0].Text(1), kwtest::Mazovia(kwtest::kTmoText1));
  EXPECT_EQ(compared[1].Text(1), kwtest::Mazovia(kwtest::kTmoText1));
  EXPECT_EQ(compared[2].Text(0), kwtest::Mazovia("ul. Łąkowa 6, Kraków"));
  EXPECT_EQ(compared[2].Text(1), kwtest::Mazovia(kwtest::kTmoText2));
  EXPECT_EQ(jpk.Count(), 3);
  EXPECT_EQ(jpk.Refreshes().size(), 1u);
}

TEST_F(JpkCleanup, AFailedDeletionIsReportedWithTheDocumentNumberAndThePassGoesOn) {
  const int other1 = AddOtherEntry("FV/1"), stuck = AddTmoEntry("FV/12/2024"), other2 = AddOtherEntry("FV/3");
  jpk.SetList({other1, stuck, other2});
  jpk.FailDeletionOf(stuck);

  Run();

  ASSERT_EQ(messages.Shown().size(), 1u);
  EXPECT_EQ(messages.Shown()[0].function, "HostMessageBoxFmtV");
  EXPECT_EQ(messages.Shown()[0].title, "Uwaga");
  EXPECT_EQ(messages.Shown()[0].text, kwtest::Mazovia("Nie mogę usunąć rekordu - nr dok: FV/12/2024!"));
  EXPECT_EQ(messages.Shown()[0].style, 1);
  EXPECT_EQ(host.CallsTo("HostMessageBoxFmtV")[0].args[0], 0u);
  // Not in the module log; the journal says which entry was left, and for whom.
  auto& files = host.Use<hostsim::SimFiles>();
  EXPECT_THAT(files.LogLines("Kalwestrowka.log"), IsEmpty());
  const std::vector<std::string> journal = files.LogLines(kw::kJournalFile);
  ASSERT_EQ(journal.size(), 1u);
  EXPECT_EQ(journal[0].substr(20), kwtest::Windows1250("POZOSTAWIONO_W_JPK;FV/12/2024;;4711;"
                                                        "Towary Mazowieckie Obce sp. z o.o. / ul. Łąkowa 5, Kraków;;;"));
  EXPECT_THAT(ReadPositions(), ElementsAre(0, 1, 2));
  EXPECT_THAT(jpk.List(), ElementsAre(other1, stuck, other2));
  ASSERT_EQ(jpk.Refreshes().size(), 1u);
  EXPECT_EQ(jpk.Refreshes()[0].count, 3);
}

TEST_F(JpkCleanup, AFailedDeletionOfTheLastEntryStillRefreshesTheDeletionsBeforeIt) {
  const int tmo = AddTmoEntry("FV/1"), other = AddOtherEntry("FV/2"), stuck = AddTmoEntry("FV/3");
  jpk.SetList({tmo, other, stuck});
  jpk.FailDeletionOf(stuck);

  Run();

  EXPECT_THAT(jpk.Deleted(), ElementsAre(tmo));
  EXPECT_THAT(kwtest::BoxTexts(messages), ElementsAre(kwtest::Mazovia("Nie mogę usunąć rekordu - nr dok: FV/3!")));
  ASSERT_EQ(jpk.Refreshes().size(), 1u);
  EXPECT_THAT(jpk.Refreshes()[0].entries, ElementsAre(other, stuck));
  EXPECT_EQ(jpk.UpdatesEnded(), 1);
}

TEST_F(JpkCleanup, AFailedReadEndsThePassWithoutRefreshButWithTheEndCall) {
  const int tmoA = AddTmoEntry("FV/1"), o1 = AddOtherEntry("FV/2"), o2 = AddOtherEntry("FV/3"),
            o3 = AddOtherEntry("FV/4"), tmoB = AddTmoEntry("FV/5");
  jpk.SetList({tmoA, o1, o2, o3, tmoB});
  tables.FailReadAt(400, 3);

  Run();

  EXPECT_THAT(ReadPositions(), ElementsAre(0, 0, 1, 2, 3));
  EXPECT_THAT(jpk.Deleted(), ElementsAre(tmoA));
  EXPECT_THAT(jpk.List(), ElementsAre(o1, o2, o3, tmoB));
  EXPECT_THAT(jpk.Refreshes(), IsEmpty());
  EXPECT_EQ(host.CountCalls("HostGetRefreshArg"), 0);
  EXPECT_EQ(jpk.UpdatesEnded(), 1);
  EXPECT_EQ(host.Calls().back().name, "HostEndSelectionUpdate");
}

TEST_F(JpkCleanup, WithoutTheRegisterOrTheContractorTableOnlyTheDiskErrorIsShown) {
  const int tmo = AddTmoEntry("FV/1");
  for (const int missing : {400, 35}) {
    SCOPED_TRACE(missing);
    jpk.SetList({tmo});
    HostTable* registerTable = tables.Find(400);
    tables.Remove(missing);
    host.ClearCalls();

    EXPECT_EQ(kw::UsunKalwestrowkaZ_JPK(jpk.Selection(), jpk.View(), jpk.CountCell(), jpk.Array(), registerTable),
              1);

    std::vector<std::string> names;
    for (const auto& entry : host.Calls()) names.push_back(entry.name);
    EXPECT_THAT(names, ElementsAre("HostGetTable", "HostGetTable", "HostMessageBox"));
    ASSERT_FALSE(messages.Shown().empty());
    EXPECT_EQ(messages.Shown().back().title, "Uwaga");
    EXPECT_EQ(messages.Shown().back().text,
              kwtest::Mazovia("Błąd operacji dyskowej-UsunKalwestrowkaZ_JPK!\nOperacja niekompletna!"));
    EXPECT_EQ(messages.Shown().back().style, 1);
    EXPECT_EQ(jpk.Count(), 1);
    tables.Define(missing);
  }
  EXPECT_EQ(messages.Shown().size(), 2u);
  EXPECT_EQ(jpk.UpdatesBegun(), 0);
}

TEST_F(JpkCleanup, AListWithoutItsCountOrItsArrayIsNeitherReadNorRefreshed) {
  const int tmo = AddTmoEntry("FV/1");
  jpk.SetList({tmo});
  std::vector<uint32_t> refreshedCounts;
  host.On("HostRefreshList", [&](hostsim::HostCall& call) -> uint32_t {
    refreshedCounts.push_back(call.Arg(1));
    return 0;
  });

  kw::UsunKalwestrowkaZ_JPK(jpk.Selection(), jpk.View(), nullptr, jpk.Array(), tables.Find(400));
  kw::UsunKalwestrowkaZ_JPK(jpk.Selection(), jpk.View(), jpk.CountCell(), nullptr, tables.Find(400));

  EXPECT_EQ(host.CountCalls("HostReadSelected"), 0);
  EXPECT_EQ(host.CountCalls("HostDeleteSelected"), 0);
  EXPECT_THAT(refreshedCounts, IsEmpty()) << "a list the host did not hand over was refreshed";
  EXPECT_EQ(jpk.UpdatesEnded(), 2);
  EXPECT_EQ(jpk.Count(), 1);
}

}  // namespace

namespace {

// Whether an entry went is seen in the list, whatever the host answers: a
// deletion reported but not carried out is reported as failed, and one
// refused but carried out lets the pass read the entry that moved up.
TEST_F(JpkCleanup, ADeletionIsJudgedByTheListNotByTheHostsAnswer) {
  const int tmo = AddTmoEntry("FV/1"), other = AddOtherEntry("FV/2");
  jpk.SetList({tmo, other});
  jpk.ClaimDeletionOf(tmo);
  EXPECT_EQ(Run(), 1);
  EXPECT_THAT(ReadPositions(), ElementsAre(0, 1));
  EXPECT_EQ(jpk.Refreshes().size(), 1u);
  EXPECT_THAT(kwtest::BoxTexts(messages), ElementsAre(kwtest::Mazovia("Nie mogę usunąć rekordu - nr dok: FV/1!")));

  jpk.ClearDeletionFailures();
  const int tmoA = AddTmoEntry("FV/3"), tmoB = AddTmoEntry("FV/4"), other2 = AddOtherEntry("FV/5");
  jpk.SetList({tmoA, tmoB, other2});
  jpk.DeleteAnsweringRefusalOf(tmoA);
  jpk.DeleteAnsweringRefusalOf(tmoB);
  host.ClearCalls();
  const std::size_t boxes = messages.Shown().size();
  EXPECT_EQ(Run(), 1);
  EXPECT_THAT(jpk.List(), ElementsAre(other2));
  EXPECT_THAT(ReadPositions(), ElementsAre(0, 0, 0));
  EXPECT_EQ(messages.Shown().size(), boxes) << "a deletion carried out was reported as failed";
}

}  // namespace
