#pragma once
// The live program: the tray item, its panel, the main window and the settings window over the
// running store, until "Çık", SIGINT or SIGTERM.

namespace kovra::ui {

// Called once the command line asked for nothing else. Returns the exit status.
int runLiveProgram(int argc, char** argv);

}  // namespace kovra::ui
