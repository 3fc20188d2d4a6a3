// ObjectDefinitions: the definition texts a scan offers for browsing.
//
// Two lists of object values live from one scan to the next (Reset empties
// them): `scanObjectValues`, read once right after the object tree was
// filled and handed to LoadTableSchema for the definitions of computed
// columns; and `objectValues`, read on the first definition request after a
// scan. A read that finds nothing (no sysobjvalues pages, or a stop) leaves
// `objectValues` unread, so the next request reads again.
//
// GetDefinitionText joins the pieces stored for one object id (whatever
// their sub-object id): UTF-16 pieces are appended as they are; an 8-bit
// piece that repeats the whole text gathered so far is a copy and is not
// appended again. SQL Server 2000 pieces are joined in (number, colid)
// order, so a definition whose rows lie on pages out of order still reads
// as written; the later layouts keep the order the rows were read.
#pragma once

#include <string>
#include <vector>

#include "catalog/column_info.h"
#include "catalog/table_schema.h"
#include "session/window_port.h"

namespace brinehold {

class CDatabaseCatalog;

class ObjectDefinitions {
 public:
  std::vector<ObjectValueEntry> scanObjectValues;
  std::vector<ObjectValueEntry> objectValues;
  bool objectValuesRead = false;

  // Fills scanObjectValues (the fixed sysobjvalues list; syscomments in the
  // SQL Server 2000 layout).
  void ReadScanObjectValues(const CDatabaseCatalog& catalog, WindowPort& window);
  // The definition of the object with decimal id `idText`, decoded with
  // `columns` when objectValues has to be read.
  std::string GetDefinitionText(const CDatabaseCatalog& catalog, WindowPort& window, const std::string& idText,
                                const std::vector<ColumnInfo>& columns);
  void Reset();
};

// The pieces of `values` stored for `idText`, joined as GetDefinitionText
// joins them.
std::string JoinDefinitionPieces(const std::vector<ObjectValueEntry>& values, const std::string& idText,
                                 bool legacy);

}  // namespace brinehold
