#include "values/record_format.h"

#include "platform/delimited_text.h"

namespace brinehold {

std::optional<RecordFormat> ParseRecordFormat(std::string_view name) {
  if (name == "tsv") return RecordFormat::Tsv;
  if (name == "csv") return RecordFormat::Csv;
  if (name == "jsonl") return RecordFormat::JsonLines;
  return std::nullopt;
}

RecordWriter::RecordWriter(RecordFormat format, std::vector<std::string> columnNames, std::string csvNullText)
    : format_(format), names_(std::move(columnNames)), csvNullText_(std::move(csvNullText)) {}

std::string RecordWriter::Header() const {
  std::string out;
  for (size_t i = 0; i < names_.size(); ++i) {
    switch (format_) {
      case RecordFormat::Tsv:
        if (i > 0) out += '\t';
        out += TsvField(names_[i]);
        break;
      case RecordFormat::Csv:
        if (i > 0) out += ',';
        out += CsvField(names_[i]);
        break;
      case RecordFormat::JsonLines:
        return {};
    }
  }
  out += format_ == RecordFormat::Csv ? kCsvRecordEnd : "\n";
  return out;
}

void RecordWriter::AppendCell(const RecordCell& cell, std::string& out) const {
  switch (format_) {
    case RecordFormat::Tsv:
      AppendTsvField(out, cell.text);
      return;
    case RecordFormat::Csv:
      out += cell.isNull ? CsvField(csvNullText_) : CsvField(cell.text);
      return;
    case RecordFormat::JsonLines:
      out += cell.isNull ? std::string("null") : JsonString(cell.text);
      return;
  }
}

void RecordWriter::AppendRow(const std::vector<RecordCell>& cells, std::string& out) const {
  const char separator = format_ == RecordFormat::Csv ? ',' : format_ == RecordFormat::Tsv ? '\t' : ',';
  if (format_ == RecordFormat::JsonLines) out += '{';
  for (size_t i = 0; i < names_.size(); ++i) {
    if (i > 0) out += separator;
    if (format_ == RecordFormat::JsonLines) {
      out += JsonString(names_[i]);
      out += ':';
    }
    AppendCell(i < cells.size() ? cells[i] : RecordCell{{}, true}, out);
  }
  if (format_ == RecordFormat::JsonLines) out += '}';
  out += format_ == RecordFormat::Csv ? kCsvRecordEnd : "\n";
}

}  // namespace brinehold
