#pragma once
// The live program's front end lives in a shared library of its own, so that the program's other
// modes (--dump, --help, --version) start without loading the toolkit.

#include <string>

namespace kovra::FrontEnd {

// The function the library exports: int (int argc, char** argv), returning the exit status.
inline constexpr char entryName[] = "kovra_front_main";

// `relative` taken from the folder of the running program (/proc/self/exe), as "<folder>/<relative>".
std::string besideProgram(const std::string& relative);

// Loads the library at `path` and runs its entry. Returns the entry's status, or 1 after one line
// on standard error saying why the library could not be used.
int run(const std::string& path, int argc, char** argv);

}  // namespace kovra::FrontEnd
