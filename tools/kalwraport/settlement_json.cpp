#include "json_lines.h"
#include "settlement_report.h"
#include "settlement_words.h"

namespace kw::tools {

namespace {

Json DayOrNull(JournalDay day) { return day == kNoDay ? Json(nullptr) : Json(DayText(day)); }

class JsonWriter {
 public:
  explicit JsonWriter(const ReportInput& input) : in_(input), s_(input.settlement) {}

  std::string Write() const {
    std::string json = "{\n";
    json += Field("journal", Dump(in_.journalPath));
    json += Field("period", OneLine(Json{{"from", DayOrNull(in_.period.from)}, {"to", DayOrNull(in_.period.to)}}));
    json += Field("status", Dump(static_cast<int>(s_.status)));
    json += Field("verdict", Dump(Verdict(s_)));
    json += Field("lines", Dump(in_.journal.lines));
    json += Field("unreadable_lines", Unreadable());
    json += Field("sales", Sales());
    json += Field("jpk_exclusions", Array(s_.exclusions, [&](const Exclusion& e) {
                    Json object = Register(e.removal);
                    object["removals"] = e.removals;
                    return object;
                  }));
    json += Field("removed_not_converted", Array(s_.removedNotConverted, [&](const JournalRecord* r) { return Register(r); }));
    json += Field("converted_not_removed", Array(s_.convertedNotRemoved, [&](const JournalRecord* r) { return Converted(r); }));
    json += Field("left_in_jpk", Array(s_.leftInJpk, [&](const JournalRecord* r) { return Register(r); }), true);
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

  std::string Text(std::string_view field) const { return JournalText(in_.journal, field); }

  Json Record(const JournalRecord* r) const {
    return {{"line", r->line}, {"date", DayText(r->day)}, {"time", TimeText(r->time)}, {"document", Text(r->document)}};
  }

  Json Converted(const JournalRecord* r) const {
    Json object = Record(r);
    object["amount"] = r->hasAmount ? Json(AmountText(r->amount, '.')) : Json(nullptr);
    object["amount_grosze"] = r->hasAmount ? Json(r->amount) : Json(nullptr);
    return object;
  }

  Json Register(const JournalRecord* r) const {
    Json object = Record(r);
    object["contractor"] = Text(r->contractor);
    object["contractor_texts"] = Text(r->description);
    return object;
  }

  std::string Unreadable() const {
    const std::string first = Array(in_.journal.firstUnreadable, [&](const UnreadableLine& line) {
      return Json{{"line", line.line}, {"reason", ProblemText(in_.journal, line)}};
    }, "      ");
    return "{\"count\": " + Dump(in_.journal.unreadableCount) + ", \"first\": " + first + "}";
  }

  std::string Sales() const {
    const Json sum = s_.sumOutOfRange ? Json(nullptr) : Json(AmountText(s_.salesSum, '.'));
    const Json sumGrosze = s_.sumOutOfRange ? Json(nullptr) : Json(s_.salesSum);
    const std::string documents = Array(s_.sales, [&](const Sale& sale) {
      Json object = Converted(sale.conversion);
      object["conversions"] = sale.conversions;
      object["amounts_differ"] = sale.amountsDiffer;
      object["converted_before"] = DayOrNull(sale.convertedBefore);
      return object;
    }, "      ");
    return "{\"count\": " + Dump(s_.sales.size()) + ", \"sum\": " + Dump(sum) + ", \"sum_grosze\": " + Dump(sumGrosze) +
           ", \"without_amount\": " + Dump(s_.salesWithoutAmount) + ",\n    \"documents\": " + documents + "}";
  }

  const ReportInput& in_;
  const Settlement& s_;
};

}  // namespace

std::string SettlementJson(const ReportInput& input) { return JsonWriter(input).Write(); }

}  // namespace kw::tools
