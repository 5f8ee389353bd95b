#pragma once
// Building real folder trees for the scan's tests, and running a step in a child process (as
// another user or in a private mount namespace).

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <cstdlib>
#include <stdexcept>
#include <string>

namespace kovra::testing {

// A file occupying `bytes` on disk (rounded up to whole blocks by the file system).
inline void makeFile(const std::string& path, uint64_t bytes) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) throw std::runtime_error("create " + path);
  if (bytes > 0 && ::posix_fallocate(fd, 0, static_cast<off_t>(bytes)) != 0) {
    std::string block(65536, 'x');
    for (uint64_t done = 0; done < bytes; done += block.size())
      if (::write(fd, block.data(), std::min<uint64_t>(block.size(), bytes - done)) < 0) break;
  }
  ::close(fd);
}

// What the file system says a path occupies: blocks of 512 bytes.
inline uint64_t allocated(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) throw std::runtime_error("lstat " + path);
  return static_cast<uint64_t>(st.st_blocks) * 512;
}

// Runs `step` in a forked child and returns what it wrote, or nullopt when the child could not
// run it (the step returns "SKIP: why" for that).
inline std::optional<std::string> inChild(const std::function<std::string()>& step, std::string* why = nullptr) {
  int fds[2];
  if (::pipe(fds) != 0) return std::nullopt;
  pid_t pid = ::fork();
  if (pid < 0) return std::nullopt;
  if (pid == 0) {
    ::close(fds[0]);
    std::string out;
    try {
      out = step();
    } catch (...) {
      out = "SKIP: exception in the child";
    }
    size_t done = 0;
    while (done < out.size()) {
      ssize_t n = ::write(fds[1], out.data() + done, out.size() - done);
      if (n <= 0) break;
      done += static_cast<size_t>(n);
    }
    ::_exit(0);
  }
  ::close(fds[1]);
  std::string out;
  char buf[4096];
  ssize_t n;
  while ((n = ::read(fds[0], buf, sizeof buf)) > 0) out.append(buf, static_cast<size_t>(n));
  ::close(fds[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || out.rfind("SKIP:", 0) == 0) {
    if (why) *why = out.empty() ? "the child failed" : out;
    return std::nullopt;
  }
  return out;
}

// A new empty folder, on the memory file system when there is one (a hundred thousand folders
// are made and removed in a blink there); empty when none could be made.
inline std::string makeScratchFolder(const std::string& name) {
  std::string path = "/dev/shm/" + name + "-XXXXXX";
  if (::mkdtemp(path.data()) != nullptr) return path;
  path = (std::filesystem::temp_directory_path() / (name + "-XXXXXX")).string();
  return ::mkdtemp(path.data()) != nullptr ? path : std::string();
}

// Removes a chain deep/d/d/… under `baseFd`, too deep for any path: lifts it one level at a time.
inline void removeDeepChain(int baseFd) {
  for (;;) {
    int top = ::openat(baseFd, "deep", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (top < 0) return;
    bool lifted = ::renameat(top, "d", baseFd, "next") == 0;
    ::close(top);
    if (!lifted) return;
    ::unlinkat(baseFd, "deep", AT_REMOVEDIR);
    ::renameat(baseFd, "next", baseFd, "deep");
  }
}

}  // namespace kovra::testing
