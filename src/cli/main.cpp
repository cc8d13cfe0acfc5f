#include "cli/CommandLine.h"

int main(int argc, char** argv) {
  return qs::cli::Run(argc, argv);
}
