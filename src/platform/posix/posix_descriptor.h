// File descriptors for the POSIX backend: closed when they go out of scope,
// opened and written through interruptions by signals.
#ifndef KUV_PLATFORM_POSIX_POSIX_DESCRIPTOR_H_
#define KUV_PLATFORM_POSIX_POSIX_DESCRIPTOR_H_

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>

namespace kuv::platform::posix {

// Closes a descriptor when it goes out of scope. Closing keeps errno, so
// that a failing function may return through it and still say why.
class Descriptor {
 public:
  explicit Descriptor(int fd = -1) : fd_(fd) {}
  ~Descriptor() { Reset(); }
  Descriptor(Descriptor&& other) noexcept : fd_(other.Release()) {}
  Descriptor& operator=(Descriptor&& other) noexcept {
    if (this != &other) {
      Reset();
      fd_ = other.Release();
    }
    return *this;
  }
  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  int Release() {
    int fd = fd_;
    fd_ = -1;
    return fd;
  }
  void Reset() {
    if (fd_ >= 0) {
      const int kept = errno;
      ::close(fd_);
      errno = kept;
    }
    fd_ = -1;
  }

 private:
  int fd_;
};

inline int OpenRetrying(const char* path, int flags, mode_t mode = 0) {
  int fd;
  do {
    fd = ::open(path, flags, mode);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

// False, with errno set, when not every byte could be written.
inline bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    ssize_t written = ::write(fd, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (written == 0) {  // no progress: never spin
      errno = EIO;
      return false;
    }
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

}  // namespace kuv::platform::posix

#endif  // KUV_PLATFORM_POSIX_POSIX_DESCRIPTOR_H_
