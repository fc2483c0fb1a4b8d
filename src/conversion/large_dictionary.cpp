#include "large_dictionary.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "large_dictionary_format.h"

// The table, linked in by large_dictionary.S.
extern "C" const unsigned char lumeta_large_dictionary[];

namespace lumeta::large_dictionary {
namespace {

uint32_t word(std::size_t index) {
  uint32_t v;
  std::memcpy(&v, lumeta_large_dictionary + index * sizeof v, sizeof v);
  return v;
}

// Header: magic, entry count, then count + 1 offsets into the entry area.
std::size_t count() {
  return word(0) == kMagic ? word(1) : 0;
}

const char* area() {
  return reinterpret_cast<const char*>(lumeta_large_dictionary) + (3 + count()) * 4;
}

// Entry `i`: its key and the packed candidates after it.
std::string_view entry(std::size_t i) {
  const uint32_t begin = word(2 + i);
  const uint32_t end = word(3 + i);
  return {area() + begin, end - begin};
}

std::string_view key_of(std::string_view e) {
  return e.substr(1, static_cast<unsigned char>(e[0]));
}

}  // namespace

std::string_view Candidates::next() {
  if (rest_.empty()) return {};
  const std::size_t length = static_cast<unsigned char>(rest_[0]);
  const std::string_view text = rest_.substr(1, length);
  rest_.remove_prefix(std::min(rest_.size(), length + 1));
  return text;
}

Candidates find(std::string_view key) {
  std::size_t low = 0;
  std::size_t high = count();
  while (low < high) {
    const std::size_t middle = low + (high - low) / 2;
    const std::string_view e = entry(middle);
    const std::string_view k = key_of(e);
    if (k < key) {
      low = middle + 1;
    } else if (key < k) {
      high = middle;
    } else {
      return Candidates(e.substr(1 + k.size()));
    }
  }
  return {};
}

std::size_t size() {
  return count();
}

std::string_view key_at(std::size_t i) {
  return key_of(entry(i));
}

}  // namespace lumeta::large_dictionary
