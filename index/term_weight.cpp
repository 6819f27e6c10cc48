#include "index/term_weight.h"

namespace brambel {

namespace {

constexpr float kSaturation = 1.2f;     // k1
constexpr float kLengthInfluence = 0.75f;  // b

}  // namespace

float TermWeight(uint32_t occurrences, uint32_t documentLength) {
  if (occurrences == 0) return 0.0f;
  const float frequency = static_cast<float>(occurrences);
  const float relativeLength =
      static_cast<float>(documentLength) / static_cast<float>(kReferenceLength);
  const float norm = kSaturation * (1.0f - kLengthInfluence + kLengthInfluence * relativeLength);
  return frequency * (kSaturation + 1.0f) / (frequency + norm);
}

}  // namespace brambel
