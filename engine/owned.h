#pragma once
// A table and its own connection made at run time (the table creators' pattern): neither has a name, and they
// are freed table first, then connection - the table closed, the connection disconnected - also when an
// exception passes.

#include <memory>

#include "engine/connection.h"
#include "engine/table.h"

namespace kv::engine {

class TOwnedTable {
 public:
  TOwnedTable() : connection_(std::make_unique<TAdsConnection>()), table_(std::make_unique<TAdsTable>()) {
    table_->SetAdsConnection(connection_.get());
  }
  ~TOwnedTable() {
    try {
      table_->Close();
    } catch (...) {
    }
    try {
      connection_->Disconnect();
    } catch (...) {
    }
    table_.reset();
    connection_.reset();
  }
  TOwnedTable(const TOwnedTable&) = delete;
  TOwnedTable& operator=(const TOwnedTable&) = delete;

  TAdsConnection& Connection() { return *connection_; }
  TAdsTable& Table() { return *table_; }

 private:
  std::unique_ptr<TAdsConnection> connection_;
  std::unique_ptr<TAdsTable> table_;
};

}  // namespace kv::engine
