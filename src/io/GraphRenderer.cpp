#include "io/GraphRenderer.h"

#ifdef _WIN32
#include <process.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;
#endif

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string_view>

#include "text/Parallel.h"
#include "text/SystemPath.h"

namespace qs {

namespace {

#ifdef _WIN32
constexpr char kListSeparator = ';';
using ProcessHandle = intptr_t;

bool IsExecutableFile(const std::string& in_sPath) {
  std::error_code ec;
  return std::filesystem::is_regular_file(SystemPath(in_sPath), ec);
}

// The program's name as Windows finds it: with ".exe" when the name has no extension.
std::string WithProgramExtension(const std::string& in_sName) {
  return std::filesystem::path(in_sName).has_extension() ? in_sName : in_sName + ".exe";
}

// Starts the program with the arguments (each quoted: the system joins them into one command
// line); -1 when it cannot be started. Its standard streams are the caller's.
ProcessHandle StartProcess(const std::string& in_sProgram, const std::vector<std::string>& in_args,
                           std::string& out_sFailure) {
  std::vector<std::wstring> wide;
  wide.push_back(L"\"" + SystemPath(in_sProgram).wstring() + L"\"");
  for (const std::string& arg : in_args) wide.push_back(L"\"" + SystemPath(arg).wstring() + L"\"");
  std::vector<const wchar_t*> argv;
  for (const std::wstring& w : wide) argv.push_back(w.c_str());
  argv.push_back(nullptr);
  const intptr_t handle =
      _wspawnv(_P_NOWAIT, SystemPath(in_sProgram).wstring().c_str(), argv.data());
  if (handle == -1) out_sFailure = std::string("dot cannot be started: ") + std::strerror(errno);
  return handle;
}

void WaitProcess(ProcessHandle in_hProcess, std::string& io_sFailure) {
  int status = 0;
  if (_cwait(&status, in_hProcess, 0) == -1) {
    if (io_sFailure.empty())
      io_sFailure = std::string("dot cannot be waited for: ") + std::strerror(errno);
    return;
  }
  if (io_sFailure.empty() && status != 0)
    io_sFailure = "dot ended with exit status " + std::to_string(status);
}
#else
constexpr char kListSeparator = ':';
using ProcessHandle = pid_t;

bool IsExecutableFile(const std::string& in_sPath) {
  struct stat st {};
  return stat(in_sPath.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
         access(in_sPath.c_str(), X_OK) == 0;
}

std::string WithProgramExtension(const std::string& in_sName) {
  return in_sName;
}

// Starts the program with the arguments; -1 when it cannot be started. It reads nothing and
// says nothing on the terminal: its messages would only mix with the command line's own.
ProcessHandle StartProcess(const std::string& in_sProgram, const std::vector<std::string>& in_args,
                           std::string& out_sFailure) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(in_sProgram.c_str()));
  for (const std::string& arg : in_args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  if (posix_spawn_file_actions_init(&actions) != 0) {
    out_sFailure = "dot cannot be started";
    return -1;
  }
  for (int fd : {0, 1, 2})
    posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", fd == 0 ? O_RDONLY : O_WRONLY, 0);
  pid_t pid = 0;
  const int err = posix_spawn(&pid, in_sProgram.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (err != 0) {
    out_sFailure = std::string("dot cannot be started: ") + std::strerror(err);
    return -1;
  }
  return pid;
}

void WaitProcess(ProcessHandle in_hProcess, std::string& io_sFailure) {
  int status = 0;
  while (waitpid(in_hProcess, &status, 0) < 0) {
    if (errno != EINTR) {
      if (io_sFailure.empty())
        io_sFailure = std::string("dot cannot be waited for: ") + std::strerror(errno);
      return;
    }
  }
  if (!io_sFailure.empty()) return;
  if (!WIFEXITED(status)) {
    io_sFailure = "dot ended abnormally";
  } else if (WEXITSTATUS(status) != 0) {
    io_sFailure = "dot ended with exit status " + std::to_string(WEXITSTATUS(status));
  }
}
#endif

}  // namespace

GraphRenderer::GraphRenderer(const std::string& in_sProgram) {
  if (in_sProgram.empty()) return;
  if (in_sProgram.find_first_of(kPathSeparators) != std::string::npos) {
    if (IsExecutableFile(in_sProgram)) m_path = in_sProgram;
    return;
  }
  const std::string name = WithProgramExtension(in_sProgram);
  const char* path = std::getenv("PATH");
  std::string_view folders = path ? path : "";
  while (true) {
    const size_t colon = folders.find(kListSeparator);
    std::string folder(folders.substr(0, colon));
    if (folder.empty()) folder = ".";
    const std::string candidate = folder + kPathSeparator + name;
    if (IsExecutableFile(candidate)) {
      m_path = candidate;
      return;
    }
    if (colon == std::string_view::npos) return;
    folders.remove_prefix(colon + 1);
  }
}

std::string GraphRenderer::RenderSvg(const std::vector<std::string>& in_files, size_t in_nPerCall,
                                     unsigned in_nProcesses) const {
  if (in_files.empty()) return {};
  if (!Available()) return "Graphviz's dot was not found on the PATH";
  if (in_nProcesses == 0) in_nProcesses = ThreadsFor(0);
  // As many files to each process as share them out evenly, within the limit per call.
  const size_t per = std::clamp<size_t>((in_files.size() + in_nProcesses - 1) / in_nProcesses, 1,
                                        std::max<size_t>(in_nPerCall, 1));
  std::string failure;
  std::vector<ProcessHandle> running;
  const auto waitOldest = [&] {
    const ProcessHandle oldest = running.front();
    running.erase(running.begin());
    WaitProcess(oldest, failure);
  };
  for (size_t from = 0; from < in_files.size() && failure.empty(); from += per) {
    if (running.size() >= in_nProcesses) waitOldest();
    const size_t to = std::min(in_files.size(), from + per);
    std::vector<std::string> args = {"-Tsvg", "-O"};
    for (size_t i = from; i < to; ++i) args.push_back(in_files[i]);
    const ProcessHandle process = StartProcess(m_path, args, failure);
    if (process == -1) break;
    running.push_back(process);
  }
  while (!running.empty()) waitOldest();
  return failure;
}

}  // namespace qs
