// make-demo: writes and installs the demo night of the workbench.
//
//   make-demo survey MPCORB.txt FIRST_DAY DAYS   list candidate targets
//   make-demo generate SOURCE_DIR OUT_DIR         write data/demo from its sources
//   make-demo field-centre SOURCE_DIR             the centre of the star list to extract
//   make-demo session DEMO_DIR WORK_DIR           prepare a working directory for the GUI
#include <cstdio>
#include <exception>
#include <string>

#include "make_demo.h"

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  try {
    if (command == "survey" && argc == 5) return skarvel::demo::Survey(argv[2], std::stoi(argv[3]), std::stoi(argv[4]));
    if (command == "generate" && argc == 4) return skarvel::demo::Generate(argv[2], argv[3]);
    if (command == "field-centre" && argc == 3) return skarvel::demo::FieldCentre(argv[2]);
    if (command == "session" && argc == 4) return skarvel::demo::InstallSession(argv[2], argv[3]);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make-demo %s: %s\n", command.c_str(), e.what());
    return 1;
  }
  std::fprintf(stderr,
               "usage: make-demo survey MPCORB.txt FIRST_DAY DAYS\n"
               "       make-demo generate SOURCE_DIR OUT_DIR\n"
               "       make-demo field-centre SOURCE_DIR\n"
               "       make-demo session DEMO_DIR WORK_DIR\n");
  return 2;
}
