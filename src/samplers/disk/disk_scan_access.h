#pragma once
// Whether the application may read the user's protected folders, tested by opening files that
// only such access lets through.

#include <functional>
#include <string>

namespace kovra {

// Opens `path` for reading and closes it at once; 0 on success, else the errno.
using ScanOpenProbe = std::function<int(const std::string& path)>;
int openForReadingProbe(const std::string& path);

// Tries the protected files in order: the first that opens means access; a refusal for lack of
// permission (EPERM) means no access without trying further; any other failure tries the next.
bool probeFullDiskAccess(const std::string& home, const ScanOpenProbe& open = openForReadingProbe);

}  // namespace kovra
