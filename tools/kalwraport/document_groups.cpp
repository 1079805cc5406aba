#include "document_groups.h"

#include <string_view>
#include <tuple>

namespace kw::tools {

namespace {

constexpr int32_t kEmptySlot = -1;

// FNV-1a: document numbers are short texts.
uint32_t HashOf(std::string_view text) {
  uint32_t hash = 2166136261u;
  for (const char c : text) hash = (hash ^ static_cast<uint8_t>(c)) * 16777619u;
  return hash;
}

std::size_t TableSize(std::size_t records) {
  std::size_t size = 16;
  while (size < 2 * records) size *= 2;
  return size;
}

}  // namespace

DocumentGroups::DocumentGroups(const std::vector<JournalRecord>& records) {
  const std::size_t size = TableSize(records.size());
  const std::size_t mask = size - 1;
  std::vector<int32_t> slots(size, kEmptySlot);  // a group's number
  std::vector<uint32_t> slotHashes(size);         // its number's hash, compared before the text
  std::vector<const JournalRecord*> firstOfGroup;
  std::vector<int32_t> groupOf(records.size());
  for (std::size_t i = 0; i < records.size(); ++i) {
    const std::string_view document = records[i].document;
    const uint32_t hash = HashOf(document);
    std::size_t slot = hash & mask;
    while (slots[slot] != kEmptySlot &&
           (slotHashes[slot] != hash || firstOfGroup[slots[slot]]->document != document)) {
      slot = (slot + 1) & mask;
    }
    if (slots[slot] == kEmptySlot) {
      slots[slot] = static_cast<int32_t>(firstOfGroup.size());
      slotHashes[slot] = hash;
      firstOfGroup.push_back(&records[i]);
    }
    groupOf[i] = slots[slot];
  }

  groupStart_.assign(firstOfGroup.size() + 1, 0);
  for (const int32_t group : groupOf) ++groupStart_[group + 1];
  for (std::size_t group = 1; group < groupStart_.size(); ++group) groupStart_[group] += groupStart_[group - 1];
  std::vector<int32_t> filled(groupStart_.begin(), groupStart_.end() - 1);
  ordered_.resize(records.size());
  for (std::size_t i = 0; i < records.size(); ++i) ordered_[filled[groupOf[i]]++] = &records[i];
}

void DocumentGroups::InTimeOrder(int32_t group, std::vector<const JournalRecord*>& out) const {
  out.assign(ordered_.begin() + groupStart_[group], ordered_.begin() + groupStart_[group + 1]);
  // The journal is written in time order, so the group mostly is already:
  // an insertion sort, which then only checks.
  const auto later = [](const JournalRecord* a, const JournalRecord* b) {
    return std::tie(a->day, a->time, a->line) > std::tie(b->day, b->time, b->line);
  };
  for (std::size_t i = 1; i < out.size(); ++i) {
    const JournalRecord* record = out[i];
    std::size_t at = i;
    for (; at > 0 && later(out[at - 1], record); --at) out[at] = out[at - 1];
    out[at] = record;
  }
}

}  // namespace kw::tools
