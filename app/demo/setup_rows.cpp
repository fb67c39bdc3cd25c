#include "app/demo/setup_rows.h"

#include "app/demo/demo_row.h"

namespace kv::demo {

void WriteIncomeTaxBands(engine::TAdsTable& t) {
  struct Band {
    const char* forWhat;
    double from, to, rate;
  };
  static constexpr Band kBands[] = {{"RESIDENT", 0, 20000, 0},          {"RESIDENT", 20000.01, 30000, 3.5},
                                    {"RESIDENT", 30000.01, 40000, 5.5}, {"RESIDENT", 40000.01, 80000, 8.5},
                                    {"RESIDENT", 80000.01, 160000, 14}, {"RESIDENT", 160000.01, 320000, 17},
                                    {"RESIDENT", 320000.01, 0, 20},     {"NONRES", 0, 0, 15}};
  for (const Band& b : kBands)
    Row(t).Text("YEAR", "2009").Text("FORWHAT", b.forWhat).Money("FROM", Dollars(b.from)).Money("TO", Dollars(b.to))
        .Real("RATE", b.rate).Post();
}

}  // namespace kv::demo
