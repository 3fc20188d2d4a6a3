#include "writer/object_value_rows.h"

#include "writer/record_builder.h"

namespace brinehold::writer {

namespace {
constexpr uint8_t kIntBaseType = 56;
constexpr uint16_t kColumnCount = 6;
constexpr uint16_t kValueColumn = 4;
constexpr uint8_t kModuleClass = 1;
constexpr uint16_t kCommentColumnCount = 7;  // id, number, colid, status, ctext, texttype, language
constexpr uint16_t kUserSuppliedUnicodeText = 2;
}  // namespace

Bytes SysobjvaluesRow(uint8_t valueClass, int32_t objectId, int32_t subObjectId, int32_t valueNumber,
                      std::optional<int32_t> value, const Bytes& imageValue) {
  Bytes fixed;
  fixed.push_back(valueClass);
  AppendLE(fixed, static_cast<uint32_t>(objectId), 4);
  AppendLE(fixed, static_cast<uint32_t>(subObjectId), 4);
  AppendLE(fixed, static_cast<uint32_t>(valueNumber), 4);
  RecordBuilder record;
  record.SetFixed(std::move(fixed)).SetColumnCount(kColumnCount);
  if (value) {
    Bytes variant = {kIntBaseType, 1};
    AppendLE(variant, static_cast<uint32_t>(*value), 4);
    record.AddVariable(std::move(variant));
  } else {
    record.SetNull(kValueColumn).AddEmptyVariable();
  }
  record.AddVariable(imageValue);
  return record.Build();
}

Bytes ModuleDefinitionRow(int32_t objectId, const std::string& text, bool procedure) {
  return SysobjvaluesRow(kModuleClass, objectId, procedure ? 1 : 0, 0, procedure ? 0 : 2, Utf16(text));
}

Bytes SyscommentsRow(int32_t objectId, int16_t number, int16_t pieceId, const std::string& text) {
  Bytes fixed;
  AppendLE(fixed, static_cast<uint32_t>(objectId), 4);
  AppendLE(fixed, static_cast<uint16_t>(number), 2);
  AppendLE(fixed, static_cast<uint16_t>(pieceId), 2);
  AppendLE(fixed, 0, 2);  // status: neither encrypted nor compressed
  AppendLE(fixed, kUserSuppliedUnicodeText, 2);
  AppendLE(fixed, 0, 2);  // language
  return RecordBuilder().SetFixed(std::move(fixed)).SetColumnCount(kCommentColumnCount).AddVariable(Utf16(text)).Build();
}

}  // namespace brinehold::writer
