// Reading every user table of a data file as `brinehold rows` reads it, for
// tests that compare what whole and damaged copies of a file give.
#pragma once

#include <functional>
#include <string>

namespace brinehold {
class CDataFile;
class CDatabaseCatalog;
}  // namespace brinehold

namespace brinehold::test {

// Opens `path` and calls `visit` once per user table name, with the table's
// schema loaded into catalog.tableSchema. False when the file does not open.
using UserTableVisitor = std::function<void(const std::string& name, CDataFile& file, CDatabaseCatalog& catalog)>;
bool ForEachUserTable(const std::string& path, const UserTableVisitor& visit);

}  // namespace brinehold::test
