// The smoke run of a fuzz harness without libFuzzer: every file of the given
// corpus folders is passed to the harness, then a fixed number of mutations of
// each (bit flips, truncations, repeated and inserted bytes) from a seeded
// generator, so a run is the same every time. Used by the test run under the
// sanitizers; the real fuzzing links the harness with libFuzzer instead.
//
// Usage: replay_<name> [--mutations N] CORPUS_DIR_OR_FILE...
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "support/fuzz_input.h"

namespace {

std::vector<std::uint8_t> ReadFile(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Run(const std::vector<std::uint8_t>& bytes) { LLVMFuzzerTestOneInput(bytes.data(), bytes.size()); }

std::vector<std::uint8_t> Mutate(std::vector<std::uint8_t> b, std::mt19937& rng) {
  const auto pick = [&](std::size_t n) { return n == 0 ? 0 : static_cast<std::size_t>(rng() % n); };
  switch (rng() % 6) {
    case 0:  // flip a few bits
      for (int k = 0; k < 1 + static_cast<int>(rng() % 8) && !b.empty(); ++k)
        b[pick(b.size())] ^= static_cast<std::uint8_t>(1u << (rng() % 8));
      break;
    case 1:  // cut the end
      b.resize(pick(b.size() + 1));
      break;
    case 2:  // an extreme byte
      if (!b.empty()) b[pick(b.size())] = (rng() & 1) != 0 ? 0xFF : 0x00;
      break;
    case 3: {  // repeat a slice
      if (b.empty()) break;
      const std::size_t at = pick(b.size());
      const std::size_t len = std::min<std::size_t>(pick(256) + 1, b.size() - at);
      std::vector<std::uint8_t> slice(b.begin() + static_cast<long>(at), b.begin() + static_cast<long>(at + len));
      b.insert(b.begin() + static_cast<long>(pick(b.size() + 1)), slice.begin(), slice.end());
      break;
    }
    case 4:  // digits and signs where numbers are read
      if (!b.empty()) b[pick(b.size())] = static_cast<std::uint8_t>("0123456789-+.eE9 "[rng() % 17]);
      break;
    default:  // an ASCII number of extreme size
      if (!b.empty()) {
        static const char* const kNumbers[] = {"1e4000", "-1e12", "nan", "inf", "99999999999", "-2147483648"};
        const std::string n = kNumbers[rng() % 6];
        const std::size_t at = pick(b.size());
        for (std::size_t k = 0; k < n.size() && at + k < b.size(); ++k) b[at + k] = static_cast<std::uint8_t>(n[k]);
      }
      break;
  }
  return b;
}

}  // namespace

int main(int argc, char** argv) {
  int mutations = 64;
  std::vector<std::filesystem::path> files;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--mutations" && i + 1 < argc) {
      mutations = std::atoi(argv[++i]);
    } else if (std::filesystem::is_directory(arg)) {
      for (const auto& e : std::filesystem::directory_iterator(arg))
        if (e.is_regular_file()) files.push_back(e.path());
    } else {
      files.emplace_back(arg);
    }
  }
  std::sort(files.begin(), files.end());
  if (files.empty()) {
    std::fprintf(stderr, "no corpus files given\n");
    return 2;
  }
  std::mt19937 rng(20261209);
  std::size_t runs = 0;
  for (const auto& f : files) {
    const auto seed = ReadFile(f);
    Run(seed);
    ++runs;
    for (int k = 0; k < mutations; ++k) {
      Run(Mutate(seed, rng));
      ++runs;
    }
  }
  std::printf("%zu inputs from %zu corpus files\n", runs, files.size());
  return 0;
}
