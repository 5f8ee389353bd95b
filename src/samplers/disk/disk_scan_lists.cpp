#include "samplers/disk/disk_scan_lists.h"

#include <algorithm>

namespace kovra {

bool scanOrder(const ScanSizedURL& a, const ScanSizedURL& b) {
  if (a.size != b.size) return a.size > b.size;
  return a.url < b.url;
}

void trimCandidates(std::vector<ScanSizedURL>& list, size_t limit) {
  if (list.size() > limit) {
    std::partial_sort(list.begin(), list.begin() + static_cast<std::ptrdiff_t>(limit), list.end(), scanOrder);
    list.resize(limit);
  } else {
    std::sort(list.begin(), list.end(), scanOrder);
  }
}

bool ScanTopFiles::accepts(uint64_t size) const {
  if (size == 0 || capacity_ == 0) return false;
  return items_.size() < capacity_ || items_.back().size < size;
}

void ScanTopFiles::insert(std::string url, uint64_t size, uint64_t order) {
  if (!accepts(size)) return;
  // After every item at least as large, so the earlier of two equal files stays ahead.
  auto at = std::upper_bound(items_.begin(), items_.end(), size,
                             [](uint64_t s, const ScanSizedURL& item) { return s > item.size; });
  items_.insert(at, ScanSizedURL{std::move(url), size, order});
  if (items_.size() > capacity_) items_.pop_back();
}

}  // namespace kovra
