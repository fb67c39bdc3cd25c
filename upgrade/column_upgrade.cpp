#include "upgrade/column_upgrade.h"

namespace kv::upgrade {

void UpgradeColumn(const WindowObjects&, std::string_view, std::string_view, std::string_view, std::string_view,
                   bool) {}

void DropColumn(const WindowObjects&, std::string_view, std::string_view, bool) {}

}  // namespace kv::upgrade
