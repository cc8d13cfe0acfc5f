#include "driver/AtomicFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>

#include "text/Yield.h"

namespace qs {

AtomicFile::~AtomicFile() {
  Abandon();
}

int AtomicFile::Open(const std::string& in_sTarget) {
  Abandon();
  m_target = in_sTarget;
  // The temporary file lives beside the target, so the final rename stays within one file
  // system. O_EXCL never reuses a stranger's file; mode 0666 lets the umask give the file the
  // permissions any other file of the user gets.
  const size_t slash = in_sTarget.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : in_sTarget.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? in_sTarget : in_sTarget.substr(slash + 1);
  static std::atomic<unsigned> s_counter{0};
  int err = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    m_temp = folder + "." + name + ".tmp-" + std::to_string(::getpid()) + "-" +
             std::to_string(++s_counter);
    m_fd = ::open(m_temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
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
    const ssize_t n = ::write(m_fd, p, left);
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
  if (::fsync(m_fd) != 0 && errno != EINVAL) err = errno;
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
  if (err == 0 && ::rename(m_temp.c_str(), m_target.c_str()) != 0) err = errno;
  if (err != 0 && !m_temp.empty()) ::unlink(m_temp.c_str());
  m_temp.clear();
  return err;
}

void AtomicFile::Abandon() {
  if (m_fd >= 0) {
    ::close(m_fd);
    m_fd = -1;
  }
  if (!m_temp.empty()) {
    ::unlink(m_temp.c_str());
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
