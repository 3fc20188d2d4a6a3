// Names of SQL Server's built-in types by system type id.
//
// The schema reader names a column's type from the catalog's scalar-type
// rows. Where those rows are missing (SQL Server 2000 keeps its types in a
// table the catalog does not read, and a damaged page costs rows) or the
// lookup by system type id cannot succeed (CLR types share id 240 and
// differ by user type id), the built-in name keeps the type text readable.
#pragma once

#include <cstdint>

namespace brinehold {

// The built-in name, or nullptr when the id names no built-in type. For
// system type 240 the user type id tells hierarchyid, geometry and
// geography apart.
const char* BuiltinTypeName(uint32_t systemTypeId, int32_t userTypeId);

}  // namespace brinehold
