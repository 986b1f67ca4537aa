// skarvel-cli: the command-line face of the core.
#include <iostream>

#include "shell/cli/cli.h"

int main(int argc, char** argv) {
  skarvel::cli::Arguments args(argv + 1, argv + argc);
  return skarvel::cli::Main(args, std::cout, std::cerr);
}
