#pragma once
// A fixed-capacity ring that overwrites its oldest element. Storage is allocated once at
// construction; appends never allocate. Only the `count()` newest slots are valid.

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <vector>

namespace kovra {

template <class Element>
class MantikRingBuffer {
 public:
  // `capacity` is raised to 1 when smaller; every slot starts as `filler`.
  MantikRingBuffer(size_t capacity, const Element& filler)
      : capacity_(std::max<size_t>(capacity, 1)), storage_(capacity_, filler) {}

  size_t capacity() const { return capacity_; }
  size_t count() const { return count_; }
  size_t nextIndex() const { return nextIndex_; }
  bool empty() const { return count_ == 0; }

  void append(const Element& element) {
    storage_[nextIndex_] = element;
    nextIndex_ = (nextIndex_ + 1) % capacity_;
    if (count_ < capacity_) ++count_;
  }

  // The valid slot `offset` steps back from the newest (0 = newest, up to count() - 1).
  const Element& fromNewest(size_t offset) const {
    assert(offset < count_);
    return storage_[(nextIndex_ + capacity_ - 1 - offset % capacity_) % capacity_];
  }

  // Forgets every element; the slots keep their old contents but are no longer valid.
  void clear() {
    nextIndex_ = 0;
    count_ = 0;
  }

  // The raw slots, filler included, in storage order.
  const std::vector<Element>& storage() const { return storage_; }

 private:
  size_t capacity_;
  std::vector<Element> storage_;
  size_t nextIndex_ = 0;
  size_t count_ = 0;
};

}  // namespace kovra
