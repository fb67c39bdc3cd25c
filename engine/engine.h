#pragma once
// The engine component objects: everything the rest of the tool reaches the database through.

#include "engine/connection.h"
#include "engine/cursor.h"
#include "engine/dataset.h"
#include "engine/dictionary.h"
#include "engine/errors.h"
#include "engine/owned.h"
#include "engine/query.h"
#include "engine/table.h"
#include "engine/types.h"
