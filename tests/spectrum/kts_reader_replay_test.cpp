#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string>
#include <vector>

#include "../support/scratch_files.h"
#include "kts_reader_harness.h"

namespace korva {
namespace {

namespace fs = std::filesystem;

// Pieces a mutation splices in: the reader's own vocabulary, line ends,
// signs and numbers at their limits, and a line longer than the reader's.
const std::array<std::string, 20> kTokens = {
    "<data>",
    "</data>",
    "<offset>4096</offset>",
    "<offset>8191</offset>",
    "<spectrum>",
    "</spectrum>",
    "<SPECTRUM>",
    "<hardsize>513</hardsize>",
    "<softsize>1</softsize>",
    "<registers>",
    "<size>999</size>",
    "<calibration>",
    "<channelC>1e999</channelC>",
    "<tag>&amp;&</tag>",
    "+",
    "\n",
    "\r\n",
    "4294967296",
    "-2147483649",
    std::string(300, 'x'),
};

std::vector<std::uint8_t> Mutate(std::vector<std::uint8_t> input, std::mt19937& random) {
  const int steps = std::uniform_int_distribution<int>(1, 4)(random);
  for (int step = 0; step < steps; ++step) {
    const std::size_t at =
        input.empty() ? 0 : std::uniform_int_distribution<std::size_t>(0, input.size() - 1)(random);
    switch (std::uniform_int_distribution<int>(0, 3)(random)) {
      case 0:  // overwrite a byte
        if (!input.empty()) input[at] = static_cast<std::uint8_t>(random());
        break;
      case 1: {  // splice in a token
        const std::string& token = kTokens[random() % kTokens.size()];
        input.insert(input.begin() + static_cast<std::ptrdiff_t>(at), token.begin(), token.end());
        break;
      }
      case 2: {  // cut a stretch
        const std::size_t length = std::min<std::size_t>(input.size() - at, random() % 4000);
        input.erase(input.begin() + static_cast<std::ptrdiff_t>(at),
                    input.begin() + static_cast<std::ptrdiff_t>(at + length));
        break;
      }
      default: {  // repeat a stretch
        const std::size_t length = std::min<std::size_t>(input.size() - at, random() % 2000);
        const std::vector<std::uint8_t> copy(input.begin() + static_cast<std::ptrdiff_t>(at),
                                             input.begin() + static_cast<std::ptrdiff_t>(at + length));
        input.insert(input.begin() + static_cast<std::ptrdiff_t>(at), copy.begin(), copy.end());
        break;
      }
    }
  }
  return input;
}

// The round-trip fuzz target's check, which includes the reader's, over the
// seed corpus and a fixed, seeded set of mutations of it, so every build
// (the sanitizer tree included) runs it.
TEST(KtsReaderReplayTest, SeedsAndTheirMutationsReadSafely) {
  constexpr int kMutationsPerSeed = 60;
  std::vector<fs::path> seeds;
  for (const auto& entry : fs::directory_iterator(KORVA_SPECTRUM_CORPUS_DIR)) seeds.push_back(entry.path());
  std::sort(seeds.begin(), seeds.end());
  ASSERT_GE(seeds.size(), 3u);
  std::mt19937 random(20240307);
  for (const fs::path& seed : seeds) {
    const std::string text = test::ReadFile(seed);
    const std::vector<std::uint8_t> bytes(text.begin(), text.end());
    EXPECT_EQ(fuzz::CheckKtsRoundTrip(bytes.data(), bytes.size()), "") << seed;
    for (int i = 0; i < kMutationsPerSeed; ++i) {
      const std::vector<std::uint8_t> mutated = Mutate(bytes, random);
      const std::string fault = fuzz::CheckKtsRoundTrip(mutated.data(), mutated.size());
      ASSERT_EQ(fault, "") << seed << " mutation " << i;
    }
  }
  EXPECT_EQ(fuzz::CheckKtsRoundTrip(nullptr, 0), "");
}

}  // namespace
}  // namespace korva
