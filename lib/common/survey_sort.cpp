#include "lib/common/survey_sort.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vtr {
namespace {

// Texts and the security word are exchanged only when strictly out of order; the number columns
// when equal as well.
bool ExchangesEqualKeys(uint32_t sortKey) {
  return sortKey == kSortByWps || sortKey == kSortByChannel || sortKey == kSortBySignal ||
         sortKey == kSortByNetworkType;
}

// The sorted column of every entry, read once before the sort. Numbers are compared as signed
// values (WPS as an unsigned byte); a text is kept up to its terminator (its field's size bounds
// one that has none) with each byte's sign bit flipped, so that comparing the kept bytes as
// unsigned orders them as signed characters, and a text that ends first is the smaller one.
class Column {
 public:
  Column(uint32_t sortKey, const VtrSurveyEntry* entries, uint32_t count) {
    const bool text =
        sortKey == kSortByName || sortKey == kSortByBssid || sortKey == kSortByFrequency;
    if (!text) {
      numbers_.reserve(count);
      for (uint32_t i = 0; i < count; ++i) numbers_.push_back(Number(sortKey, entries[i]));
      return;
    }
    starts_.reserve(count + 1);
    texts_.reserve(size_t{count} * 16);
    for (uint32_t i = 0; i < count; ++i) {
      starts_.push_back(static_cast<uint32_t>(texts_.size()));
      switch (sortKey) {
        case kSortByName:
          AddText(entries[i].ssid);
          break;
        case kSortByBssid:
          AddText(entries[i].bssid);
          break;
        default:
          AddText(entries[i].frequency);
      }
    }
    starts_.push_back(static_cast<uint32_t>(texts_.size()));
  }

  // The sign of the value of entry a minus that of entry b.
  int Compare(uint32_t a, uint32_t b) const {
    if (numbers_.empty()) {
      const int order = Text(a).compare(Text(b));
      return order < 0 ? -1 : (order > 0 ? 1 : 0);
    }
    return numbers_[a] < numbers_[b] ? -1 : (numbers_[a] > numbers_[b] ? 1 : 0);
  }

 private:
  static int64_t Number(uint32_t sortKey, const VtrSurveyEntry& entry) {
    switch (sortKey) {
      case kSortBySecurity:
        return (entry.authMask & 0xFFFFu) << 16 | (entry.cipherMask & 0xFFFFu);
      case kSortByWps:
        return entry.hasWps;
      case kSortByChannel:
        return static_cast<int32_t>(entry.channel);
      case kSortBySignal:
        return entry.signal;
      default:
        return static_cast<int32_t>(entry.networkType);
    }
  }

  template <size_t N>
  void AddText(const char (&field)[N]) {
    const size_t at = texts_.size();
    texts_.resize(at + strnlen(field, N));
    for (size_t i = at; i < texts_.size(); ++i) texts_[i] = static_cast<char>(field[i - at] ^ 0x80);
  }

  std::string_view Text(uint32_t i) const {
    return std::string_view(texts_).substr(starts_[i], starts_[i + 1] - starts_[i]);
  }

  std::vector<int64_t> numbers_;
  std::string texts_;
  std::vector<uint32_t> starts_;
};

// For each entry, how many entries that end up in a later group of equal keys come before it in
// the list (groups are consecutive ranges of order, with ends[g] the end of group g).
std::vector<uint32_t> LaterGroupsBefore(const std::vector<uint32_t>& order,
                                        const std::vector<uint32_t>& ends) {
  const uint32_t count = static_cast<uint32_t>(order.size());
  std::vector<uint32_t> groupOf(count);
  for (uint32_t g = 0, at = 0; g < ends.size(); ++g) {
    for (; at < ends[g]; ++at) groupOf[order[at]] = g;
  }
  // A Fenwick tree over the groups counts the entries already passed in each.
  std::vector<uint32_t> tree(ends.size() + 1, 0);
  std::vector<uint32_t> later(count);
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t notLater = 0;
    for (size_t g = groupOf[i] + 1; g > 0; g -= g & (~g + 1)) notLater += tree[g];
    later[i] = i - notLater;
    for (size_t g = groupOf[i] + 1; g < tree.size(); g += g & (~g + 1)) ++tree[g];
  }
  return later;
}

// The order a bubble sort that also exchanges equal neighbours leaves a group of equal keys in.
// While entries that belong after the group remain unsorted, each pass carries the first of
// them to the end. It first carries the group's leading run of members (those in front of every
// such entry), if any, whose first member drops off behind the others of that run; the run then
// joins the members behind the entry carried away. Once the later entries are all sorted, each
// pass carries the group's first member to the end of what remains, which reverses the group.
//
// So the group is a queue: members join it in list order, those with r later entries in front
// of them after r passes; every pass moves the front member to the back. members is the group in
// list order, laterBefore the count for each entry, passes the number of entries after the group.
void OrderAsTheBubbleLeavesIt(std::span<uint32_t> members, const std::vector<uint32_t>& laterBefore,
                              uint32_t passes) {
  std::vector<uint32_t> queue;
  queue.reserve(members.size() * 2);
  size_t front = 0;
  uint32_t passed = 0;
  // A queue of s members is back as it was after s passes, so only the rest of the passes are
  // made.
  auto pass = [&](uint32_t until) {
    const size_t size = queue.size() - front;
    for (size_t left = size == 0 ? 0 : (until - passed) % size; left > 0; --left) {
      queue.push_back(queue[front++]);
    }
    passed = until;
  };
  for (const uint32_t member : members) {
    pass(laterBefore[member]);
    queue.push_back(member);
  }
  pass(passes);
  std::reverse_copy(queue.begin() + static_cast<std::ptrdiff_t>(front), queue.end(),
                    members.begin());
}

// Gives every group of equal keys in the sorted order the order the bubble sort that exchanges
// equal neighbours leaves it in.
void OrderEqualKeysAsTheBubble(const Column& column, std::vector<uint32_t>& order) {
  const uint32_t count = static_cast<uint32_t>(order.size());
  std::vector<uint32_t> ends;
  for (uint32_t at = 1; at <= count; ++at) {
    if (at == count || column.Compare(order[at - 1], order[at]) != 0) ends.push_back(at);
  }
  if (ends.size() == count) return;
  const auto laterBefore = LaterGroupsBefore(order, ends);
  for (uint32_t g = 0, begin = 0; g < ends.size(); begin = ends[g++]) {
    if (ends[g] - begin < 2) continue;
    OrderAsTheBubbleLeavesIt(std::span(order).subspan(begin, ends[g] - begin), laterBefore,
                             count - ends[g]);
  }
}

// Moves each entry once to its place, order[i] naming the entry that belongs at i: every cycle
// of the permutation is followed with one entry held aside. Done positions are marked in order.
void PutInOrder(std::vector<uint32_t>& order, VtrSurveyEntry* entries) {
  for (uint32_t start = 0; start < order.size(); ++start) {
    if (order[start] == start) continue;
    const VtrSurveyEntry held = entries[start];
    uint32_t at = start;
    while (order[at] != start) {
      const uint32_t from = order[at];
      entries[at] = entries[from];
      order[at] = at;
      at = from;
    }
    entries[at] = held;
    order[at] = at;
  }
}

}  // namespace

void SortEntries(uint32_t sortKey, uint32_t sortDescending, uint32_t count,
                 VtrSurveyEntry* entries) {
  if (sortKey > kSortByFrequency || count < 2 || entries == nullptr) return;
  const bool descending = sortDescending != 0;
  const Column column(sortKey, entries, count);
  // A strict exchange never moves equal entries past each other: the bubble sort is the stable
  // sort. The sort runs over positions into the entries, which are moved once at the end.
  std::vector<uint32_t> order(count);
  std::iota(order.begin(), order.end(), 0u);
  std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
    const int sign = column.Compare(a, b);
    return descending ? sign > 0 : sign < 0;
  });
  if (ExchangesEqualKeys(sortKey)) OrderEqualKeysAsTheBubble(column, order);
  PutInOrder(order, entries);
}

}  // namespace vtr
