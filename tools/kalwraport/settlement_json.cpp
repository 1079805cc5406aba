#include "json_lines.h"
#include "settlement_report.h"
#include "settlement_words.h"

namespace kw::tools {

namespace {

Json DayOrNull(JournalDay day) { return day == kNoDay ? Json(nullptr) : Json(DayText(day)); }
Json AmountOrNull(const Moment& m) { return m.line && m.hasAmount ? Json(AmountText(m.amount, '.')) : Json(nullptr); }
Json GroszeOrNull(const Moment& m) { return m.line && m.hasAmount ? Json(m.amount) : Json(nullptr); }
Json TotalOrNull(const Total& t) { return t.outOfRange ? Json(nullptr) : Json(AmountText(t.grosze, '.')); }

Json Dated(const Moment& m, const std::string& document) {
  return {{"line", m.line}, {"date", DayText(m.day)}, {"time", TimeText(m.time)}, {"document", document}};
}

Json WithAmount(const Moment& m, const std::string& document) {
  Json object = Dated(m, document);
  object["amount"] = AmountOrNull(m);
  object["amount_grosze"] = GroszeOrNull(m);
  return object;
}

Json Register(const RegisterEntry& e, const char* times = nullptr) {
  Json object = Dated(e.entry, e.document);
  object["contractor"] = e.contractor;
  object["contractor_texts"] = e.description;
  if (times) object[times] = e.times;
  object["converted"] = e.conversion.line ? Json{{"date", DayText(e.conversion.day)}, {"amount", AmountOrNull(e.conversion)}}
                                          : Json(nullptr);
  return object;
}

Json SaleJson(const Sale& sale) {
  Json object = WithAmount(sale.conversion, sale.document);
  object["conversions"] = sale.conversions;
  object["amounts_differ"] = sale.amountsDiffer;
  object["converted_before"] = sale.before.line ? Json(DayText(sale.before.day)) : Json(nullptr);
  object["amount_before"] = AmountOrNull(sale.before);
  return object;
}

class JsonWriter {
 public:
  JsonWriter(const ReportInput& input, const ReportSink& out) : in_(input), s_(input.settlement), out_(out) {}

  void Write() const {
    out_("{\n");
    Field("journal", Dump(in_.journalPath));
    Field("journal_bytes", Dump(s_.journal.bytes));
    Field("journal_days", OneLine(Json{{"first", DayOrNull(s_.journal.firstDay)}, {"last", DayOrNull(s_.journal.lastDay)}}));
    Field("period", OneLine(Json{{"from", DayOrNull(s_.period.from)}, {"to", DayOrNull(s_.period.to)}}));
    Field("status", Dump(static_cast<int>(s_.status)));
    Field("verdict", Dump(Verdict(s_)));
    Field("no_records", Dump(s_.NoRecords()));
    Field("lines", Dump(s_.journal.lines));
    Field("unreadable_lines", Unreadable());
    Field("sales", "");
    Sales();
    ArrayField("jpk_exclusions", s_.exclusions, [](const RegisterEntry& e) { return Register(e, "removals"); });
    ArrayField("removed_not_converted", s_.removedNotConverted, [](const RegisterEntry& e) { return Register(e); });
    ArrayField("converted_not_removed", s_.convertedNotRemoved, [](const Sale& s) { return WithAmount(s.conversion, s.document); });
    ArrayField("left_in_jpk", s_.leftInJpk, [](const RegisterEntry& e) { return Register(e, "failed_removals"); });
    ArrayField("marked_not_converted", s_.markedNotConverted, [](const Marking& m) { return WithAmount(m.marked, m.document); },
               true);
    out_("}\n");
  }

 private:
  void Field(const char* name, const std::string& json) const { out_("  " + Dump(name) + ": " + json + (json.empty() ? "" : ",\n")); }

  template <typename List, typename Element>
  void ArrayField(const char* name, const List& items, Element element, bool last = false) const {
    out_("  " + Dump(name) + ": ");
    Array(items, element, out_);
    out_(last ? "\n" : ",\n");
  }

  // An array with one element a line.
  template <typename List, typename Element>
  static void Array(const List& items, Element element, const ReportSink& out, const char* indent = "    ") {
    out("[");
    bool first = true;
    for (const auto& item : items) {
      out((first ? "\n" : ",\n") + std::string(indent) + OneLine(element(item)));
      first = false;
    }
    out(items.empty() ? "]" : "\n" + std::string(indent).substr(2) + "]");
  }

  std::string Unreadable() const {
    std::string first;
    Array(s_.journal.firstUnreadable, [](const UnreadableLine& line) {
      return Json{{"line", line.line}, {"reason", ProblemText(line)}};
    }, [&](std::string_view piece) { first += piece; }, "      ");
    return "{\"count\": " + Dump(s_.journal.unreadableCount) + ", \"first\": " + first + "}";
  }

  void Sales() const {
    const int64_t counted = static_cast<int64_t>(s_.sales.size()) - s_.convertedBefore;
    out_("{\"count\": " + Dump(counted) + ", \"sum\": " + Dump(TotalOrNull(s_.salesSum)) + ", \"sum_grosze\": " +
         Dump(s_.salesSum.outOfRange ? Json(nullptr) : Json(s_.salesSum.grosze)) +
         ", \"without_amount\": " + Dump(s_.salesWithoutAmount) + ", \"converted_again\": " + Dump(s_.convertedAgain) +
         ", \"converted_before\": " + Dump(s_.convertedBefore) + ", \"difference\": " + Dump(TotalOrNull(s_.differenceSum)) +
         ",\n    \"documents\": ");
    Array(s_.sales, SaleJson, out_, "      ");
    out_("},\n");
  }

  const ReportInput& in_;
  const Settlement& s_;
  const ReportSink& out_;
};

}  // namespace

void WriteSettlementJson(const ReportInput& input, const ReportSink& out) { JsonWriter(input, out).Write(); }

std::string SettlementJson(const ReportInput& input) {
  std::string json;
  WriteSettlementJson(input, [&](std::string_view piece) { json += piece; });
  return json;
}

}  // namespace kw::tools
