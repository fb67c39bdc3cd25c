#pragma once
// A plain-text picture of an installation's companies, for people and scripts: per company its connection
// kind, data version, and for each table its rows, fields, encryption and indexes; the backup archives made.
// Two surveys taken before and after a run, compared line by line, show what the run changed.

#include <iosfwd>
#include <string>

namespace kv::survey {

// Surveys the installation whose program folder is programDir (KAVEN.ini's "DIR" is honoured). Reads only;
// never writes a table. Returns false when the registry cannot be read.
bool SurveyInstallation(const std::string& programDir, std::ostream& out);

}  // namespace kv::survey
