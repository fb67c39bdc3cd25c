#pragma once
// adsql: the engine's command-line shell. It opens a folder of free tables or a data dictionary, runs
// statements and meta commands in order, prints results as tab-separated text with a header line, and stops at
// the first error with the engine's code and text.

#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "ace/ace.h"

namespace kv::adsql {

struct Options {
  std::string path;
  std::string user;
  std::string password;
  std::vector<std::string> commands;        // -e, in order; "-f FILE" adds the file's commands in its place
  std::map<std::string, std::string> parameters;  // -P name=value
};

// Parses the command line; returns false (with the reason in error) for a bad one.
bool ParseArguments(const std::vector<std::string>& args, Options& options, std::string& error);
// Splits a script into commands: a line starting with "." is one meta command; other lines gather into one
// statement up to a line ending with ";" (or the end of the text). Lines starting with "--" are comments.
std::vector<std::string> SplitScript(const std::string& text);

class Shell {
 public:
  Shell(std::ostream& out, std::map<std::string, std::string> parameters = {});
  ~Shell();

  // Connects to a folder or a dictionary (a path holding ".add", with user and password).
  void Connect(const std::string& path, const std::string& user, const std::string& password);
  // Runs one meta command or statement. Throws ShellError with the engine's code and text on failure.
  void Run(const std::string& command);

 private:
  void Meta(const std::vector<std::string>& words, const std::string& line);
  void Statement(const std::string& text);
  ace::AdsHandle OpenTable(const std::string& name, std::uint32_t mode = ace::open_mode::kShared);
  void Close(ace::AdsHandle table);
  void PrintRows(ace::AdsHandle navigate, ace::AdsHandle table);
  void Tables();
  std::vector<std::string> Objects(std::uint16_t kind, const std::string& parent = "");
  void Schema(const std::string& name);
  void Indexes(const std::string& name);

  std::ostream& out_;
  std::map<std::string, std::string> parameters_;
  std::map<std::string, std::string> passwords_;  // table name (upper case) -> password
  ace::AdsHandle connection_ = 0;
  std::string path_;
  bool dictionary_ = false;
};

class ShellError : public std::runtime_error {
 public:
  ShellError(ace::ResultCode code, const std::string& text)
      : std::runtime_error(std::to_string(code) + ": " + text), code_(code) {}
  ace::ResultCode Code() const { return code_; }

 private:
  ace::ResultCode code_;
};

// Runs the whole command line; returns the process exit code (0, or 1 after an error, 2 for bad usage).
int Main(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace kv::adsql
