#include "app/adsql/shell.h"

#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/fs.h"
#include "support/strings.h"

namespace kv::adsql {

namespace {

constexpr const char* kUsage =
    "usage: adsql PATH [-u USER -p PASSWORD] [-P NAME=VALUE]... [-e COMMAND]... [-f FILE]...\n"
    "  PATH is a folder of free tables or a data dictionary file (CODE.add).\n"
    "  Commands: SQL statements, or .tables, .schema NAME, .indexes NAME, .create NAME FIELDS,\n"
    "  .index NAME TAG KEY [unique] [descending], .password NAME PASSWORD, .encrypt NAME, .decrypt NAME,\n"
    "  .pack NAME, .count NAME, .dump NAME [ORDER]; on a dictionary also .newdict PATH PASSWORD,\n"
    "  .register NAME FILE, .unregister NAME, .users, .rights OBJECT, .property NAME NUMBER [VALUE]\n";

std::vector<std::string> Words(const std::string& line) {
  std::vector<std::string> words;
  std::istringstream in(line);
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

void Check(ace::ResultCode result) {
  if (result == 0) return;
  ace::ResultCode code = 0;
  std::string text;
  ace::AdsGetLastError(&code, &text);
  throw ShellError(result, text);
}

std::string Show(const ace::Value& v) {
  if (v.GetKind() == ace::Value::Kind::Bytes) return "<" + std::to_string(v.AsBytes().size()) + " bytes>";
  std::string text = ace::ValueText(v);
  for (char& c : text)
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  return text;
}

std::string Rest(const std::string& line, std::size_t words) {
  // The text after the first `words` words, as written (field strings may hold blanks).
  std::size_t i = 0;
  for (std::size_t w = 0; w < words; ++w) {
    while (i < line.size() && line[i] == ' ') ++i;
    while (i < line.size() && line[i] != ' ') ++i;
  }
  while (i < line.size() && line[i] == ' ') ++i;
  return line.substr(i);
}

}  // namespace

bool ParseArguments(const std::vector<std::string>& args, Options& options, std::string& error) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const auto value = [&](const char* what) -> std::string {
      if (i + 1 >= args.size()) {
        error = a + " needs " + what;
        return {};
      }
      return args[++i];
    };
    if (a == "-u") options.user = value("a user name");
    else if (a == "-p") options.password = value("a password");
    else if (a == "-e") options.commands.push_back(value("a command"));
    else if (a == "-P") {
      const std::string p = value("NAME=VALUE");
      const auto eq = p.find('=');
      if (eq == std::string::npos || eq == 0) error = "-P needs NAME=VALUE, not " + p;
      else options.parameters[p.substr(0, eq)] = p.substr(eq + 1);
    } else if (a == "-f") {
      const std::string file = value("a file");
      std::ifstream in(fs::Resolve(file));
      if (!in) error = "cannot read " + file;
      std::stringstream text;
      text << in.rdbuf();
      for (auto& c : SplitScript(text.str())) options.commands.push_back(c);
    } else if (!a.empty() && a[0] == '-') {
      error = "unknown option " + a;
    } else if (options.path.empty()) {
      options.path = a;
    } else {
      error = "only one PATH may be given";
    }
    if (!error.empty()) return false;
  }
  if (options.path.empty()) error = "no PATH given";
  return error.empty();
}

std::vector<std::string> SplitScript(const std::string& text) {
  std::vector<std::string> commands;
  std::string statement;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::string_view trimmed = TrimBlanks(line);
    if (statement.empty() && (trimmed.empty() || trimmed.substr(0, 2) == "--")) continue;
    if (statement.empty() && trimmed.front() == '.') {
      commands.emplace_back(trimmed);
      continue;
    }
    statement += (statement.empty() ? "" : "\n") + line;
    if (!trimmed.empty() && trimmed.back() == ';') {
      commands.push_back(statement);
      statement.clear();
    }
  }
  if (!TrimBlanks(statement).empty()) commands.push_back(statement);
  return commands;
}

Shell::Shell(std::ostream& out, std::map<std::string, std::string> parameters)
    : out_(out), parameters_(std::move(parameters)) {}

Shell::~Shell() {
  if (connection_) ace::AdsDisconnect(connection_);
}

void Shell::Connect(const std::string& path, const std::string& user, const std::string& password) {
  Check(ace::AdsConnect60(path, 3, user, password, 0, &connection_));
  path_ = path;
  std::uint16_t type = 0;
  Check(ace::AdsGetHandleType(connection_, &type));
  dictionary_ = type == ace::handle_type::kDictionaryConnection;
}

ace::AdsHandle Shell::OpenTable(const std::string& name, std::uint32_t mode) {
  ace::AdsHandle t = 0;
  const std::uint16_t type = dictionary_ ? ace::table_type::kDefault : ace::table_type::kAdt;
  ace::ResultCode r = ace::AdsOpenTable(connection_, name, "", type, 1, 1, 1, mode, &t);
  if (r == ace::code::kNotInDictionary) r = ace::AdsOpenTable(connection_, name, "", ace::table_type::kAdt, 1, 1, 1, mode, &t);
  Check(r);
  if (auto it = passwords_.find(UpperCase(name)); it != passwords_.end()) {
    const ace::ResultCode e = ace::AdsEnableEncryption(t, it->second);
    if (e != 0 && e != ace::code::kEncryptionUnchanged) {
      ace::AdsCloseTable(t);
      Check(e);
    }
  }
  return t;
}

void Shell::Close(ace::AdsHandle table) { ace::AdsCloseTable(table); }

void Shell::Run(const std::string& command) {
  const std::string_view trimmed = TrimBlanks(command);
  if (trimmed.empty()) return;
  if (trimmed.front() == '.') Meta(Words(std::string(trimmed)), std::string(trimmed));
  else Statement(command);
}

void Shell::PrintRows(ace::AdsHandle navigate, ace::AdsHandle table) {
  std::uint16_t count = 0;
  Check(ace::AdsGetNumFields(table, &count));
  std::vector<std::string> names(count);
  for (std::uint16_t i = 0; i < count; ++i) Check(ace::AdsGetFieldName(table, static_cast<std::uint16_t>(i + 1), &names[i]));
  for (std::uint16_t i = 0; i < count; ++i) out_ << (i ? "\t" : "") << names[i];
  out_ << "\n";
  Check(ace::AdsGotoTop(navigate));
  for (bool eof = false;;) {
    Check(ace::AdsAtEOF(table, &eof));
    if (eof) break;
    for (std::uint16_t i = 0; i < count; ++i) {
      ace::Value v;
      Check(ace::AdsGetField(table, names[i], &v));
      out_ << (i ? "\t" : "") << Show(v);
    }
    out_ << "\n";
    Check(ace::AdsSkip(navigate, 1));
  }
}

std::vector<std::string> Shell::Objects(std::uint16_t kind, const std::string& parent) {
  std::vector<std::string> names;
  std::string name;
  ace::AdsHandle search = 0;
  ace::ResultCode r = ace::AdsDDFindFirstObject(connection_, kind, parent, &name, &search);
  while (r == 0) {
    names.push_back(name);
    r = ace::AdsDDFindNextObject(connection_, search, &name);
  }
  if (search) ace::AdsDDFindClose(connection_, search);
  if (r != ace::code::kNoMoreObjects) Check(r);
  return names;
}

void Shell::Tables() {
  out_ << "TABLE\n";
  if (dictionary_) {
    for (const std::string& name : Objects(ace::dd_object::kTable)) out_ << name << "\n";
    return;
  }
  for (const fs::FindEntry& e : fs::FindFiles(path_ + "\\*.adt"))
    if (!e.isFolder) out_ << e.name.substr(0, e.name.size() - 4) << "\n";
}

void Shell::Schema(const std::string& name) {
  const ace::AdsHandle t = OpenTable(name);
  std::uint16_t count = 0;
  Check(ace::AdsGetNumFields(t, &count));
  bool encrypted = false;
  Check(ace::AdsIsTableEncrypted(t, &encrypted));
  out_ << "FIELD\tTYPE\tLENGTH\tDECIMALS\n";
  for (std::uint16_t i = 1; i <= count; ++i) {
    std::string field;
    Check(ace::AdsGetFieldName(t, i, &field));
    std::uint16_t type = 0, decimals = 0;
    std::uint32_t length = 0;
    Check(ace::AdsGetFieldType(t, field, &type));
    Check(ace::AdsGetFieldLength(t, field, &length));
    Check(ace::AdsGetFieldDecimals(t, field, &decimals));
    out_ << field << "\t" << ace::FieldTypeWord(static_cast<ace::FieldType>(type)) << "\t" << length << "\t" << decimals << "\n";
  }
  out_ << "-- encrypted: " << (encrypted ? "yes" : "no") << "\n";
  Close(t);
}

void Shell::Indexes(const std::string& name) {
  const ace::AdsHandle t = OpenTable(name);
  std::uint16_t count = 0;
  Check(ace::AdsGetNumIndexes(t, &count));
  out_ << "TAG\tKEY\tUNIQUE\tDESCENDING\n";
  for (std::uint16_t i = 1; i <= count; ++i) {
    ace::AdsHandle index = 0;
    Check(ace::AdsGetIndexHandleByOrder(t, i, &index));
    std::string tag, key;
    std::uint32_t options = 0;
    Check(ace::AdsGetIndexName(index, &tag));
    Check(ace::AdsGetIndexExpr(index, &key));
    Check(ace::AdsGetIndexOptions(index, &options));
    out_ << tag << "\t" << key << "\t" << ((options & 1) ? "yes" : "no") << "\t" << ((options & 8) ? "yes" : "no") << "\n";
  }
  Close(t);
}

void Shell::Meta(const std::vector<std::string>& w, const std::string& line) {
  const std::string command = LowerCase(w[0]);
  const auto need = [&](std::size_t n, const char* usage) {
    if (w.size() < n) throw ShellError(ace::code::kInvalidArgument, std::string("usage: ") + usage);
  };
  if (command == ".tables") {
    Tables();
  } else if (command == ".schema") {
    need(2, ".schema NAME");
    Schema(w[1]);
  } else if (command == ".indexes") {
    need(2, ".indexes NAME");
    Indexes(w[1]);
  } else if (command == ".create") {
    need(3, ".create NAME FIELDSTRING");
    ace::AdsHandle t = 0;
    Check(ace::AdsCreateTable(connection_, w[1], "", ace::table_type::kAdt, 1, 1, 1, 0, Rest(line, 2), &t));
    Close(t);
    out_ << "created " << w[1] << "\n";
  } else if (command == ".index") {
    need(4, ".index NAME TAG KEY [unique] [descending]");
    std::uint32_t options = ace::index_option::kCompound;
    for (std::size_t i = 4; i < w.size(); ++i) {
      if (LowerCase(w[i]) == "unique") options |= ace::index_option::kUnique;
      else if (LowerCase(w[i]) == "descending") options |= ace::index_option::kDescending;
      else throw ShellError(ace::code::kInvalidArgument, "unknown index option " + w[i]);
    }
    const ace::AdsHandle t = OpenTable(w[1], ace::open_mode::kExclusive);
    const ace::ResultCode r = ace::AdsCreateIndex61(t, "", w[2], w[3], "", "", options, 512, nullptr);
    Close(t);
    Check(r);
    out_ << "indexed " << w[1] << " by " << w[2] << "\n";
  } else if (command == ".password") {
    need(3, ".password NAME PASSWORD");
    passwords_[UpperCase(w[1])] = w[2];
  } else if (command == ".encrypt" || command == ".decrypt" || command == ".pack") {
    need(2, (command + " NAME").c_str());
    const ace::AdsHandle t = OpenTable(w[1], ace::open_mode::kExclusive);
    ace::ResultCode r = command == ".encrypt" ? ace::AdsEncryptTable(t)
                        : command == ".decrypt" ? ace::AdsDecryptTable(t)
                                                : ace::AdsPackTable(t);
    if (r == ace::code::kEncryptionUnchanged) r = 0;
    Close(t);
    Check(r);
    out_ << (command == ".encrypt" ? "encrypted " : command == ".decrypt" ? "decrypted " : "packed ") << w[1] << "\n";
  } else if (command == ".count") {
    need(2, ".count NAME");
    const ace::AdsHandle t = OpenTable(w[1]);
    std::uint64_t count = 0;
    const ace::ResultCode r = ace::AdsGetRecordCount(t, &count);
    Close(t);
    Check(r);
    out_ << "COUNT\n" << count << "\n";
  } else if (command == ".dump") {
    need(2, ".dump NAME [ORDER]");
    const ace::AdsHandle t = OpenTable(w[1]);
    try {
      ace::AdsHandle navigate = t;
      if (w.size() > 2) Check(ace::AdsGetIndexHandle(t, w[2], &navigate));
      PrintRows(navigate, t);
    } catch (...) {
      Close(t);
      throw;
    }
    Close(t);
  } else if (command == ".newdict") {
    need(3, ".newdict PATH PASSWORD");
    ace::AdsHandle made = 0;
    Check(ace::AdsDDCreate(w[1], w[2], "", &made));
    ace::AdsDisconnect(made);
    out_ << "created dictionary " << w[1] << "\n";
  } else if (command == ".register" || command == ".unregister" || command == ".users" || command == ".rights" ||
             command == ".property") {
    if (!dictionary_) throw ShellError(ace::code::kNotADictionary, command + " needs a dictionary connection");
    if (command == ".register") {
      need(3, ".register NAME FILE");
      Check(ace::AdsDDAddTable(connection_, w[1], w[2], ace::table_type::kAdt, 1, "", ""));
      out_ << "registered " << w[1] << "\n";
    } else if (command == ".unregister") {
      need(2, ".unregister NAME");
      Check(ace::AdsDDRemoveTable(connection_, w[1], false));
      out_ << "unregistered " << w[1] << "\n";
    } else if (command == ".users") {
      out_ << "USER\n";
      for (const std::string& name : Objects(ace::dd_object::kUser)) out_ << name << "\n";
    } else if (command == ".rights") {
      need(2, ".rights OBJECT");
      out_ << "ACCESSOR\tRIGHTS\n";
      for (std::uint16_t kind : {ace::dd_object::kUser, ace::dd_object::kGroup})
        for (const std::string& accessor : Objects(kind)) {
          std::string rights;
          Check(ace::AdsDDGetObjectAccessRights(connection_, w[1], accessor, &rights));
          if (!rights.empty()) out_ << accessor << "\t" << rights << "\n";
        }
    } else {
      need(3, ".property NAME NUMBER [VALUE]");
      const std::uint16_t number = static_cast<std::uint16_t>(std::stoul(w[2]));
      if (w.size() > 3) {
        const std::uint16_t value = static_cast<std::uint16_t>(std::stoul(w[3]));
        Check(ace::AdsDDSetTableProperty(connection_, w[1], number, &value, 2, 0, ""));
      }
      char buffer[256] = {};
      std::uint16_t length = sizeof buffer;
      Check(ace::AdsDDGetTableProperty(connection_, w[1], number, buffer, &length));
      std::uint16_t value = 0;
      std::memcpy(&value, buffer, 2);
      out_ << "PROPERTY\tVALUE\n" << number << "\t"
           << (number == ace::dd_property::kDefaultIndex ? std::string(buffer, length) : std::to_string(value)) << "\n";
    }
  } else {
    throw ShellError(ace::code::kInvalidArgument, "unknown command " + w[0]);
  }
}

void Shell::Statement(const std::string& text) {
  ace::AdsHandle statement = 0;
  Check(ace::AdsCreateSQLStatement(connection_, &statement));
  struct Closer {
    ace::AdsHandle s;
    ~Closer() { ace::AdsCloseSQLStatement(s); }
  } closer{statement};
  for (const auto& [table, password] : passwords_) Check(ace::AdsStmtSetTablePassword(statement, table, password));
  Check(ace::AdsPrepareSQL(statement, text));
  // -P values are texts; the engine compares and stores them by the columns' types.
  std::vector<std::string> names;
  Check(ace::AdsGetParameterNames(statement, &names));
  for (const std::string& name : names)
    for (const auto& [given, value] : parameters_)
      if (SameText(given, name)) Check(ace::AdsSetParameter(statement, name, ace::Value::String(value)));
  ace::AdsHandle cursor = 0;
  Check(ace::AdsExecuteSQL(statement, &cursor));
  if (cursor != 0) {
    PrintRows(cursor, cursor);
    return;
  }
  std::uint64_t rows = 0;
  Check(ace::AdsGetRecordCount(statement, &rows));
  out_ << rows << " rows affected\n";
}

int Main(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  Options options;
  std::string error;
  if (!ParseArguments(args, options, error)) {
    err << "adsql: " << error << "\n" << kUsage;
    return 2;
  }
  Shell shell(out, options.parameters);
  try {
    shell.Connect(options.path, options.user, options.password);
    for (const std::string& command : options.commands) shell.Run(command);
  } catch (const ShellError& e) {
    out.flush();
    err << "adsql: error " << e.what() << "\n";
    return 1;
  } catch (const std::exception& e) {
    out.flush();
    err << "adsql: error: " << e.what() << "\n";
    return 1;
  }
  return 0;
}

}  // namespace kv::adsql
