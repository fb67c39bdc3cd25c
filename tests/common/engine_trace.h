#pragma once
// The engine calls a piece of work makes, read from the engine's call trace (AdsTraceStart / AdsTraceStop).

#include <functional>
#include <string>
#include <vector>

#include "ace/ace.h"

namespace kv::testing {

// The engine calls made by work, as "Name(arguments)" lines. The trace is stopped also when work throws.
inline std::vector<std::string> Traced(const std::function<void()>& work) {
  ace::AdsTraceStart();
  try {
    work();
  } catch (...) {
    ace::AdsTraceStop();
    throw;
  }
  return ace::AdsTraceStop();
}

// Just the call names of a trace.
inline std::vector<std::string> CallNames(const std::vector<std::string>& trace) {
  std::vector<std::string> names;
  for (const std::string& line : trace) names.push_back(line.substr(0, line.find('(')));
  return names;
}

// The trace lines of one call.
inline std::vector<std::string> CallsOf(const std::vector<std::string>& trace, const std::string& call) {
  std::vector<std::string> lines;
  for (const std::string& line : trace)
    if (line.rfind(call + "(", 0) == 0) lines.push_back(line);
  return lines;
}

}  // namespace kv::testing
