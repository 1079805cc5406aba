// kalwraport walked against a model of a shop (README, kalwraport's tests):
// sixteen months from a seed, the journal re-saved by a spreadsheet part way,
// each month, the whole journal and a month without records settled through
// the library and every fact compared with what the model works out from its
// own events.   kalwraport_walk [--seed N | --start N --seeds COUNT]
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "line_splitter.h"
#include "settlement.h"
#include "settlement_report.h"
#include "settlement_words.h"

namespace {

using namespace kw::tools;

// One line of the model's journal as the module writes it: fields in UTF-8 (ten, or nine for an old line);
// a broken line and a configuration line are about no document; after zeros (a crash during an append) the
// next line follows with no line end.
struct Line { std::vector<std::string> fields; bool aboutDocument = false, broken = false; int day = 0; bool zeros = false; };

enum class Kind { Marked, Converted, Removed, Left };

// `line`: its index in the journal, the order of events.
struct Event { Kind kind; std::size_t line; int day; bool hasAmount; int64_t amount; std::string number; };

// A document of the shop, or (byHand) a register entry of TMO given by hand.
// idFrom: the first of its lines that carries the id.
struct Document { std::string number; uint32_t id = 0; int idFrom = 0; bool byHand = false; std::vector<Event> events; int64_t amount = 0; };

template <typename... Values>
std::string Format(const char* format, Values... values) {
  char text[64];
  std::snprintf(text, sizeof text, format, values...);
  return text;
}

struct Shop {
  std::mt19937_64 random;
  std::vector<Line> lines;
  std::vector<Document> documents;
  std::vector<std::size_t> toRegister;  // converted since the last register was built
  std::vector<std::pair<std::size_t, int>> left;  // entries whose removal failed, with the day it first did
  int byHandCounter = 0, clockBack = 0;  // clockBack: seconds the clock went back today
  uint32_t nextId = 1000;
  bool hugeAmounts = false;

  explicit Shop(uint64_t seed) : random(seed) { hugeAmounts = Chance(0.05); }

  bool Chance(double p) { return std::uniform_real_distribution<double>()(random) < p; }
  int Between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }

  static std::string Amount(int64_t grosze) {
    return Format("%s%lld,%02lld", grosze < 0 ? "-" : "", std::llabs(grosze) / 100, std::llabs(grosze) % 100);
  }

  std::size_t Write(int day, int& second, const std::string& event, const Document* d, const std::string& rest,
                    bool aboutDocument = true) {
    second += Between(1, 600);
    const int shown = std::max(0, second - clockBack);
    Line line{{Format("%04d-%02d-%02d", day / 10000, day / 100 % 100, day % 100),
               Format("%02d:%02d:%02d", shown / 3600 % 24, shown / 60 % 60, shown % 60), event}, aboutDocument, false, day};
    std::stringstream fields(rest);
    for (std::string field; std::getline(fields, field, '|');) line.fields.push_back(field);
    line.fields.resize(9);
    const bool withId = d && d->id && static_cast<int>(lines.size()) >= d->idFrom && !d->byHand;
    if (!d || d->id || Chance(0.5)) line.fields.push_back(withId && event != "USUNIETO_Z_JPK" && event != "POZOSTAWIONO_W_JPK" ? std::to_string(d->id) : "");
    lines.push_back(line);
    return lines.size() - 1;
  }

  int64_t NewAmount() {
    if (hugeAmounts) return (Chance(0.5) ? 1 : -1) * (99999999999999999 - Between(0, 1000000));  // sums past 64 bits on the way
    return Chance(0.01) ? -Between(1, 50000) : Between(1, 20000000);
  }

  std::string NewNumber(int day, int counter) {
    const char* prefix = Chance(0.1) ? "F\xC5\x81" : Chance(0.05) ? "FS;K" : "FS";  // "FŁ": Polish letters
    std::string number = Format("%s %d/%02d", prefix, counter, day / 100 % 100);
    if (prefix[1] == 'S' && Chance(0.01)) number += std::string(Between(150, 400), 'X');  // longer than the report keeps
    return number;
  }

  void Mark(Document& d, int day, int& second) {
    d.events.push_back({Kind::Marked, Write(day, second, "OZNACZONO", &d, d.number + "|" + Amount(d.amount) + "||3, 7"), day, true, d.amount, d.number});
  }

  void Convert(Document& d, int day, int& second) {
    const bool hasAmount = !Chance(0.02);
    const std::size_t line = Write(day, second, "ZAMIENIONO", &d, d.number + "|" + (hasAmount ? Amount(d.amount) : ""));
    d.events.push_back({Kind::Converted, line, day, hasAmount, d.amount, d.number});
    for (int i = Between(0, 3); i > 0; --i) Write(day, second, "ZMIANA", &d, d.number + "|||Numer|.|" + d.number);
  }

  // A new document: the second year reuses the first year's numbers, and then
  // with a link id on every line but, now and then, the marking, when each
  // document of that number had an id; a document without one always gets
  // converted, so that its number names no other.
  void Sell(int day, int& second, int counter) {
    Document d{NewNumber(day, counter), 0, 0, false, {}, NewAmount()};
    double mode = day < 20270101 ? std::uniform_real_distribution<double>()(random) : 0;
    if (mode == 0 && Chance(0.15) && NumberAlwaysHadId(d.number)) mode = 0.95;
    if (mode < 0.7) d.id = nextId++;
    if (mode >= 0.9) d.id = nextId++, d.idFrom = static_cast<int>(lines.size()) + 1;  // no id yet at its marking
    documents.push_back(d);
    Document& doc = documents.back();
    Mark(doc, day, second);
    if (doc.id == 0 || doc.idFrom || !Chance(0.08)) {
      Convert(doc, day, second);
      toRegister.push_back(documents.size() - 1);
    }
  }

  bool NumberAlwaysHadId(const std::string& n) const {
    return std::none_of(documents.begin(), documents.end(), [&](const Document& d) { return d.number == n && !d.id; });
  }
  void Correct(int day, int& second) {
    std::vector<std::size_t> recent;
    for (std::size_t i = 0; i < documents.size(); ++i) {
      const Document& d = documents[i];
      if (!d.byHand && !d.events.empty() && d.events.back().kind != Kind::Marked && day - d.events[0].day < 100) recent.push_back(i);
    }
    if (recent.empty()) return;
    Document& d = documents[recent[Between(0, static_cast<int>(recent.size()) - 1)]];
    if (Chance(0.7)) d.amount = NewAmount();
    Mark(d, day, second);
    if (Chance(0.9)) Convert(d, day, second);
  }

  void RegisterLine(std::size_t index, int day, int& second) {
    Document& d = documents[index];
    const bool fails = Chance(0.12);
    const std::size_t line = Write(day, second, fails ? "POZOSTAWIONO_W_JPK" : "USUNIETO_Z_JPK", &d,
                                   d.number + "||4711|Towary Mazowieckie Obce sp. z o.o. / ul. \xC5\x81\xC4\x85kowa 5");
    d.events.push_back({fails ? Kind::Left : Kind::Removed, line, day, false, 0, d.number});
    if (fails) left.push_back({index, day});
  }

  // The last month's register built: its documents, the entries left before
  // (retried or not), now and then one of TMO by hand; sometimes built again.
  void BuildRegister(int day, int& second) {
    std::vector<std::size_t> entries = toRegister;
    toRegister.clear();
    std::vector<std::pair<std::size_t, int>> stillLeft;
    for (const auto& [i, since] : left) {  // given up when not removed two months on
      if (day - since <= 200) Chance(0.6) ? entries.push_back(i) : stillLeft.push_back({i, since});
    }
    left = stillLeft;
    if (Chance(0.3)) {
      documents.push_back({"FR " + std::to_string(++byHandCounter) + "/" + std::to_string(day / 100 % 100), 0, 0, true, {}, 0});
      entries.push_back(documents.size() - 1);
    }
    for (int build = Chance(0.3) ? 2 : 1; build > 0; --build) {
      for (const std::size_t i : entries) RegisterLine(i, day, second);
    }
  }

  void Broken(int day) {
    static const char* const kBroken[] = {"2026-02-30;10:00:00;ZAMIENIONO;FS 1/02;1,00;;;;;", "2026-11-30;10:00:00;PRZENIESIONO;FS 1/11",
        "2026-11-30;10:00:00;ZAMIENIONO;FS 9/11;12,345", "2026-11-30;10:00:00;ZAMIENIONO;\"FS 9/11;;;;;", "2026-11-30;10:00:00",
        "2026-11-30;10:00:00;ZAMIENIONO;FS 9/11;1,00;;;;;;x", "2026-11-30;10:00:00;ZAMIENIONO;FS 9/11;1,00;;;;;12x",
        "2026-11-30;25:00:00;OZNACZONO;FS 9/11;1,00", "2026-11-30;10:00:00;ZAMIENIONO;;1,00;;;;;",
        "2026-11-30;10:00:00;POZOSTAWIONO_W_JPK;;;4711;TMO;;;", "2026-11-30;10:00:00;ZMIANA;;;;Numer;.;"};
    std::string text = kBroken[Between(0, 10)];
    const bool zeros = Chance(0.3) && !(!lines.empty() && lines.back().zeros);
    if (zeros) text = text.substr(0, Chance(0.5) ? 0 : Between(1, 20)) + std::string(Between(1, 600), '\0');
    lines.push_back({{text}, false, true, day, zeros});
  }

  void Day(int day, int& counter) {
    int second = 7 * 3600;
    clockBack = 0;
    if (day % 100 == 2) BuildRegister(day, second);
    for (int sales = Between(0, 4); sales > 0; --sales) {
      if (Chance(0.05)) clockBack = 3600;  // summer time ends: the clock shows an hour earlier from now on
      Sell(day, second, ++counter);
      if (Chance(0.15)) Correct(day, second);
      if (Chance(0.03)) Broken(day);
    }
    if (Chance(0.03)) Write(day, second, "KONFIGURACJA", nullptr, "|||||3|3, 7", false);
  }
};

// The journal's bytes: the lines before `resaved` as a spreadsheet saved them
// again, the rest as the module appended them after.
struct Resave { std::size_t lines = 0; bool dropEmpty, currency, utf8, byteOrderMark, lf, header; };

std::string Cp1250(const std::string& utf8) {
  static const std::pair<const char*, const char*> kLetters[] = {{"\xC5\x81", "\xA3"}, {"\xC4\x85", "\xB9"}, {"\xC5\x82", "\xB3"},
                                                                 {"\xC2\xA0", "\xA0"}};
  std::string out = utf8;
  for (const auto& [from, to] : kLetters) {
    for (std::size_t at; (at = out.find(from)) != std::string::npos;) out.replace(at, std::strlen(from), to);
  }
  return out;
}

std::string Grouped(const std::string& digits, const char* separator = " ") {
  std::string out;
  for (std::size_t i = 0; i < digits.size(); ++i) out += (i && (digits.size() - i) % 3 == 0 ? separator : "") + digits.substr(i, 1);
  return out;
}

// "1 234,56 zł" with no-break spaces, as a spreadsheet's currency format saves it.
std::string CurrencyAmount(const std::string& amount) {
  const std::size_t comma = amount.find(','), digits = amount[0] == '-';
  return amount.substr(0, digits) + Grouped(amount.substr(digits, comma - digits), "\xC2\xA0") + amount.substr(comma) + " z\xC5\x82";
}

std::string Render(const Shop& shop, const Resave& r) {
  std::string out = r.byteOrderMark ? "\xEF\xBB\xBF" : "";
  if (r.header) out += "data;czas;zdarzenie;dokument;kwota;kontrahent;opis;przed;po;id" + std::string(r.lf ? "\n" : "\r\n");
  for (std::size_t i = 0; i < shop.lines.size(); ++i) {
    const Line& line = shop.lines[i];
    const bool resaved = i < r.lines;
    std::vector<std::string> fields = line.fields;
    if (!line.broken && resaved && r.currency && !fields[4].empty()) fields[4] = CurrencyAmount(fields[4]);
    while (!line.broken && resaved && r.dropEmpty && fields.size() > 1 && fields.back().empty()) fields.pop_back();
    std::string text;
    for (std::size_t f = 0; f < fields.size(); ++f) {
      const bool quote = !line.broken && fields[f].find_first_of(";\"") != std::string::npos;
      text += (f ? ";" : "") + (quote ? "\"" + fields[f] + "\"" : fields[f]);
    }
    out += (resaved && r.utf8 ? text : Cp1250(text)) + (line.zeros ? "" : resaved && r.lf ? "\n" : "\r\n");
  }
  return out;
}


std::string Shown(const std::string& number) {
  if (number.size() <= kw::tools::kKeptFieldBytes) return number;
  return number.substr(0, kw::tools::kKeptFieldBytes) + "... (i dalsze " + Grouped(std::to_string(number.size() - kw::tools::kKeptFieldBytes)) + " zn.)";
}

std::string Money(bool has, int64_t grosze) { return has ? std::to_string(grosze) : "-"; }

std::string Sum(__int128 sum) {  // written apart from the report's own sum
  if (sum > INT64_MAX || sum < INT64_MIN) return "out of range";
  return std::to_string(static_cast<int64_t>(sum));
}

template <typename... Parts>
std::string Text(const Parts&... parts) {
  std::ostringstream out;
  ((out << parts), ...);
  return out.str() + "\n";
}

std::string MoneyOf(const Event* e) { return e ? std::to_string(e->day) + " " + Money(e->hasAmount, e->amount) : "-"; }

// What the model knows the report of a period must say, one fact a line.
class Truth {
 public:
  explicit Truth(const Period& p) : p_(p) {}

  // One document's events, in line order.
  void Take(const Document& d) {
    const Event *last = nullptr, *earlier = nullptr, *firstRemoval = nullptr, *lastConversion = nullptr,
                *lastMark = nullptr, *lastRegister = nullptr, *convertedBeforeRemoval = nullptr, *convertedBeforeRegister = nullptr;
    int conversions = 0, removals = 0, failed = 0;
    bool differ = false, registerInPeriod = false;
    for (const Event& e : d.events) {
      if (e.kind == Kind::Converted && In(e.day)) {
        if (last && (last->hasAmount != e.hasAmount || (e.hasAmount && last->amount != e.amount))) differ = true;
        last = &e, ++conversions;
      }
      if (e.kind == Kind::Converted && p_.from && e.day < p_.from) earlier = &e;
      if (e.kind == Kind::Removed && In(e.day) && !firstRemoval) firstRemoval = &e, convertedBeforeRemoval = lastConversion;
      if (e.kind == Kind::Removed && In(e.day)) ++removals;
      if (e.kind == Kind::Converted) lastConversion = &e;
      if (e.kind == Kind::Marked) lastMark = &e;
      if (e.kind == Kind::Removed || e.kind == Kind::Left) lastRegister = &e, convertedBeforeRegister = lastConversion, registerInPeriod |= In(e.day);
      failed = e.kind == Kind::Removed ? 0 : failed + (e.kind == Kind::Left);
    }
    if (last) Sold(*last, earlier, conversions, differ, lastRegister == nullptr);
    if (firstRemoval) {
      exclusions_[firstRemoval->line] = Text(Shown(d.number), " ", firstRemoval->day, " x", removals, " converted ", MoneyOf(convertedBeforeRemoval));
      if (d.byHand) byHand_[firstRemoval->line] = Text(Shown(d.number), " ", firstRemoval->day);
    }
    if ((last || registerInPeriod) && lastRegister && lastRegister->kind == Kind::Left) {
      left_[lastRegister->line] = Text(Shown(d.number), " ", lastRegister->day, " x", failed, " converted ", MoneyOf(convertedBeforeRegister), " party 4711");
    }
    if (lastMark && In(lastMark->day) && (!lastConversion || lastConversion->line < lastMark->line)) {
      marked_[lastMark->line] = Text(Shown(lastMark->number), " ", MoneyOf(lastMark));
    }
  }

  std::string Facts(std::size_t lines, int broken, int periodLines) const {
    const bool inRange = Sum(sum_) != "out of range" && Sum(difference_) != "out of range";
    const bool toLookAt = broken || !periodLines || !inRange || withoutAmount_ || again_ || byHand_.size() ||
                          notRemoved_.size() || left_.size() || marked_.size();
    std::string out = Text("status ", toLookAt, " lines ", lines, " unreadable ", broken, " period lines ", periodLines) +
                      Text("sum ", Sum(sum_), " without amount ", withoutAmount_, " again ", again_, " before ", before_,
                           " difference ", Sum(difference_));
    const std::pair<const char*, const std::map<std::size_t, std::string>*> sections[] = {
        {"[sales]", &sales_}, {"[exclusions]", &exclusions_}, {"[removed, not converted]", &byHand_},
        {"[converted, not removed]", &notRemoved_}, {"[left]", &left_}, {"[marked]", &marked_}};
    for (const auto& [title, rows] : sections) {
      out += std::string(title) + "\n";
      for (const auto& row : *rows) out += row.second;
    }
    return out;
  }

  bool In(int day) const { return p_.Contains(day); }

 private:
  void Sold(const Event& last, const Event* earlier, int conversions, bool differ, bool neverInRegister) {
    sales_[last.line] = Text(Shown(last.number), " ", MoneyOf(&last), " x", conversions, " differ ", differ, " before ", MoneyOf(earlier));
    again_ += earlier || conversions > 1;
    before_ += earlier != nullptr;
    if (!earlier && last.hasAmount) sum_ += last.amount;
    withoutAmount_ += !earlier && !last.hasAmount;
    if (earlier && last.hasAmount && earlier->hasAmount) difference_ += last.amount - earlier->amount;
    if (neverInRegister) notRemoved_[last.line] = Text(Shown(last.number), " ", MoneyOf(&last));
  }

  Period p_;
  std::map<std::size_t, std::string> sales_, exclusions_, byHand_, notRemoved_, left_, marked_;  // by the line that orders them
  __int128 sum_ = 0, difference_ = 0;
  int withoutAmount_ = 0, again_ = 0, before_ = 0;
};

std::string TruthOf(const Shop& shop, std::size_t lines, int broken, const Period& period) {
  Truth truth(period);
  int periodLines = 0;
  for (const Line& line : shop.lines) periodLines += line.aboutDocument && truth.In(line.day);
  for (const Document& d : shop.documents) truth.Take(d);
  return truth.Facts(lines, broken, periodLines);
}



std::string MomentText(const Moment& m) { return m.line ? std::to_string(m.day) + " " + Money(m.hasAmount, m.amount) : "-"; }
std::string TotalText(const Total& t) { return t.outOfRange ? "out of range" : std::to_string(t.grosze); }

// The same facts as the report gives them.
std::string Reported(const Settlement& s) {
  std::string text = Text("status ", static_cast<int>(s.status), " lines ", s.journal.lines, " unreadable ",
                          s.journal.unreadableCount, " period lines ", s.periodLines) +
                     Text("sum ", TotalText(s.salesSum), " without amount ", s.salesWithoutAmount, " again ", s.convertedAgain,
                          " before ", s.convertedBefore, " difference ", TotalText(s.differenceSum)) + "[sales]\n";
  for (const Sale& x : s.sales) {
    text += Text(x.document, " ", MomentText(x.conversion), " x", x.conversions, " differ ", x.amountsDiffer, " before ", MomentText(x.before));
  }
  text += "[exclusions]\n";
  for (const RegisterEntry& x : s.exclusions) text += Text(x.document, " ", x.entry.day, " x", x.times, " converted ", MomentText(x.conversion));
  text += "[removed, not converted]\n";
  for (const RegisterEntry& x : s.removedNotConverted) text += Text(x.document, " ", x.entry.day);
  text += "[converted, not removed]\n";
  for (const Sale& x : s.convertedNotRemoved) text += Text(x.document, " ", MomentText(x.conversion));
  text += "[left]\n";
  for (const RegisterEntry& x : s.leftInJpk) text += Text(x.document, " ", x.entry.day, " x", x.times, " converted ", MomentText(x.conversion), " party ", x.contractor);
  text += "[marked]\n";
  for (const Marking& x : s.markedNotConverted) text += Text(x.document, " ", MomentText(x.marked));
  return text;
}

int NextDay(int day) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const int year = day / 10000, month = day / 100 % 100;
  if (day % 100 < kDays[month - 1]) return day + 1;
  return month == 12 ? (year + 1) * 10000 + 101 : year * 10000 + (month + 1) * 100 + 1;
}

std::string FirstDifference(const std::string& want, const std::string& got) {
  std::istringstream a(want), b(got);
  std::string x, y;
  for (int n = 1; a || b; ++n) {
    x.clear(), y.clear();
    std::getline(a, x), std::getline(b, y);
    if (x != y) return "  line " + std::to_string(n) + " of the facts:\n    model:  " + x + "\n    report: " + y + "\n";
  }
  return "";
}

// The report of one period against the model's facts.
bool Check(Shop& shop, const std::string& journal, std::size_t lines, int broken, const Period& period, uint64_t seed) {
  SettlementBuilder builder(period);
  JournalSummary summary;
  ReadJournalText(journal, builder, summary, static_cast<std::size_t>(shop.Between(1, 4096)));
  const Settlement settlement = builder.Finish(summary);
  const std::string want = TruthOf(shop, lines, broken, period);
  const std::string got = Reported(settlement);
  const std::string verdict = Verdict(settlement);
  const std::string text = SettlementText({"d", settlement}) + SettlementCsv({"d", settlement});
  const bool printable = std::none_of(text.begin(), text.end(), [](char c) { return c != '\n' && c != '\r' && (c >= 0 && c < 0x20); });
  const bool spoken = verdict.rfind("WYNIK " + std::to_string(static_cast<int>(settlement.status)), 0) == 0 && printable;
  if (want == got && spoken) return true;
  std::printf("kalwraport walk, seed %llu, period %d..%d: the report differs from the model%s\n%s  verdict: %s\n"
              "  replay: kalwraport_walk --seed %llu\n",
              static_cast<unsigned long long>(seed), period.from, period.to, printable ? "" : " (a control byte in the text or CSV)",
              FirstDifference(want, got).c_str(),
              verdict.c_str(), static_cast<unsigned long long>(seed));
  return false;
}

// One seed: the shop's sixteen months, the journal re-saved part way, every
// month, the whole journal and a period without records settled.
bool Walk(uint64_t seed) {
  Shop shop(seed);
  for (int day = 20260901, counter = 0; day <= 20271231; day = NextDay(day)) {
    if (day % 100 == 1) counter = 0;
    shop.Day(day, counter);
  }
  Resave r{};
  r.lines = shop.Chance(0.5) ? static_cast<std::size_t>(shop.Between(0, static_cast<int>(shop.lines.size()))) : 0;
  r.dropEmpty = shop.Chance(0.5), r.currency = shop.Chance(0.5), r.utf8 = shop.Chance(0.5);
  r.byteOrderMark = r.utf8 && r.lines && shop.Chance(0.5), r.lf = shop.Chance(0.5), r.header = r.lines && shop.Chance(0.3);
  const std::string journal = Render(shop, r);
  const char* keep = std::getenv("KALWRAPORT_WALK_JOURNAL");  // the journal of a failing seed, to read
  if (std::FILE* file = keep ? std::fopen(keep, "wb") : nullptr) std::fwrite(journal.data(), 1, journal.size(), file), std::fclose(file);
  int broken = 0;
  for (const auto& line : shop.lines) broken += line.broken;

  std::vector<Period> periods = {Period{}, Period{20621101, 20621130}};
  for (int month = 202609; month <= 202712; month = month % 100 == 12 ? month + 89 : month + 1) {
    periods.push_back({month * 100 + 1, month * 100 + 31});
  }
  for (const Period& period : periods) {
    if (!Check(shop, journal, shop.lines.size() + r.header, broken, period, seed)) return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  unsigned long long start = 1, seeds = 20, failed = 0;
  for (int i = 1; i + 1 < argc; i += 2) {
    const unsigned long long value = std::strtoull(argv[i + 1], nullptr, 10);
    (std::strcmp(argv[i], "--seeds") == 0 ? seeds : start) = value;
    if (std::strcmp(argv[i], "--seed") == 0) seeds = 1;
  }
  for (unsigned long long seed = start; seed < start + seeds; ++seed) failed += !Walk(seed);
  std::printf("kalwraport walk: %llu seeds from %llu, %llu failed\n", seeds, start, failed);
  return failed ? 1 : 0;
}
