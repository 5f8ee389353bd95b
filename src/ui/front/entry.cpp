// The one symbol the front end's shared library exports: kovra loads the library and calls it
// once the command line asked for the live program (FrontEnd::entryName).

#include "ui/shell/live_program.h"

extern "C" __attribute__((visibility("default"))) int kovra_front_main(int argc, char** argv) {
  return kovra::ui::runLiveProgram(argc, argv);
}
