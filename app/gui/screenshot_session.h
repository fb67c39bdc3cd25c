#pragma once
// kv8mtn-shot's session: the real window on an installation, photographed before a run and during one, with
// every company ticked in the grid and every box answered as a person pressing Yes and OK would.

#include <filesystem>
#include <iosfwd>
#include <string>

namespace kv::gui {

struct ShotOutcome {
  bool before = false;     // window-before.png, window-optional.png and window-misc.png written
  bool running = false;    // window-running.png written
  bool completed = false;  // the run ended and closed the window
  int boxes = 0;           // message boxes answered (each is logged)
};

// Writes outDir/window-before.png, window-optional.png, window-misc.png (the pages F5 shows) and
// window-running.png. The run changes the installation.
ShotOutcome TakeScreenshots(const std::string& programFile, const std::filesystem::path& outDir, std::ostream& log);

}  // namespace kv::gui
