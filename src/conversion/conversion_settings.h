// How conversion works for one keypad: which dictionaries ↓ consults, whose learning feeds the
// predictions and takes the choices, and whether predictions are offered. The keypad owns one;
// `lumeta --builtin-dictionary` is {Dictionaries::builtin, nullptr, true}, `--no-learning`
// leaves `learning` empty.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "dictionary.h"
#include "engine.h"

namespace lumeta {

class Learning;

struct ConversionSettings : CandidateSource {
  ConversionSettings() = default;
  ConversionSettings(Dictionaries dictionaries, Learning* learning, bool predictions)
      : dictionaries(dictionaries), learning(learning), predictions(predictions) {}

  Dictionaries dictionaries = Dictionaries::builtin_and_large;
  // The store choices go to and predictions read; none learns and reads nothing. With the
  // built-in table alone nothing is learned or read either (learning_in_use).
  Learning* learning = nullptr;
  // Whether the strip offers predictions; without them it offers the candidates alone.
  bool predictions = true;

  // The store in use: `learning`, except with the built-in table alone.
  Learning* learning_in_use() const {
    return dictionaries == Dictionaries::builtin ? nullptr : learning;
  }
  int candidates(std::string_view reading, std::span<std::string> out) const override {
    return lookup_candidates(dictionaries, reading, out, learning_in_use());
  }
};

}  // namespace lumeta
