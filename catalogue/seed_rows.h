#pragma once
// The rows written into tables right after they are made: the IRAS nationality codes of IRAS_NAT_2007 and the
// default logins of SYSCONT.ADT.

#include "engine/query.h"
#include "engine/table.h"

namespace kv::catalogue {

// Appends and posts the six default login rows on the open SYSCONT.ADT, each field found by name without regard
// to case. A failing Append or Post raises and leaves the rows written so far. Encrypting the table once the
// rows are in is the creator's step that follows.
void WriteSystemControlRows(engine::TAdsTable& table);

// Inserts the 244 nationality rows into IRAS_NAT_2007 through query (bound to the company connection), one
// INSERT statement each, in code order, closing the statement after each. A failing INSERT raises at once; the
// rows inserted before it stay.
void SeedNationalityCodes(engine::TAdsQuery& query);

}  // namespace kv::catalogue
