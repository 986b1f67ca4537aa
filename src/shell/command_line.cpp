#include "shell/command_line.h"

#include <cctype>

namespace skarvel {

namespace {

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace

CommandLineEffect ParseCommandArguments(const std::string& arguments) {
  CommandLineEffect effect;
  const std::string rest = Upper(arguments);
  if (rest.empty()) return effect;
  effect.anyArgument = true;
  const auto orbfl = rest.find("ORBFL");
  if (orbfl == std::string::npos) return effect;
  std::string value = rest.substr(orbfl);
  const auto eq = value.find('=');
  // Without "=" nothing is removed, as the classic rule cuts through a position of 0.
  if (eq != std::string::npos) value.erase(0, eq + 1);
  const auto cmo = value.find("CMO");
  if (cmo != std::string::npos) value.erase(cmo + 3);
  effect.orbitFileArg = value;
  effect.tarne = true;
  return effect;
}

CommandLineEffect ParseCommandLine(const std::string& commandLine) {
  const std::string line = Upper(commandLine);
  const auto exe = line.find(".EXE");
  if (exe == std::string::npos) return ParseCommandArguments(line);
  const std::size_t cut = exe + 5;  // ".EXE" and the character after it
  return ParseCommandArguments(cut >= line.size() ? std::string() : line.substr(cut));
}

}  // namespace skarvel
