// Which process holds which socket: the "socket:[inode]" links under /proc/<pid>/fd.
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <string_view>

#include "platform/linux/sock_diag.h"

namespace kovra::sockdiag {

namespace {

class Dir {
 public:
  Dir(int parent, const char* path) {
    int fd = ::openat(parent, path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
      dir_ = ::fdopendir(fd);
      if (dir_ == nullptr) ::close(fd);
    }
  }
  ~Dir() {
    if (dir_ != nullptr) ::closedir(dir_);
  }
  Dir(const Dir&) = delete;
  Dir& operator=(const Dir&) = delete;
  bool ok() const { return dir_ != nullptr; }
  int fd() const { return ::dirfd(dir_); }
  const dirent* next() { return ::readdir(dir_); }

 private:
  DIR* dir_ = nullptr;
};

template <class T>
bool parseWhole(std::string_view text, T& out) {
  if (text.empty()) return false;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
  return ec == std::errc() && end == text.data() + text.size();
}

// The inode of a "socket:[N]" link text.
bool socketInode(std::string_view link, uint64_t& inode) {
  constexpr std::string_view prefix = "socket:[";
  if (link.size() <= prefix.size() + 1 || !link.starts_with(prefix) || link.back() != ']') return false;
  return parseWhole(link.substr(prefix.size(), link.size() - prefix.size() - 1), inode);
}

}  // namespace

std::unordered_map<uint64_t, int32_t> socketOwners(const std::string& procRoot,
                                                   const std::unordered_set<uint64_t>& wanted) {
  std::unordered_map<uint64_t, int32_t> owners;
  if (wanted.empty()) return owners;
  Dir proc(AT_FDCWD, procRoot.c_str());
  if (!proc.ok()) return owners;
  while (const dirent* entry = proc.next()) {
    int32_t pid = 0;
    if (!parseWhole(std::string_view(entry->d_name), pid) || pid < 1) continue;
    std::string fdPath = std::string(entry->d_name) + "/fd";
    Dir fds(proc.fd(), fdPath.c_str());
    if (!fds.ok()) continue;  // gone, or not ours to look at
    while (const dirent* fd = fds.next()) {
      if (fd->d_name[0] == '.') continue;
      char link[64];
      ssize_t n = ::readlinkat(fds.fd(), fd->d_name, link, sizeof link);
      uint64_t inode = 0;
      if (n <= 0 || !socketInode(std::string_view(link, static_cast<size_t>(n)), inode)) continue;
      if (!wanted.contains(inode)) continue;
      auto [slot, inserted] = owners.try_emplace(inode, pid);
      if (!inserted && pid < slot->second) slot->second = pid;
    }
  }
  return owners;
}

std::string processName(const std::string& procRoot, int32_t pid) {
  std::string path = procRoot + "/" + std::to_string(pid) + "/comm";
  std::FILE* f = std::fopen(path.c_str(), "re");
  if (f == nullptr) return {};
  char buf[256];
  size_t n = std::fread(buf, 1, sizeof buf, f);
  std::fclose(f);
  std::string name(buf, n);
  if (!name.empty() && name.back() == '\n') name.pop_back();
  // The name ends up on one line of a comma-separated listing; control bytes would break it.
  for (char& c : name) {
    auto b = static_cast<unsigned char>(c);
    if (b < 0x20 || b == 0x7f) c = '?';
  }
  return name;
}

}  // namespace kovra::sockdiag
