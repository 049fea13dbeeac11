// CommandText: the text of one instrument command, held in the call frame. Commands are short,
// so the text lives in an inline array and only a longer one goes to the heap; formatting a
// command on the entry path therefore never allocates.
#pragma once

#include <cstddef>
#include <cstring>
#include <memory>
#include <string_view>

namespace tevra::core {

class CommandText {
 public:
  static constexpr std::size_t kInlineCapacity = 256;

  CommandText() = default;
  CommandText(const CommandText&) = delete;
  CommandText& operator=(const CommandText&) = delete;
  CommandText& operator=(std::string_view text) {
    clear();
    append(text);
    return *this;
  }

  std::string_view view() const { return {data_, size_}; }
  operator std::string_view() const { return view(); }
  const char* data() const { return data_; }
  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  std::size_t capacity() const { return capacity_; }

  void clear() { size_ = 0; }
  // Shrinks to size (a longer size is ignored); the capacity stays.
  void truncate(std::size_t size) {
    if (size < size_) size_ = size;
  }
  void push_back(char c) {
    if (size_ == capacity_) Grow(size_ + 1);
    data_[size_++] = c;
  }
  void append(std::string_view text) {
    if (text.empty()) return;
    if (size_ + text.size() > capacity_) Grow(size_ + text.size());
    std::memcpy(data_ + size_, text.data(), text.size());
    size_ += text.size();
  }

  friend bool operator==(const CommandText& a, std::string_view b) { return a.view() == b; }

 private:
  // At least doubles, so that a long command costs a few allocations, not one per piece.
  void Grow(std::size_t needed) {
    std::size_t capacity = capacity_ * 2;
    if (capacity < needed) capacity = needed;
    std::unique_ptr<char[]> bigger(new char[capacity]);
    std::memcpy(bigger.get(), data_, size_);
    heap_ = std::move(bigger);
    data_ = heap_.get();
    capacity_ = capacity;
  }

  char inline_[kInlineCapacity];
  std::unique_ptr<char[]> heap_;
  char* data_ = inline_;
  std::size_t size_ = 0;
  std::size_t capacity_ = kInlineCapacity;
};

}  // namespace tevra::core
