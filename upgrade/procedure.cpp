#include "upgrade/procedure.h"

#include <vector>

#include "support/strings.h"

namespace kv::upgrade {

namespace {

bool ProcedureRegistered(const WindowObjects& w, std::string_view name) {
  engine::TAdsDictionary& d = w.AdsDictionary1;
  d.Disconnect();
  d.SetConnectPath(w.AdsQuery1.AdsConnection()->ConnectPath());
  d.Connect();
  std::vector<std::string> names;
  d.ProcedureNames(names);
  d.Disconnect();
  for (const std::string& registered : names)
    if (kv::SameText(registered, name)) return true;
  return false;
}

}  // namespace

std::string ProcedureStatement(std::string_view name, std::string_view entry, std::string_view parameters,
                               std::string_view library) {
  std::string statement = "CREATE PROCEDURE " + std::string(name) + "( ";
  bool first = true;
  for (std::size_t start = 0, star; (star = parameters.find('*', start)) != std::string_view::npos; start = star + 1) {
    statement += (first ? " " : ", ") + std::string(parameters.substr(start, star - start)) + " ";
    first = false;
  }
  statement += ") ";
  statement += " FUNCTION " + std::string(entry) + " IN LIBRARY \"" + std::string(library) + "\" ";
  return statement;
}

void CreateProcedure(const WindowObjects& window, std::string_view name, std::string_view entry,
                     std::string_view parameters, std::string_view library) {
  const engine::TAdsConnection* connection = window.AdsQuery1.AdsConnection();
  if (connection == nullptr || !connection->IsDictionary()) return;
  if (ProcedureRegistered(window, name)) return;
  engine::TAdsQuery& query = window.AdsQuery1;
  query.Close();
  query.SQL().Clear();
  query.SQL().Add(ProcedureStatement(name, entry, parameters, library));
  query.ExecSQL();
  query.CloseStatement();
}

}  // namespace kv::upgrade
