#pragma once
// The text of one field slot, held in place: decoding a record writes its
// characters straight into the slot, so no record costs an allocation.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

namespace vantor {

class SlotText {
 public:
  // The longest text a record can give: a calling number of 250 bytes shown
  // as 500 hexadecimal digits.
  static constexpr std::size_t kCapacity = 512;
  // Bytes past the capacity that may be read (never shown), so a short text
  // can be copied with one fixed-size move.
  static constexpr std::size_t kSlack = 32;

  SlotText() = default;
  SlotText(std::string_view text) { assign(text); }  // NOLINT: reads like a string
  SlotText& operator=(std::string_view text) {
    assign(text);
    return *this;
  }

  bool empty() const { return size_ == 0; }
  std::size_t size() const { return size_; }
  const char* data() const { return text_; }
  void clear() { size_ = 0; }

  // Longer texts are cut at the capacity.
  void assign(std::string_view text) {
    size_ = static_cast<std::uint16_t>(std::min(text.size(), kCapacity));
    std::copy_n(text.data(), size_, text_);
  }
  // For writers that fill the slot themselves: room for kCapacity characters,
  // then SetSize with how many were written.
  char* Room() { return text_; }
  void SetSize(std::size_t size) { size_ = static_cast<std::uint16_t>(std::min(size, kCapacity)); }

  std::string_view View() const { return {text_, size_}; }
  operator std::string_view() const { return View(); }  // NOLINT: reads like a string
  std::string Text() const { return std::string(View()); }

  friend bool operator==(const SlotText& a, std::string_view b) { return a.View() == b; }

 private:
  std::uint16_t size_ = 0;
  char text_[kCapacity + kSlack] = {};
};

}  // namespace vantor
