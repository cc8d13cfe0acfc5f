// The command line front end: quillscope-cli.
#pragma once

#include <iosfwd>

namespace qs::cli {

/// Runs the command line with the given arguments, writing to out and err. Returns the exit
/// status.
int Run(int argc, char** argv, std::ostream& out, std::ostream& err);
/// Same, on std::cout and std::cerr, then ends the process with the exit status (without
/// freeing what the last run built).
int Run(int argc, char** argv);

}  // namespace qs::cli
