// Times CreateAllTables on empty company folders (free tables, and a company dictionary), then a second call on
// the full folder, which finds every table and makes nothing.
//
//   ninja -C build-bench -j2 create_all_tables && build-bench/bench/create_all_tables [--rounds N] [--folder DIR]

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "ace/ace_dictionary.h"
#include "catalogue/create_all.h"
#include "engine/engine.h"
#include "platform/ui.h"

namespace {

double Seconds(const std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

// One company: the empty call and the second call, in seconds.
std::pair<double, double> TimeCompany(const std::string& path) {
  kv::ui::ScriptedUi ui;
  kv::engine::TAdsConnection company;
  company.SetConnectPath(path);
  if (company.IsDictionary()) {
    company.Username = "ADSSYS";
    company.Password = std::string(kv::engine::kTablePassword);
  }
  kv::engine::TAdsTable table1;
  kv::engine::TAdsQuery query;
  table1.SetAdsConnection(&company);
  query.SetAdsConnection(&company);
  kv::catalogue::CreationContext context{ui, table1, query, {}};
  const auto start = std::chrono::steady_clock::now();
  kv::catalogue::CreateAllTables(path, false, context);
  const auto made = std::chrono::steady_clock::now();
  table1.Close();
  kv::catalogue::CreateAllTables(path, false, context);
  const auto again = std::chrono::steady_clock::now();
  return {Seconds(made - start), Seconds(again - made)};
}

}  // namespace

int main(int argc, char** argv) {
  int rounds = 3;
  std::filesystem::path base = std::filesystem::temp_directory_path() / "kv-create-all-bench";
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    if (option == "--rounds") rounds = std::atoi(argv[i + 1]);
    else if (option == "--folder") base = argv[i + 1];
  }
  for (int round = 0; round < rounds; ++round) {
    for (const bool dictionary : {false, true}) {
      const std::filesystem::path folder = base / ("company" + std::to_string(round) + (dictionary ? "d" : "f"));
      std::filesystem::remove_all(folder);
      std::filesystem::create_directories(folder);
      std::string path = folder.string();
      if (dictionary) {
        path += "\\ABC.add";
        ace::AdsHandle admin = 0;
        if (ace::AdsDDCreate(path, std::string(kv::engine::kTablePassword), "", &admin) != 0) return 1;
        ace::AdsDisconnect(admin);
      }
      const auto [empty, second] = TimeCompany(path);
      std::printf("round %d  %-10s  empty company %.2f s  second call %.3f s\n", round + 1,
                  dictionary ? "dictionary" : "free", empty, second);
      std::filesystem::remove_all(folder);
    }
  }
  return 0;
}
