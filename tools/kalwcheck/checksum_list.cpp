#include "checksum_list.h"

#include <cctype>
#include <cstdint>

#include "console_text.h"
#include "file_access.h"
#include "sha256.h"

namespace kw::tools {

namespace {

constexpr std::size_t kReadLimit = std::size_t{256} << 20;
constexpr std::size_t kDigestLength = 64;

struct Listed {
  std::string digest;
  std::string name;
};

bool IsDigest(const std::string& text) {
  if (text.size() != kDigestLength) return false;
  for (const char c : text) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// The lines "<64 hex digits>  <name>" (or " *<name>", binary mode); others are
// not sums and are passed over.
std::vector<Listed> ParseList(const std::vector<uint8_t>& bytes) {
  std::vector<Listed> listed;
  std::string line;
  for (std::size_t i = 0; i <= bytes.size(); ++i) {
    if (i < bytes.size() && bytes[i] != '\n') {
      line += static_cast<char>(bytes[i]);
      continue;
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::string digest = line.substr(0, kDigestLength);
    if (IsDigest(digest) && line.size() > kDigestLength + 2 && line[kDigestLength] == ' ' &&
        (line[kDigestLength + 1] == ' ' || line[kDigestLength + 1] == '*')) {
      listed.push_back({Lower(digest), line.substr(kDigestLength + 2)});
    }
    line.clear();
  }
  return listed;
}

std::size_t NameStart(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? 0 : slash + 1;
}

std::string InFolderOf(const std::string& listPath, const std::string& name) {
  return listPath.substr(0, NameStart(listPath)) + name;
}

const Listed* FindListed(const std::vector<Listed>& listed, const std::string& path) {
  const std::string name = Lower(path.substr(NameStart(path)));
  for (const Listed& line : listed) {
    if (Lower(line.name) == name) return &line;
  }
  return nullptr;
}

struct Tally {
  int matching = 0;
  int differing = 0;
  int unchecked = 0;
};

void CheckOne(const std::string& path, const Listed* line, Tally& tally, std::string& text) {
  const std::string shown = DisplayPath(path);
  if (!line) {
    ++tally.unchecked;
    text += "NIESPRAWDZONY  " + shown + ": nie ma go na liście sum\n";
    return;
  }
  const FileBytes file = ReadWholeFile(path, kReadLimit);
  if (!file.ok) {
    ++tally.unchecked;
    text += "NIESPRAWDZONY  " + shown + ": nie można odczytać pliku: " + file.reason + "\n";
    return;
  }
  const std::string digest = Sha256Hex(file.bytes);
  if (digest == line->digest) {
    ++tally.matching;
    text += "ZGODNY         " + shown + "\n";
  } else {
    ++tally.differing;
    text += "INNY           " + shown + ": suma " + digest + ", na liście " + line->digest + "\n";
  }
}

SumReport Verdict(const Tally& tally, std::string text, const std::string& list) {
  SumReport report;
  if (tally.differing > 0) {
    report.status = SumStatus::Differs;
    text += "WYNIK 1: plików innych niż na liście " + list + ": " + std::to_string(tally.differing) +
            "; skopiuj je z paczki jeszcze raz.";
  } else if (tally.unchecked > 0 || tally.matching == 0) {
    report.status = SumStatus::NotChecked;
    text += "WYNIK 3: nie sprawdzono plików: " + std::to_string(tally.unchecked) +
            "; żaden sprawdzony nie jest inny niż na liście " + list + ".";
  } else {
    text += "WYNIK 0: wszystkie sprawdzone pliki (" + std::to_string(tally.matching) + ") są takie jak na liście " +
            list + ".";
  }
  report.text = text + "\n";
  return report;
}

}  // namespace

SumReport DigestLines(const std::vector<std::string>& files) {
  SumReport report;
  for (const std::string& path : files) {
    const FileBytes file = ReadWholeFile(path, kReadLimit);
    if (file.ok) {
      report.text += Sha256Hex(file.bytes) + "  " + DisplayPath(path) + "\n";
    } else {
      report.status = SumStatus::NotChecked;
      report.text += "NIESPRAWDZONY  " + DisplayPath(path) + ": nie można odczytać pliku: " + file.reason + "\n";
    }
  }
  return report;
}

SumReport CheckAgainstList(const std::string& listPath, const std::vector<std::string>& files) {
  const std::string list = DisplayPath(listPath);
  const FileBytes listFile = ReadWholeFile(listPath, kReadLimit);
  const std::vector<Listed> listed = listFile.ok ? ParseList(listFile.bytes) : std::vector<Listed>{};
  if (listed.empty()) {
    SumReport report;
    report.status = SumStatus::NotChecked;
    report.text = "WYNIK 3: nie sprawdzono plików: lista " + list + " " +
                  (listFile.ok ? std::string("nie ma żadnej sumy SHA-256")
                               : "nie da się odczytać: " + listFile.reason) + ".\n";
    return report;
  }
  Tally tally;
  std::string text;
  if (files.empty()) {
    for (const Listed& line : listed) CheckOne(InFolderOf(listPath, line.name), &line, tally, text);
  } else {
    for (const std::string& path : files) CheckOne(path, FindListed(listed, path), tally, text);
  }
  return Verdict(tally, text, list);
}

}  // namespace kw::tools
