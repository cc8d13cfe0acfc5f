#include "cli/CommandLine.h"

#ifdef _WIN32
#include <windows.h>

#include <string>
#include <vector>

// Windows hands main the arguments in the machine's ANSI code page, which cannot name every file:
// the program takes them from the system as UTF-16 and gives them on as UTF-8, the form of every
// platform path.
int main() {
  int argc = 0;
  wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
  if (wide == nullptr) return 2;  // no memory for the arguments: a usage error to the caller
  std::vector<std::string> args;
  for (int i = 0; i < argc; ++i) {
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
    std::string& arg = args.emplace_back(n > 0 ? static_cast<size_t>(n) : 1, '\0');
    if (n > 0) ::WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, arg.data(), n, nullptr, nullptr);
    arg.resize(arg.size() - 1);  // the converted terminator
  }
  ::LocalFree(wide);
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  return qs::cli::Run(argc, argv.data());
}
#else
int main(int argc, char** argv) {
  return qs::cli::Run(argc, argv);
}
#endif
