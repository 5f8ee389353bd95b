#include "app/front_end.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>

namespace kovra::FrontEnd {

std::string besideProgram(const std::string& relative) {
  char buffer[4096];
  const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return relative;
  std::string self(buffer, static_cast<size_t>(n));
  const auto slash = self.rfind('/');
  return (slash == std::string::npos ? std::string(".") : self.substr(0, slash)) + "/" + relative;
}

int run(const std::string& path, int argc, char** argv) {
  // Lazy binding: the toolkit's functions are bound as they are first called, not all up front.
  void* library = ::dlopen(path.c_str(), RTLD_LAZY | RTLD_LOCAL);
  if (!library) {
    const char* why = ::dlerror();
    std::fprintf(stderr, "kovra: arayüz kitaplığı yüklenemedi: %s\n", why ? why : path.c_str());
    return 1;
  }
  using Entry = int (*)(int, char**);
  auto entry = reinterpret_cast<Entry>(::dlsym(library, entryName));
  if (!entry) {
    std::fprintf(stderr, "kovra: arayüz kitaplığında %s yok: %s\n", entryName, path.c_str());
    return 1;
  }
  // The library stays loaded until the process ends: its objects may be in use until exit.
  return entry(argc, argv);
}

}  // namespace kovra::FrontEnd
