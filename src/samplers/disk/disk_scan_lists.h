#pragma once
// The bounded candidate lists of the disk scan: the largest files, and each folder's best
// descendants.

#include <cstdint>
#include <string>
#include <vector>

namespace kovra {

// A candidate for a top list; `url` is the path byte for byte as the file system gave it.
struct ScanSizedURL {
  std::string url;
  uint64_t size = 0;
  // Where a file came in the walk of the part of the tree that found it; only the pooled walk
  // uses it, to put the files of separately walked parts back in walk order.
  uint64_t order = 0;
  bool operator==(const ScanSizedURL& o) const { return url == o.url && size == o.size; }
};

// The order of every candidate list: larger first; equal sizes by path, in plain byte order.
bool scanOrder(const ScanSizedURL& a, const ScanSizedURL& b);

// Sorts `list` by scanOrder and keeps its first `limit` items.
void trimCandidates(std::vector<ScanSizedURL>& list, size_t limit);

// The largest files seen, largest first. Among equal sizes the file found first stays ahead.
class ScanTopFiles {
 public:
  explicit ScanTopFiles(size_t capacity = 20) : capacity_(capacity) {}

  // Whether a file of `size` bytes would enter the list; lets the caller skip building its path.
  bool accepts(uint64_t size) const;
  void insert(std::string url, uint64_t size, uint64_t order = 0);

  size_t capacity() const { return capacity_; }
  const std::vector<ScanSizedURL>& items() const { return items_; }

 private:
  size_t capacity_;
  std::vector<ScanSizedURL> items_;
};

}  // namespace kovra
