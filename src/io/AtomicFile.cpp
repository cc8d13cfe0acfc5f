#include "io/AtomicFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <system_error>

#include "text/SystemPath.h"
#include "text/Yield.h"

#ifdef _WIN32
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
#endif

namespace qs {

namespace {

// The system calls the file makes, by platform path; each returns what its POSIX namesake does.
#ifdef _WIN32
int OpenNewFile(const std::string& path) {
  try {
    return ::_wopen(SystemPath(path).c_str(),
                    _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                    _S_IREAD | _S_IWRITE);
  } catch (const std::system_error&) {
    // A path that is not UTF-8: no such file can be made. Any other failure (out of memory) goes
    // on to the caller.
    errno = EINVAL;
    return -1;
  }
}
int WriteSome(int fd, const char* bytes, size_t count) {
  return ::_write(fd, bytes, static_cast<unsigned>(std::min<size_t>(count, 1u << 30)));
}
int SyncFile(int fd) {
  return ::_commit(fd);
}
int RemoveFile(const std::string& path) {
  try {
    return ::_wunlink(SystemPath(path).c_str());
  } catch (...) {
    // A name that does not convert was never created: the caller sees a failed removal.
    return -1;
  }
}
// The error number of the Windows error code a call left.
int ErrnoOfLastError() {
  switch (::GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return EACCES;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    case ERROR_NOT_SAME_DEVICE:
      return EXDEV;
    default:
      return EIO;
  }
}
// Replaces the target in one step, the Windows way: rename() there refuses an existing target.
int ReplaceFile(const std::string& from, const std::string& to) {
  try {
    if (::MoveFileExW(SystemPath(from).c_str(), SystemPath(to).c_str(),
                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      return 0;
    errno = ErrnoOfLastError();
  } catch (const std::system_error&) {
    // A name that does not convert: the target stays as it was. Any other failure (out of
    // memory) goes on to the caller.
    errno = EINVAL;
  }
  return -1;
}
#else
int OpenNewFile(const std::string& path) {
  // Mode 0666 lets the umask give the file the permissions any other file of the user gets.
  return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
}
ssize_t WriteSome(int fd, const char* bytes, size_t count) {
  return ::write(fd, bytes, count);
}
int SyncFile(int fd) {
  return ::fsync(fd);
}
int RemoveFile(const std::string& path) {
  return ::unlink(path.c_str());
}
int ReplaceFile(const std::string& from, const std::string& to) {
  return ::rename(from.c_str(), to.c_str());
}
#endif

}  // namespace

AtomicFile::~AtomicFile() {
  Abandon();
}

int AtomicFile::Open(const std::string& in_sTarget) {
  Abandon();
  m_target = in_sTarget;
  // The temporary file lives beside the target, so the final rename stays within one file
  // system. An exclusive create never reuses a stranger's file.
  const size_t slash = in_sTarget.find_last_of(kPathSeparators);
  const std::string folder = slash == std::string::npos ? "" : in_sTarget.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? in_sTarget : in_sTarget.substr(slash + 1);
  static std::atomic<unsigned> s_counter{0};
  int err = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    m_temp = folder + "." + name + ".tmp-" + std::to_string(::getpid()) + "-" +
             std::to_string(++s_counter);
    m_fd = OpenNewFile(m_temp);
    if (m_fd >= 0) return 0;
    err = errno;
    if (err != EEXIST) break;
  }
  m_temp.clear();
  return err != 0 ? err : EEXIST;
}

int AtomicFile::Write(std::string_view in_sBytes) {
  if (m_fd < 0) return EBADF;
  const char* p = in_sBytes.data();
  size_t left = in_sBytes.size();
  while (left > 0) {
    const auto n = WriteSome(m_fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    p += n;
    left -= static_cast<size_t>(n);
  }
  return 0;
}

void AtomicFile::StartWriteback(uint64_t in_nOffset, uint64_t in_nLength) {
#ifdef __linux__
  // A failure here only means the wait at Commit does it all.
  if (m_fd >= 0)
    ::sync_file_range(m_fd, static_cast<off64_t>(in_nOffset), static_cast<off64_t>(in_nLength),
                      SYNC_FILE_RANGE_WRITE);
#else
  (void)in_nOffset;
  (void)in_nLength;
#endif
}

int AtomicFile::Finish() {
  if (m_fd < 0) return EBADF;
  int err = 0;
  if (SyncFile(m_fd) != 0 && errno != EINVAL) err = errno;
  if (::close(m_fd) != 0 && err == 0) err = errno;
  m_fd = -1;
  if (err != 0) Abandon();
  return err;
}

int AtomicFile::Commit() {
  if (m_temp.empty()) return EBADF;
  int err = m_fd >= 0 ? Finish() : 0;
  // The last moment a stop can still keep the target as it was; a stop requested after the
  // rename finds the run complete.
  if (err == 0 && StopRequested()) err = kStopped;
  if (err == 0 && ReplaceFile(m_temp, m_target) != 0) err = errno;
  if (err != 0 && !m_temp.empty()) RemoveFile(m_temp);
  m_temp.clear();
  return err;
}

void AtomicFile::Abandon() {
  if (m_fd >= 0) {
    ::close(m_fd);
    m_fd = -1;
  }
  if (!m_temp.empty()) {
    RemoveFile(m_temp);
    m_temp.clear();
  }
}

int WriteFileAtomically(const std::string& in_sPath, std::string_view in_sText) {
  AtomicFile file;
  int err = file.Open(in_sPath);
  if (err == 0) err = file.Write(in_sText);
  if (err == 0) err = file.Commit();
  return err;  // the destructor removes the temporary file of a failed write
}

}  // namespace qs
