#include "core/runtime.h"

#include <cstdlib>
#include <cstring>

namespace kovra::Runtime {

bool isRunningTests() { return std::getenv("XCTestConfigurationFilePath") != nullptr; }

bool isPreview() {
  const char* v = std::getenv("XCODE_RUNNING_FOR_PREVIEWS");
  return v != nullptr && std::strcmp(v, "1") == 0;
}

}  // namespace kovra::Runtime
