// RecordFormat: how a table's rows are written out as text.
//
// - Tsv: the listing form of `brinehold rows`: a header line of column
//   names, then one line per row, cells separated by tabs, each cell made
//   one-line safe (TsvField); a NULL shows as the renderer shows it.
// - Csv: RFC 4180 with a header record, CRLF record ends, UTF-8; a NULL is
//   an empty field unless the caller chooses a text for it.
// - JsonLines: one JSON object per row, keyed by column name in column
//   order, NULL as JSON null; no header.
//
// The writer only formats: the caller decides which columns there are
// (including any extra column such as the deleted-row mark) and passes one
// cell per column.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brinehold {

enum class RecordFormat { Tsv, Csv, JsonLines };

// "tsv", "csv" or "jsonl"; nothing for any other text.
std::optional<RecordFormat> ParseRecordFormat(std::string_view name);

struct RecordCell {
  std::string_view text;
  bool isNull = false;
};

class RecordWriter {
 public:
  RecordWriter(RecordFormat format, std::vector<std::string> columnNames, std::string csvNullText = {});

  // The header line with its line end; empty for JsonLines.
  std::string Header() const;
  // Appends one row with its line end. Missing cells count as NULL, extra
  // cells are ignored.
  void AppendRow(const std::vector<RecordCell>& cells, std::string& out) const;

 private:
  void AppendCell(const RecordCell& cell, std::string& out) const;

  RecordFormat format_;
  std::vector<std::string> names_;
  std::string csvNullText_;
};

}  // namespace brinehold
