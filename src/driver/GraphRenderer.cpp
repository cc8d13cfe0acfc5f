#include "driver/GraphRenderer.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <thread>

extern char** environ;

namespace qs {

namespace {

bool IsExecutableFile(const std::string& in_sPath) {
  struct stat st {};
  return stat(in_sPath.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
         access(in_sPath.c_str(), X_OK) == 0;
}

}  // namespace

GraphRenderer::GraphRenderer(const std::string& in_sProgram) {
  if (in_sProgram.empty()) return;
  if (in_sProgram.find('/') != std::string::npos) {
    if (IsExecutableFile(in_sProgram)) m_path = in_sProgram;
    return;
  }
  const char* path = std::getenv("PATH");
  std::string_view folders = path ? path : "";
  while (true) {
    const size_t colon = folders.find(':');
    std::string folder(folders.substr(0, colon));
    if (folder.empty()) folder = ".";
    const std::string candidate = folder + "/" + in_sProgram;
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
  if (in_nProcesses == 0) in_nProcesses = std::max(1u, std::thread::hardware_concurrency());
  // As many files to each process as share them out evenly, within the limit per call.
  const size_t per = std::clamp<size_t>((in_files.size() + in_nProcesses - 1) / in_nProcesses, 1,
                                        std::max<size_t>(in_nPerCall, 1));
  std::string failure;
  std::vector<pid_t> running;
  const auto waitOldest = [&] {
    int status = 0;
    pid_t pid = running.front();
    running.erase(running.begin());
    while (waitpid(pid, &status, 0) < 0) {
      if (errno != EINTR) {
        if (failure.empty())
          failure = std::string("dot cannot be waited for: ") + std::strerror(errno);
        return;
      }
    }
    if (!failure.empty()) return;
    if (!WIFEXITED(status)) {
      failure = "dot ended abnormally";
    } else if (WEXITSTATUS(status) != 0) {
      failure = "dot ended with exit status " + std::to_string(WEXITSTATUS(status));
    }
  };
  for (size_t from = 0; from < in_files.size() && failure.empty(); from += per) {
    if (running.size() >= in_nProcesses) waitOldest();
    const size_t to = std::min(in_files.size(), from + per);
    std::vector<char*> argv;
    std::string tsvg = "-Tsvg", o = "-O";
    argv.push_back(const_cast<char*>(m_path.c_str()));
    argv.push_back(tsvg.data());
    argv.push_back(o.data());
    for (size_t i = from; i < to; ++i) argv.push_back(const_cast<char*>(in_files[i].c_str()));
    argv.push_back(nullptr);
    // The program reads nothing and says nothing on the terminal: its messages would only mix
    // with the command line's own.
    posix_spawn_file_actions_t actions;
    if (posix_spawn_file_actions_init(&actions) != 0) {
      failure = "dot cannot be started";
      break;
    }
    for (int fd : {0, 1, 2})
      posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", fd == 0 ? O_RDONLY : O_WRONLY, 0);
    pid_t pid = 0;
    const int err = posix_spawn(&pid, m_path.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (err != 0) {
      failure = std::string("dot cannot be started: ") + std::strerror(err);
      break;
    }
    running.push_back(pid);
  }
  while (!running.empty()) waitOldest();
  return failure;
}

}  // namespace qs
