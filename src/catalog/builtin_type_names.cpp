#include "catalog/builtin_type_names.h"

namespace brinehold {

const char* BuiltinTypeName(uint32_t systemTypeId, int32_t userTypeId) {
  switch (systemTypeId) {
    case 34: return "image";
    case 35: return "text";
    case 36: return "uniqueidentifier";
    case 40: return "date";
    case 41: return "time";
    case 42: return "datetime2";
    case 43: return "datetimeoffset";
    case 48: return "tinyint";
    case 52: return "smallint";
    case 56: return "int";
    case 58: return "smalldatetime";
    case 59: return "real";
    case 60: return "money";
    case 61: return "datetime";
    case 62: return "float";
    case 98: return "sql_variant";
    case 99: return "ntext";
    case 104: return "bit";
    case 106: return "decimal";
    case 108: return "numeric";
    case 122: return "smallmoney";
    case 127: return "bigint";
    case 165: return "varbinary";
    case 167: return "varchar";
    case 173: return "binary";
    case 175: return "char";
    case 189: return "timestamp";
    case 231: return "nvarchar";
    case 239: return "nchar";
    case 241: return "xml";
    case 240:
      switch (userTypeId) {
        case 128: return "hierarchyid";
        case 129: return "geometry";
        case 130: return "geography";
        default: return nullptr;
      }
    default: return nullptr;
  }
}

}  // namespace brinehold
