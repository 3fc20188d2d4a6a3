// CSystemTableReader: reads the records of one base system table.
//
// A base system table is found by the owner object id in the headers of its
// pages: the data file's inventory (`systemPages`) lists them per owner, in
// file order. ReadSystemTable visits those pages in order, reads each one,
// and hands every record of its slot list to a row parser; a page that
// cannot be read or has no slots contributes nothing, an empty slot is
// skipped. Nothing is reached through allocation chains, so a damaged page
// costs only its own rows.
//
// The reader also holds the repair counter that numbers placeholder names
// ("Repairname0", "RepairColumn1", ...); the catalog bootstrap resets it
// around each read that repairs names.
//
// Stop: TheApp().stopRequested is polled before each page and each record;
// a set flag ends the read after the current record.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "catalog/catalog_record.h"
#include "storage/data_file.h"

namespace brinehold {

class CPrimaryRecord;
class PrimaryRecordPage;

// The catalog's view of one parsed record (a copy of its parts).
CatalogRecord ToCatalogRecord(const CPrimaryRecord& record);
// The catalog's view of a record page.
CatalogPage ToCatalogPage(const PrimaryRecordPage& page);

class CSystemTableReader {
 public:
  // Turns one inventory entry into a page, or nothing when it cannot be read.
  using PageSource = std::function<std::optional<CatalogPage>(const PageEntry&)>;
  using RecordSink = std::function<void(const CatalogRecord&, const PageEntry&)>;

  // Reads pages of `file` with CDataFile::ReadDataPage.
  explicit CSystemTableReader(CDataFile& file);
  // Reads pages of `inventory` from `source` (synthetic catalogs in tests).
  CSystemTableReader(const PageInventory& inventory, PageSource source);

  uint64_t repairCounter = 0;

  // Called before each table is read (with its owner object id).
  std::function<void(int32_t objectId)> onTableStart;

  // Hands every record of the pages of `objectId` to `sink`, in page and
  // slot order. With `dataPagesOnly`, pages whose inventory type or header
  // type is not 1 are skipped. `afterPage` runs after each page that was
  // read. Returns false when the read was cut short by a stop request.
  bool ReadSystemTable(int32_t objectId, bool dataPagesOnly, const RecordSink& sink,
                       const std::function<void()>& afterPage = {});

 private:
  const PageInventory& inventory_;
  PageSource source_;
};

}  // namespace brinehold
