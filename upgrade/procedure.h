#pragma once
// The extended stored procedure of the time-clock link, registered in the company's dictionary by statement.

#include <string>
#include <string_view>

#include "upgrade/window_objects.h"

namespace kv::upgrade {

// "CREATE PROCEDURE name(  p1 , p2 ...  )  FUNCTION entry IN LIBRARY "library" ": the parameters are the pieces of
// `parameters` before each "*" (text after the last "*" is dropped).
std::string ProcedureStatement(std::string_view name, std::string_view entry, std::string_view parameters,
                               std::string_view library);

// Sends the statement through AdsQuery1. A free-table company has no dictionary to register a procedure in, and
// a dictionary that holds the procedure already (an earlier run) keeps it: both are left alone. Other failures
// are raised.
void CreateProcedure(const WindowObjects& window, std::string_view name, std::string_view entry,
                     std::string_view parameters, std::string_view library);

}  // namespace kv::upgrade
