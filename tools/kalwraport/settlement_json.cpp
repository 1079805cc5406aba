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
  explicit JsonWriter(const ReportInput& input) : in_(input), s_(input.settlement) {}

  std::string Write() const {
    std::string json = "{\n";
    json += Field("journal", Dump(in_.journalPath));
    json += Field("journal_bytes", Dump(s_.journal.bytes));
    json += Field("journal_days", OneLine(Json{{"first", DayOrNull(s_.journal.firstDay)}, {"last", DayOrNull(s_.journal.lastDay)}}));
    json += Field("period", OneLine(Json{{"from", DayOrNull(s_.period.from)}, {"to", DayOrNull(s_.period.to)}}));
    json += Field("status", Dump(static_cast<int>(s_.status)));
    json += Field("verdict", Dump(Verdict(s_)));
    json += Field("no_records", Dump(s_.NoRecords()));
    json += Field("lines", Dump(s_.journal.lines));
    json += Field("unreadable_lines", Unreadable());
    json += Field("sales", Sales());
    json += Field("jpk_exclusions", Array(s_.exclusions, [](const RegisterEntry& e) { return Register(e, "removals"); }));
    json += Field("removed_not_converted", Array(s_.removedNotConverted, [](const RegisterEntry& e) { return Register(e); }));
    json += Field("converted_not_removed", Array(s_.convertedNotRemoved, [](const Sale& s) { return WithAmount(s.conversion, s.document); }));
    json += Field("left_in_jpk", Array(s_.leftInJpk, [](const RegisterEntry& e) { return Register(e, "failed_removals"); }));
    json += Field("marked_not_converted", Array(s_.markedNotConverted, [](const Marking& m) { return WithAmount(m.marked, m.document); }), true);
    return json + "}\n";
  }

 private:
  static std::string Field(const char* name, const std::string& json, bool last = false) {
    return "  " + Dump(name) + ": " + json + (last ? "\n" : ",\n");
  }

  // An array with one element a line.
  template <typename T, typename Element>
  static std::string Array(const std::vector<T>& items, Element element, const char* indent = "    ") {
    std::string array = "[";
    for (std::size_t i = 0; i < items.size(); ++i) array += (i ? ",\n" : "\n") + std::string(indent) + OneLine(element(items[i]));
    return array + (items.empty() ? "]" : "\n" + std::string(indent).substr(2) + "]");
  }

  std::string Unreadable() const {
    const std::string first = Array(s_.journal.firstUnreadable, [](const UnreadableLine& line) {
      return Json{{"line", line.line}, {"reason", ProblemText(line)}};
    }, "      ");
    return "{\"count\": " + Dump(s_.journal.unreadableCount) + ", \"first\": " + first + "}";
  }

  std::string Sales() const {
    const int64_t counted = static_cast<int64_t>(s_.sales.size()) - s_.convertedBefore;
    return "{\"count\": " + Dump(counted) + ", \"sum\": " + Dump(TotalOrNull(s_.salesSum)) + ", \"sum_grosze\": " +
           Dump(s_.salesSum.outOfRange ? Json(nullptr) : Json(s_.salesSum.grosze)) +
           ", \"without_amount\": " + Dump(s_.salesWithoutAmount) + ", \"converted_again\": " + Dump(s_.convertedAgain) +
           ", \"converted_before\": " + Dump(s_.convertedBefore) + ", \"difference\": " + Dump(TotalOrNull(s_.differenceSum)) +
           ",\n    \"documents\": " + Array(s_.sales, SaleJson, "      ") + "}";
  }

  const ReportInput& in_;
  const Settlement& s_;
};

}  // namespace

std::string SettlementJson(const ReportInput& input) { return JsonWriter(input).Write(); }

}  // namespace kw::tools
