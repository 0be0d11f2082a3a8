// Replays a fuzz harness's seed corpus, and a bounded number of seeded
// mutations of every seed, in the ordinary test run, so that the sanitizer
// tree exercises each reader without libFuzzer.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

using Bytes = std::vector<std::uint8_t>;

// Small seeds get many mutations; large ones (a whole spectrum file) fewer,
// so every harness reads about the same number of bytes and the replay
// stays quick under the sanitizers.
constexpr std::size_t kMutationsPerSeed = 3000;
constexpr std::size_t kMinMutationsPerSeed = 200;
constexpr std::size_t kBytesPerSeed = 4'000'000;

std::size_t MutationsFor(const std::vector<std::uint8_t>& seed) {
  return std::clamp(kBytesPerSeed / std::max<std::size_t>(seed.size(), 1), kMinMutationsPerSeed,
                    kMutationsPerSeed);
}
constexpr std::size_t kMaxInput = 16384;

// The seed folder of the harness this program was linked with, which the
// test run names in the environment.
std::filesystem::path Corpus() {
  const char* corpus = std::getenv("KORVA_FUZZ_CORPUS");
  return corpus == nullptr ? std::filesystem::path() : std::filesystem::path(corpus);
}

std::vector<Bytes> Seeds() {
  std::vector<std::filesystem::path> paths;
  if (Corpus().empty() || !std::filesystem::is_directory(Corpus())) return {};
  for (const auto& entry : std::filesystem::directory_iterator(Corpus())) paths.push_back(entry.path());
  std::ranges::sort(paths);  // the same mutations on every run
  std::vector<Bytes> seeds;
  for (const auto& path : paths) {
    std::ifstream in(path, std::ios::binary);
    seeds.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  return seeds;
}

// One to four edits of the kinds a fuzzer makes: a changed byte, an
// interesting byte, an inserted or deleted run, a copied run, a splice
// with another seed.
Bytes Mutate(Bytes input, const std::vector<Bytes>& seeds, std::mt19937& random) {
  constexpr std::uint8_t kInteresting[] = {0, 1, 0x7F, 0x80, 0xFF, '\r', '\n', ' ', '<', '>', '/', '-', '9'};
  auto pick = [&random](std::size_t bound) {
    return bound == 0 ? 0 : std::uniform_int_distribution<std::size_t>(0, bound - 1)(random);
  };
  const std::size_t edits = 1 + pick(4);
  for (std::size_t edit = 0; edit < edits; ++edit) {
    const std::size_t at = pick(input.size() + 1);
    switch (pick(6)) {
      case 0:
        if (at < input.size()) input[at] ^= static_cast<std::uint8_t>(1u << pick(8));
        break;
      case 1:
        if (at < input.size()) input[at] = kInteresting[pick(std::size(kInteresting))];
        break;
      case 2:
        input.insert(input.begin() + static_cast<std::ptrdiff_t>(at), 1 + pick(64),
                     static_cast<std::uint8_t>(pick(256)));
        break;
      case 3:
        input.erase(input.begin() + static_cast<std::ptrdiff_t>(at),
                    input.begin() + static_cast<std::ptrdiff_t>(std::min(input.size(), at + 1 + pick(64))));
        break;
      case 4: {
        const std::size_t from = pick(input.size());
        const std::size_t count = std::min(input.size() - from, 1 + pick(128));
        const Bytes run(input.begin() + static_cast<std::ptrdiff_t>(from),
                        input.begin() + static_cast<std::ptrdiff_t>(from + count));
        input.insert(input.begin() + static_cast<std::ptrdiff_t>(std::min(at, input.size())), run.begin(),
                     run.end());
        break;
      }
      default: {
        const Bytes& other = seeds[pick(seeds.size())];
        const std::size_t from = pick(other.size());
        input.resize(std::min(at, input.size()));
        input.insert(input.end(), other.begin() + static_cast<std::ptrdiff_t>(from), other.end());
        break;
      }
    }
    if (input.size() > kMaxInput) input.resize(kMaxInput);
  }
  return input;
}

TEST(FuzzReplayTest, SeedsAndTheirMutationsPass) {
  const std::vector<Bytes> seeds = Seeds();
  ASSERT_FALSE(seeds.empty()) << "no seeds in \"" << Corpus().string() << "\" (KORVA_FUZZ_CORPUS)";
  std::mt19937 random(20240611);
  for (const Bytes& seed : seeds) {
    LLVMFuzzerTestOneInput(seed.data(), seed.size());
    for (std::size_t i = 0; i < MutationsFor(seed); ++i) {
      const Bytes input = Mutate(seed, seeds, random);
      LLVMFuzzerTestOneInput(input.data(), input.size());
    }
  }
}

}  // namespace
