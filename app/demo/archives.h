#pragma once
// The release's archives in the data path, written with the tool's own zip component: "wallpaper.zip" with a
// real "wallpaper.jpg", "UPDATEKV8.ZIP" with the extended procedure library "eQuillon.aep" (a placeholder: the
// tool only extracts and registers the file) and the release's claim templates (CLMTMPL.ADT and .ADI), and
// "RPTDATA.ZIP" with one placeholder until the report-writer tables it ships are needed.

#include <string>

namespace kv::demo {

// dataPath: the installation folder as a suite path, without a trailing separator.
void MakeReleaseArchives(const std::string& dataPath);

}  // namespace kv::demo
