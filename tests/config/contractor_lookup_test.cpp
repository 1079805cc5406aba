// Finding the contractor TMO by its symbol: the two key walks.
#include "contractor_lookup.h"
#include "host_records.h"
#include "sim_messages.h"
#include "sim_tables.h"
#include "test_support.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

class ContractorLookup : public kwtest::ModuleCodeTest {
 protected:
  std::vector<int> OpenedKeys() const {
    std::vector<int> keys;
    for (const auto& call : host.CallsTo("HostCursorOpen")) keys.push_back(static_cast<int>(call.args[2]));
    return keys;
  }
  std::string CurrentSymbol() const {
    return kw::AsContractor(tables.RecordBuffer(35))->ContrSymbol;
  }

  hostsim::SimTables& tables = host.Use<hostsim::SimTables>();
  hostsim::SimMessages& messages = host.Use<hostsim::SimMessages>();
};

TEST_F(ContractorLookup, FoundInTheFirstWalkNeverOpensKey198) {
  tables.AddContractor("ABC", {6, 198});
  tables.AddContractor("TMO", {6});
  EXPECT_EQ(kw::WyszukajKontrPoSymbolu("TMO", 3), 0);
  EXPECT_THAT(OpenedKeys(), ElementsAre(6));
  EXPECT_EQ(host.CountCalls("HostCursorClose"), 1);
  EXPECT_EQ(tables.OpenCursors(), 0);
  EXPECT_EQ(CurrentSymbol(), "TMO");  // still there after the cursor was closed
  EXPECT_THAT(messages.Shown(), IsEmpty());
}

TEST_F(ContractorLookup, FoundOnlyInTheSecondWalk) {
  tables.AddContractor("ABC", {6});
  tables.AddContractor("TMO", {198});
  EXPECT_EQ(kw::WyszukajKontrPoSymbolu("TMO", 3), 0);
  EXPECT_THAT(OpenedKeys(), ElementsAre(6, 198));
  EXPECT_EQ(host.CountCalls("HostCursorClose"), 2);
  EXPECT_EQ(CurrentSymbol(), "TMO");
}

TEST_F(ContractorLookup, TheFirstMatchInWalkOrderWinsAndAPrefixMatches) {
  tables.AddContractor("TMOWA", {6});
  tables.AddContractor("TMO", {6});
  EXPECT_EQ(kw::WyszukajKontrPoSymbolu("TMO", 3), 0);
  EXPECT_EQ(CurrentSymbol(), "TMOWA");
  EXPECT_EQ(host.CountCalls("HostCompareTextN"), 1);
}

TEST_F(ContractorLookup, NoSuchSymbolAnswersOneWithoutAMessage) {
  tables.AddContractor("TM", {6, 198});
  tables.AddContractor("XTMO", {6, 198});
  EXPECT_EQ(kw::WyszukajKontrPoSymbolu("TMO", 3), 1);
  EXPECT_THAT(OpenedKeys(), ElementsAre(6, 198));
  EXPECT_EQ(host.CountCalls("HostCursorClose"), 2);
  EXPECT_THAT(messages.Shown(), IsEmpty());
}

TEST_F(ContractorLookup, AnEmptyTableOrAKeyThatCannotOpenStillClosesBothCursors) {
  EXPECT_EQ(kw::WyszukajKontrPoSymbolu("TMO", 3), 1);  // no key reaches anything
  EXPECT_EQ(host.CountCalls("HostCursorOpen"), 2);
  EXPECT_EQ(host.CountCalls("HostCursorNext"), 0);
  EXPECT_EQ(host.CountCalls("HostCursorClose"), 2);
}

TEST_F(ContractorLookup, AnyCursorAnswerOtherThanOneEndsTheWalk) {
  tables.AddContractor("ABC", {6, 198});
  tables.SetCursorEndAnswer(-1);
  EXPECT_EQ(kw::WyszukajKontrPoSymbolu("TMO", 3), 1);
  EXPECT_EQ(host.CountCalls("HostCursorNext"), 4);
}

TEST_F(ContractorLookup, AMissingContractorTableShowsTheDiskErrorAndOpensNoCursor) {
  tables.Remove(35);
  EXPECT_EQ(kw::WyszukajKontrPoSymbolu("TMO", 3), 1);
  ASSERT_EQ(messages.Shown().size(), 1u);
  EXPECT_EQ(messages.Shown()[0].title, "Uwaga");
  EXPECT_EQ(messages.Shown()[0].text,
            kwtest::Mazovia("Błąd operacji dyskowej-WyszukajKontrPoSymbolu!\nOperacja niekompletna!"));
  EXPECT_EQ(messages.Shown()[0].style, 1);
  EXPECT_EQ(host.CountCalls("HostCursorOpen"), 0);
  EXPECT_EQ(host.CountCalls("HostAppendLog"), 0);
}

}  // namespace
