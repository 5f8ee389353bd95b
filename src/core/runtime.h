#pragma once
// Facts about how the process runs, read from the environment at each query.

namespace kovra::Runtime {

// True when the environment has "XCTestConfigurationFilePath" (any value, even empty).
bool isRunningTests();
// True when "XCODE_RUNNING_FOR_PREVIEWS" is exactly "1".
bool isPreview();

}  // namespace kovra::Runtime
