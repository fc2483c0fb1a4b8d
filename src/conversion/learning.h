// What conversion asks of the user's learning: the spellings they chose for a reading and the
// words that followed a word in their text. The learning store (src/storage) keeps them on
// disk; conversion sees only this. All strings are Shift-JIS.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lumeta {

class Learning {
 public:
  // One learned spelling: がぞう → 画像, confirmed `count` times, the last at `last_used`
  // (milliseconds since 1970, made unique and increasing within one store).
  struct Choice {
    std::string reading;
    std::string spelling;
    int64_t count = 0;
    int64_t last_used = 0;
  };

  virtual ~Learning() = default;

  // A spelling confirmed for a reading: かく, 描く.
  virtual void record_choice(std::string_view reading, std::string_view spelling) = 0;
  // One word after another: 描く then 絵.
  virtual void record_pair(std::string_view previous, std::string_view next) = 0;

  // Learned spellings whose reading begins with `prefix` (the reading itself included), most
  // recently used first, at most `limit`: がぞ → 画像 (がぞう), 画素 (がそ is not one).
  virtual std::vector<Choice> choices(std::string_view prefix, std::size_t limit) const = 0;
  // Words learned after `spelling`, the most often seen first, then the most recently used:
  // 描く → 絵 (twice), 線 (once, later).
  virtual std::vector<std::string> followers(std::string_view spelling,
                                             std::size_t limit) const = 0;
};

}  // namespace lumeta
