// What every fuzz harness shares: the input as a file in a private folder of
// the process (the readers take paths), and a platform that answers every
// question with its default and records nothing beyond the current input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace skarvel::fuzz {

/// A private folder (with trailing separator), created once per process under
/// $TMPDIR (or /tmp) and removed at exit.
const std::string& WorkDir();

/// Writes `size` bytes to WorkDir() + name and returns the path.
std::string WriteInput(const std::string& name, const std::uint8_t* data, std::size_t size);

/// The input as text lines split at LF (a CR before it removed), at most
/// `maxLines` of them.
std::vector<std::string> InputLines(const std::uint8_t* data, std::size_t size, std::size_t maxLines = 4096);

}  // namespace skarvel::fuzz

/// The entry point every harness defines (the libFuzzer contract).
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
