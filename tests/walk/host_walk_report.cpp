// The end of the walk as the accountant sees it: the register built once more,
// and kalwraport (the program beside this one) over the journal the walk's
// host wrote, its findings against the walk's own account of the shop.
#include <windows.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>

#include "host_walk.h"
#include "sim_files.h"
#include "sim_jpk_register.h"
#include "sim_tables.h"

namespace kwtest {

namespace {

// Runs kalwraport over `journal` with --json into `output`: its exit code, or
// -1 when it could not be started.
int RunReport(const std::string& journal, const std::string& output) {
  char self[MAX_PATH];
  const std::string program(self, GetModuleFileNameA(nullptr, self, MAX_PATH));
  std::string command = "\"" + program.substr(0, program.find_last_of("\\/") + 1) + "kalwraport.exe\" \"" + journal +
                        "\" --json";
  SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
  HANDLE out = CreateFileA(output.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherited, CREATE_ALWAYS, 0, nullptr);
  STARTUPINFOA start{};
  start.cb = sizeof start;
  start.dwFlags = STARTF_USESTDHANDLES;
  start.hStdOutput = out;
  start.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION process{};
  const BOOL started = CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &start, &process);
  CloseHandle(out);
  if (!started) return -1;
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(code);
}

std::string Number(const char* field, std::size_t size) { return std::string(field, strnlen(field, size)); }

std::string Listed(const std::set<std::string>& numbers) {
  std::string list;
  for (const std::string& number : numbers) list += (list.empty() ? "" : ", ") + number;
  return "{" + list + "}";
}

// The number a stored document was entered with (before the module marked it,
// the host's second number holds it).
std::string StoredNumber(const std::string& bytes) {
  const auto& record = *reinterpret_cast<const kw::DocRecord*>(bytes.data());
  return Number(record.DocAltNumber, sizeof record.DocAltNumber);
}

}  // namespace

// The register built once more at the end, with new entries, some of TMO's
// refused: what stays in it is what the report must find left.
void HostWalk::FinalRegisterPass() {
  StartStep();
  AddRegisterEntries();
  Doing("the end: the JPK register built again, some deletions refused");
  for (const int entry : jpk_.List()) {
    const auto* record = reinterpret_cast<const kw::JpkRecord*>(tables_.Record(400, entry - 1).data());
    if (record->JpkContrNumber == hostsim::kTmoNumber && Chance(50)) jpk_.FailDeletionOf(entry);
  }
  RaiseJpk(hostsim::kJpkCleanupEvent);
  jpk_.ClearDeletionFailures();
  Check();
}

// What the walk knows of the shop at its end, as the report must find it.
HostWalk::ShopAccount HostWalk::AccountOfShop() const {
  ShopAccount account;
  for (const StoredDocument& document : model_.Documents()) {
    if (document.marked && document.converted.empty()) account.markedNotSold.insert(StoredNumber(document.stored));
    if (document.converted.empty()) continue;
    const auto& record = *reinterpret_cast<const kw::DocRecord*>(document.converted.data());
    account.sold[Number(record.DocNumber, sizeof record.DocNumber)] = std::llround(record.TotalAmount * 100);
  }
  for (const auto& [number, amount] : account.sold) account.notRemoved.insert(number);
  for (const int entry : jpk_.Deleted()) {
    const auto* record = reinterpret_cast<const kw::JpkRecord*>(tables_.Record(400, entry - 1).data());
    account.notRemoved.erase(record->JpkDocNumber);
    if (!account.sold.count(record->JpkDocNumber)) account.removedNotSold.insert(record->JpkDocNumber);
  }
  for (const int entry : jpk_.List()) {
    const auto* record = reinterpret_cast<const kw::JpkRecord*>(tables_.Record(400, entry - 1).data());
    if (record->JpkContrNumber != hostsim::kTmoNumber) continue;
    account.notRemoved.erase(record->JpkDocNumber);
    account.left.insert(record->JpkDocNumber);
  }
  bool strayUnsold = false;
  for (const std::string& number : strayMarks_) strayUnsold = strayUnsold || !account.sold.count(number);
  account.status = account.notRemoved.empty() && account.removedNotSold.empty() && account.left.empty() &&
                           account.markedNotSold.empty() && !strayUnsold
                       ? 0
                       : 1;
  if (files_.Appended(kw::kJournalFile).empty()) account.status = 1;  // a journal with no line is no all-clear
  return account;
}

// kalwraport's --json over the whole journal against the walk's account. It
// reads: the exit code, "status", sales.documents[] (document, amount_grosze,
// conversions), and the document of each of converted_not_removed[],
// removed_not_converted[], left_in_jpk[] and marked_not_converted[].
std::optional<std::string> HostWalk::CompareReport() const {
  const ShopAccount account = AccountOfShop();
  std::ofstream journal(files_.PathOf("walk-journal.csv"), std::ios::binary);
  for (const std::string& line : files_.Appended(kw::kJournalFile)) journal << line << "\r\n";
  journal.close();
  const int exit = RunReport(files_.PathOf("walk-journal.csv"), files_.PathOf("walk-report.json"));
  std::stringstream text;
  text << std::ifstream(files_.PathOf("walk-report.json")).rdbuf();
  const nlohmann::json report = nlohmann::json::parse(text.str(), nullptr, false);
  if (report.is_discarded()) return "kalwraport exited " + std::to_string(exit) + " without its JSON: " + text.str();
  std::map<std::string, int64_t> sold;
  for (const auto& sale : report["sales"]["documents"]) {
    if (sale["conversions"] != 1) return "kalwraport counts " + sale["document"].dump() + " converted more than once";
    sold[sale["document"]] = sale["amount_grosze"].is_number() ? sale["amount_grosze"].get<int64_t>() : -1;
  }
  const auto documents = [&](const char* key) {
    std::set<std::string> found;
    for (const auto& item : report[key]) found.insert(item["document"].get<std::string>());
    return found;
  };
  std::string wrong;
  if (exit != account.status || report["status"] != account.status) wrong += " exit " + std::to_string(exit) + ";";
  if (sold != account.sold) wrong += " the documents converted or their amounts;";
  const auto compare = [&](const char* key, const std::set<std::string>& expected) {
    const std::set<std::string> found = documents(key);
    if (found != expected) wrong += " " + std::string(key) + " " + Listed(found) + " against " + Listed(expected) + ";";
  };
  compare("converted_not_removed", account.notRemoved);
  compare("removed_not_converted", account.removedNotSold);
  compare("left_in_jpk", account.left);
  // A mark at an acceptance whose document the host never stored stays marked
  // in the journal: the report may name it, the shop holds no such document.
  std::set<std::string> marked = documents("marked_not_converted");
  for (const std::string& number : strayMarks_) {
    if (!account.sold.count(number) && !account.markedNotSold.count(number)) marked.erase(number);
  }
  if (marked != account.markedNotSold) {
    wrong += " marked_not_converted " + Listed(marked) + " against " + Listed(account.markedNotSold) + ";";
  }
  if (wrong.empty()) return std::nullopt;
  return "kalwraport's report differs from the walk's account (" + std::to_string(account.sold.size()) +
         " converted, " + std::to_string(account.left.size()) + " left, status " + std::to_string(account.status) +
         "):" + wrong + " report in " + files_.PathOf("walk-report.json");
}

}  // namespace kwtest
