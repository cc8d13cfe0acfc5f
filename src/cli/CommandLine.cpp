#include "cli/CommandLine.h"

#include <iostream>
#include <string>

namespace qs::cli {

int Run(int argc, char** argv, std::ostream& out, std::ostream& err) {
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--help" || a == "-h") {
      out << "Usage: quillscope-cli PROJECT.vbp [PROJECT.vbp ...]\n";
      return 0;
    }
  }
  err << "quillscope-cli: nothing to do (try --help)\n";
  return 2;
}

int Run(int argc, char** argv) { return Run(argc, argv, std::cout, std::cerr); }

}  // namespace qs::cli
