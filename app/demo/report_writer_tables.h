#pragma once
// The report writer's tables of a demo company (free-field labels, formula variables, report layouts, allowance
// codes over two years, the running numbers) and its claim templates, in the shape an 8.50 company keeps them;
// and the release's claim templates that the update archive ships.

#include <string>

#include "engine/table.h"

namespace kv::demo {

void WriteFreeFieldLabels(engine::TAdsTable& t);
void WriteFormulaVariables(engine::TAdsTable& t);
void WriteReportColumns(engine::TAdsTable& t);
void WriteAllowanceCodes(engine::TAdsTable& t);
void WriteRunningNumbers(engine::TAdsTable& t);
void WriteClaimTemplates(engine::TAdsTable& t);

// Makes the release's CLMTMPL.ADT (with its .ADI) in `folder`, a suite path without a trailing separator.
void MakeReleaseClaimTemplates(const std::string& folder);

}  // namespace kv::demo
