#include "text_layer_measure.h"

#include <bit>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace zelvato::testing {

std::u16string joinedText(std::u16string_view extracted) {
  std::u16string text;
  text.reserve(extracted.size());
  for (const char16_t c : extracted)
    if (c != u'\n' && c != u'\r' && c != u'\f') text += c;
  return text;
}

std::size_t occurrences(std::u16string_view text, std::u16string_view word) {
  if (word.empty()) return 0;
  std::size_t count = 0;
  for (std::size_t at = text.find(word); at != std::u16string_view::npos;
       at = text.find(word, at + word.size()))
    ++count;
  return count;
}

// The length of the longest common subsequence, a bit per code unit of
// `expected` (Hyyrö's bit-vector method): whole novels compare in moments.
double shareInOrder(std::u16string_view expected, std::u16string_view read) {
  if (expected.empty()) return 1;
  const std::size_t words = (expected.size() + 63) / 64;
  std::unordered_map<char16_t, std::vector<std::uint64_t>> positions;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    auto& mask = positions[expected[i]];
    if (mask.empty()) mask.assign(words, 0);
    mask[i / 64] |= std::uint64_t{1} << (i % 64);
  }
  std::vector<std::uint64_t> v(words, ~std::uint64_t{0});
  for (const char16_t c : read) {
    const auto found = positions.find(c);
    if (found == positions.end()) continue;
    const std::vector<std::uint64_t>& match = found->second;
    // V = (V + (V & M)) | (V & ~M), the sum carried across the words.
    std::uint64_t carry = 0;
    for (std::size_t w = 0; w < words; ++w) {
      const std::uint64_t u = v[w] & match[w];
      const std::uint64_t sum = v[w] + u;
      const std::uint64_t withCarry = sum + carry;
      carry = (sum < v[w] || withCarry < sum) ? 1 : 0;
      v[w] = withCarry | (v[w] & ~match[w]);
    }
  }
  std::size_t common = 0;
  for (std::size_t w = 0; w < words; ++w) {
    std::uint64_t zeros = ~v[w];
    if (w + 1 == words && expected.size() % 64 != 0)
      zeros &= (std::uint64_t{1} << (expected.size() % 64)) - 1;
    common += static_cast<std::size_t>(std::popcount(zeros));
  }
  return static_cast<double>(common) / static_cast<double>(expected.size());
}

}  // namespace zelvato::testing
