// Which process holds which socket: the "socket:[inode]" links under /proc/<pid>/fd.
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <sys/stat.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <string_view>

#include "platform/linux/sock_diag.h"
#include "platform/process_traffic.h"

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

namespace {

struct Candidate {
  int32_t pid = 0;
  uint32_t uid = 0;
  uint64_t descriptors = 0;  // open descriptors, where the kernel tells (0 otherwise)
};

class OwnerSearch {
 public:
  OwnerSearch(const std::unordered_map<uint64_t, uint32_t>& wanted, const OwnerScanLimits& limits)
      : wanted_(wanted), limits_(limits), start_(std::chrono::steady_clock::now()) {
    for (const auto& [inode, uid] : wanted) ++unmatchedByUid_[uid];
  }

  bool done() const { return scan.owners.size() == wanted_.size(); }
  bool stopped() const { return stopped_; }
  // True while a socket made by `uid` is still unmatched.
  bool awaits(uint32_t uid) const {
    auto it = unmatchedByUid_.find(uid);
    return it != unmatchedByUid_.end() && it->second > 0;
  }

  // Reads one process's descriptors; its matches count only when it was read to the end.
  void readProcess(int procFd, const Candidate& c) {
    std::string fdPath = std::to_string(c.pid) + "/fd";
    Dir fds(procFd, fdPath.c_str());
    if (!fds.ok()) return;  // gone, or not ours to look at
    ++scan.processesRead;
    std::vector<uint64_t> found;
    size_t stillWanted = wanted_.size() - scan.owners.size();
    while (const dirent* fd = fds.next()) {
      if (fd->d_name[0] == '.') continue;
      if (overBudget()) {
        stopped_ = true;
        return;
      }
      ++scan.descriptorsRead;
      char link[64];
      ssize_t n = ::readlinkat(fds.fd(), fd->d_name, link, sizeof link);
      uint64_t inode = 0;
      if (n <= 0 || !socketInode(std::string_view(link, static_cast<size_t>(n)), inode)) continue;
      if (!wanted_.contains(inode) || scan.owners.contains(inode)) continue;
      if (std::find(found.begin(), found.end(), inode) != found.end()) continue;
      found.push_back(inode);
      if (found.size() == stillWanted) break;  // nothing left to look for
    }
    for (uint64_t inode : found) {
      scan.owners.emplace(inode, c.pid);
      --unmatchedByUid_[wanted_.at(inode)];
    }
  }

  OwnerScan scan;

 private:
  bool overBudget() {
    if (scan.descriptorsRead >= limits_.maxDescriptors) return true;
    // The clock is read every 64 descriptors: a link costs about a microsecond.
    if (scan.descriptorsRead % 64 == 0 && std::chrono::steady_clock::now() - start_ >= limits_.maxTime) return true;
    return false;
  }

  const std::unordered_map<uint64_t, uint32_t>& wanted_;
  const OwnerScanLimits& limits_;
  const std::chrono::steady_clock::time_point start_;
  std::unordered_map<uint32_t, size_t> unmatchedByUid_;
  bool stopped_ = false;
};

}  // namespace

namespace {

OwnerScan search(const std::string& procRoot, const std::unordered_map<uint64_t, uint32_t>& wanted,
                 const OwnerScanLimits& limits, bool fewestFirst) {
  OwnerSearch search(wanted, limits);
  if (wanted.empty()) return std::move(search.scan);
  Dir proc(AT_FDCWD, procRoot.c_str());
  if (!proc.ok()) return std::move(search.scan);

  // One stat per process instead of one link per descriptor decides the order: the descriptor
  // folder belongs to the user the process runs as, and its size is the number of open
  // descriptors (Linux 6.2 and later).
  std::vector<Candidate> candidates;
  while (const dirent* entry = proc.next()) {
    Candidate c;
    if (!parseWhole(std::string_view(entry->d_name), c.pid) || c.pid < 1) continue;
    struct stat st {};
    if (::fstatat(proc.fd(), (std::string(entry->d_name) + "/fd").c_str(), &st, 0) != 0) continue;
    c.uid = st.st_uid;
    c.descriptors = fewestFirst ? static_cast<uint64_t>(st.st_size) : 0;
    candidates.push_back(c);
  }
  std::sort(candidates.begin(), candidates.end(), [](const Candidate& a, const Candidate& b) {
    return a.descriptors != b.descriptors ? a.descriptors < b.descriptors : a.pid < b.pid;
  });

  // First the processes running as a user whose sockets are still unmatched, then the rest (a
  // socket can change hands: passed to another process, or kept across a change of user).
  std::vector<bool> read(candidates.size(), false);
  for (size_t i = 0; i < candidates.size() && !search.done() && !search.stopped(); ++i) {
    if (!search.awaits(candidates[i].uid)) continue;
    read[i] = true;
    search.readProcess(proc.fd(), candidates[i]);
  }
  for (size_t i = 0; i < candidates.size() && !search.done() && !search.stopped(); ++i) {
    if (!read[i]) search.readProcess(proc.fd(), candidates[i]);
  }
  search.scan.complete = search.done() || !search.stopped();
  return std::move(search.scan);
}

}  // namespace

OwnerScan findSocketOwners(const std::string& procRoot, const std::unordered_map<uint64_t, uint32_t>& wanted,
                           const OwnerScanLimits& limits) {
  return search(procRoot, wanted, limits, true);
}

std::unordered_map<uint64_t, int32_t> socketOwners(const std::string& procRoot,
                                                   const std::unordered_set<uint64_t>& wanted) {
  // One made-up user for every socket, whom no process runs as: a single pass in pid order.
  std::unordered_map<uint64_t, uint32_t> byUid;
  for (uint64_t inode : wanted) byUid.emplace(inode, UINT32_MAX);
  OwnerScanLimits unlimited{SIZE_MAX, std::chrono::nanoseconds::max()};
  return search(procRoot, byUid, unlimited, false).owners;
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
  return listingName(name);
}

}  // namespace kovra::sockdiag
