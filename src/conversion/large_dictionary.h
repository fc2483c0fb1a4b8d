// The large reading dictionary built into the program from SKK's dictionary at build time:
// about 160,000 readings and kana-ending stems, searched in place in the linked table.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace lumeta::large_dictionary {

// The candidates of one key, in the dictionary's order.
class Candidates {
 public:
  Candidates() = default;
  explicit Candidates(std::string_view packed) : rest_(packed) {}
  bool empty() const { return rest_.empty(); }
  // The next candidate (Shift-JIS); empty when there are no more.
  std::string_view next();

 private:
  std::string_view rest_;  // length byte and text of each candidate still to come
};

// The candidates of `key`: a whole reading ("がぞう"), or a stem followed by the ASCII letter
// of its ending's first kana ("かk" for 書く). Not found gives an empty list.
Candidates find(std::string_view key);

// Number of keys in the table.
std::size_t size();

// Key number `i` (0 ≤ i < size()), in the table's byte order.
std::string_view key_at(std::size_t i);

}  // namespace lumeta::large_dictionary
