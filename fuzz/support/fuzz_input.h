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

/// Each harness is built twice: fuzz_<name> (replay_<name>) reads its input
/// and goes on to what the program does next with what it read;
/// fuzz_<name>_read (replay_<name>_read, built with SKARVEL_FUZZ_READER_ONLY)
/// stops after the read, so the reader alone gets every execution.
#ifdef SKARVEL_FUZZ_READER_ONLY
inline constexpr bool kReaderOnly = true;
#else
inline constexpr bool kReaderOnly = false;
#endif

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
