#pragma once
// A temporary folder removed with everything in it when the test ends.

#include <string>

namespace kovra::testing {

// The whole contents of a file; empty when it cannot be read.
std::string readFile(const std::string& path);

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  // path() + "/" + relative
  std::string at(const std::string& relative) const { return path_ + "/" + relative; }
  // Writes a file (creating parent folders) and returns its path.
  std::string write(const std::string& relative, const std::string& contents) const;

 private:
  std::string path_;
};

}  // namespace kovra::testing
