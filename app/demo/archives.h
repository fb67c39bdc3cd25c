#pragma once
// The release's archives in the data path, written with the tool's own zip component: "wallpaper.zip" with a
// real "wallpaper.jpg"; "UPDATEKV8.ZIP" with the extended procedure library "eQuillon.aep" (a placeholder: the
// tool only extracts and registers the file), the release's claim templates (CLMTMPL.ADT and .ADI) and the
// shipped tables UPDATETBL, OUTGL_D and GTABLE; "RPTDATA.ZIP" with the report writer's rbTable, rbField and
// rbJoin. The shipped tables are made from the catalogue's definitions (GTABLE, which the catalogue lacks, from
// the demo's layouts) with a few rows, in clear.

#include <string>

namespace kv::demo {

// dataPath: the installation folder as a suite path, without a trailing separator.
void MakeReleaseArchives(const std::string& dataPath);

}  // namespace kv::demo
