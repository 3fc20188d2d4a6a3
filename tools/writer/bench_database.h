// Benchmark databases: a valid data file of any size, streamed to disk.
//
// Three user tables share the file, their extents interleaved from the
// start of the data area to the end, so that every part of the file holds
// rows of each:
//  - "NarrowRows" (Id int, Created datetime, Name nvarchar(50)): many short
//    rows, the most rows of the three;
//  - "WideRows" (Id int, Title nvarchar(100), Body nvarchar(max)): one
//    4000-byte Body per row kept off-row on a text page of its own;
//  - "AllDocs", a SharePoint-like document table (Id and SiteId
//    uniqueidentifier, DirName nvarchar(256), LeafName nvarchar(128), Size
//    int, TimeCreated datetime, WebId and ListId uniqueidentifier, Type
//    tinyint, TimeLastModified datetime): the columns the document tree
//    reads, so a scan reads every row, as it does in a content database.
// Each table is a heap read through its IAM pages (one per 4 GB interval,
// with an extent bitmap). Row n of each table holds values derived from n
// alone (the functions below), so a reader's output can be checked row by
// row. Only the small catalog and the IAM pages are held in memory.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/byte_reader.h"

namespace brinehold::writer {

inline constexpr const char* kBenchNarrowTable = "NarrowRows";
inline constexpr const char* kBenchWideTable = "WideRows";
inline constexpr const char* kBenchDocumentTable = "AllDocs";

struct BenchRowCounts {
  uint64_t narrow = 0;
  uint64_t wide = 0;
  uint64_t documents = 0;
};

std::string BenchNarrowName(uint64_t row);
std::string BenchWideTitle(uint64_t row);
std::string BenchWideBody(uint64_t row);
std::string BenchDirName(uint64_t row);
std::string BenchLeafName(uint64_t row);
int32_t BenchDocumentSize(uint64_t row);

// The smallest size WriteBenchDatabase accepts.
inline constexpr uint64_t kBenchMinimumBytes = uint64_t{4} << 20;

// Writes a database of `bytes` bytes (rounded down to whole extents of 64
// KiB) to `path`, replacing it. Nothing when the size is below the minimum
// or the file cannot be written.
std::optional<BenchRowCounts> WriteBenchDatabase(const std::string& path, uint64_t bytes);

}  // namespace brinehold::writer
