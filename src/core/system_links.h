#pragma once
// Locations in the system settings that screens open.

namespace kovra::SystemLinks {

// The privacy page where the user grants access to all files.
inline constexpr const char* fullDiskAccess =
    "x-apple.systempreferences:com.apple.preference.security?Privacy_AllFiles";

}  // namespace kovra::SystemLinks
