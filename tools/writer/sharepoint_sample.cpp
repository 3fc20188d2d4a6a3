#include "writer/sharepoint_sample.h"

#include <cstdio>
#include <string>
#include <vector>

#include "writer/object_value_rows.h"
#include "writer/record_builder.h"
#include "writer/user_table_writer.h"

namespace brinehold::writer {

namespace {

// Base system tables: owner id and name.
struct SystemTable {
  int32_t id;
  const char* name;
};
constexpr SystemTable kSystemTables[] = {
    {3, "sysrscols"},   {5, "sysrowsets"},      {7, "sysallocunits"}, {8, "sysfiles1"},
    {34, "sysschobjs"}, {41, "syscolpars"},     {50, "sysscalartypes"}, {54, "sysidxstats"},
    {55, "sysiscols"},  {60, "sysobjvalues"},   {74, "syssingleobjrefs"}};

// Type ids of the columns used.
constexpr uint8_t kGuid = 36, kTinyInt = 48, kInt = 56, kDateTime = 61, kNVarChar = 231, kVarBinary = 165;

constexpr int32_t kLatin1GeneralCiAsKsWs = 4104;

constexpr const char* kSiteId = "7f3c2a10-5b6e-4d2a-9c11-0a1b2c3d4e5f";
constexpr const char* kRootWeb = "1b2c3d4e-0001-4a00-8000-00000000a001";
constexpr const char* kFinanceWeb = "1b2c3d4e-0002-4a00-8000-00000000a002";
constexpr const char* kHrWeb = "1b2c3d4e-0003-4a00-8000-00000000a003";
constexpr const char* kSharedDocuments = "2a7b0c11-0001-4b00-9000-00000000b001";
constexpr const char* kSiteAssets = "2a7b0c11-0002-4b00-9000-00000000b002";
constexpr const char* kBudgets = "2a7b0c11-0003-4b00-9000-00000000b003";
constexpr const char* kPolicies = "2a7b0c11-0004-4b00-9000-00000000b004";

Cell Guid(const char* text) { return Cell::Value(GuidBytes(text)); }
Cell Text(const std::string& text) { return Cell::Value(NVarCharBytes(text)); }
Cell Int(int32_t value) { return Cell::Value(Int32Bytes(value)); }
Cell Tiny(uint8_t value) { return Cell::Value(TinyIntBytes(value)); }
Cell Time(int y, int mo, int d, int h, int mi, int s) { return Cell::Value(DateTimeBytes(y, mo, d, h, mi, s)); }
Bytes Ascii(const std::string& text) { return Bytes(text.begin(), text.end()); }

TableColumn Column(const char* name, uint8_t type, int16_t length, bool nullable = false) {
  return TableColumn{name, type, length, nullable};
}

// A document of the sample: its AllDocs row and, for a file, its content.
struct SampleDoc {
  const char* id;
  const char* dirName;
  const char* leafName;
  const char* webId;
  const char* listId;  // null: not in a list
  uint8_t type;        // 0 file, 1 folder
  uint8_t level;
  const char* parentId;
  Bytes content;  // files only

  // Content too large for the row is kept on text pages.
  bool OffRow() const { return content.size() > 8000; }
};

std::vector<SampleDoc> SampleDocs() {
  const char* kNoParent = "00000000-0000-0000-0000-000000000000";
  return {
      {"3c4d5e6f-0001-4c00-a000-00000000c001", "", "Shared Documents", kRootWeb, kSharedDocuments, 1, 1, kNoParent,
       {}},
      {"3c4d5e6f-0002-4c00-a000-00000000c002", "Shared Documents", "Reports", kRootWeb, kSharedDocuments, 1, 1,
       "3c4d5e6f-0001-4c00-a000-00000000c001", {}},
      {"3c4d5e6f-0003-4c00-a000-00000000c003", "Shared Documents", "Welcome.txt", kRootWeb, kSharedDocuments, 0, 1,
       "3c4d5e6f-0001-4c00-a000-00000000c001", Ascii("Welcome to the Brinehold sample portal.\r\n")},
      {"3c4d5e6f-0004-4c00-a000-00000000c004", "Shared Documents/Reports", "Q1 Report.txt", kRootWeb,
       kSharedDocuments, 0, 1, "3c4d5e6f-0002-4c00-a000-00000000c002",
       Ascii("Q1: revenue up 4%, costs flat.\r\n")},
      {"3c4d5e6f-0005-4c00-a000-00000000c005", "Shared Documents/Reports", "Annual Report.pdf", kRootWeb,
       kSharedDocuments, 0, 1, "3c4d5e6f-0002-4c00-a000-00000000c002", SampleLargeDocumentContent()},
      {"3c4d5e6f-0006-4c00-a000-00000000c006", "", "SiteAssets", kRootWeb, kSiteAssets, 1, 1, kNoParent, {}},
      {"3c4d5e6f-0007-4c00-a000-00000000c007", "SiteAssets", "logo.png", kRootWeb, kSiteAssets, 0, 1,
       "3c4d5e6f-0006-4c00-a000-00000000c006",
       Bytes{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 'I', 'H', 'D', 'R'}},
      {"3c4d5e6f-0008-4c00-a000-00000000c008", "", "default.aspx", kRootWeb, nullptr, 0, 1, kNoParent,
       Ascii("<%@ Page language=\"C#\" %>\r\n")},
      {"3c4d5e6f-0009-4c00-a000-00000000c009", "finance", "Budgets", kFinanceWeb, kBudgets, 1, 1, kNoParent, {}},
      {"3c4d5e6f-000a-4c00-a000-00000000c00a", "finance/Budgets", "Budget 2020.csv", kFinanceWeb, kBudgets, 0, 1,
       "3c4d5e6f-0009-4c00-a000-00000000c009", Ascii("Item,Amount\r\nTravel,12000\r\nTraining,8000\r\n")},
      {"3c4d5e6f-000b-4c00-a000-00000000c00b", "finance/Budgets", "Budget 2021.csv", kFinanceWeb, kBudgets, 0, 1,
       "3c4d5e6f-0009-4c00-a000-00000000c009", Ascii("Item,Amount\r\nTravel,9000\r\nTraining,11000\r\n")},
      {"3c4d5e6f-000c-4c00-a000-00000000c00c", "hr", "Policies", kHrWeb, kPolicies, 1, 1, kNoParent, {}},
      {"3c4d5e6f-000d-4c00-a000-00000000c00d", "hr/Policies", "Leave Policy.txt", kHrWeb, kPolicies, 0, 1,
       "3c4d5e6f-000c-4c00-a000-00000000c00c", Ascii("Annual leave: 25 days.\r\n")},
      {"3c4d5e6f-000e-4c00-a000-00000000c00e", "hr/Policies", "Travel Policy.txt", kHrWeb, kPolicies, 0, 1,
       "3c4d5e6f-000c-4c00-a000-00000000c00c", Ascii("Book travel through the portal.\r\n")},
  };
}

void AddSystemObjects(CatalogFileBuilder& b) {
  for (const SystemTable& table : kSystemTables) {
    ObjectBlueprint object;
    object.id = table.id;
    object.name = table.name;
    object.type = "S ";
    object.schemaId = 4;  // sys
    b.Add(34, SysschobjsRow(object));
  }
  b.Add(8, SysfilesRow(2, 1, "WSS_Content_Sample",
                       "C:\\Program Files\\Microsoft SQL Server\\MSSQL15.MSSQLSERVER\\MSSQL\\DATA\\WSS_Content_Sample.mdf"));
  b.Add(8, SysfilesRow(0x42, 2, "WSS_Content_Sample_log",
                       "C:\\Program Files\\Microsoft SQL Server\\MSSQL15.MSSQLSERVER\\MSSQL\\DATA\\"
                       "WSS_Content_Sample_log.ldf"));
  b.Add(50, ScalarTypeRow(34, "image", 34, 16));
  b.Add(50, ScalarTypeRow(36, "uniqueidentifier", 36, 16));
  b.Add(50, ScalarTypeRow(48, "tinyint", 48, 1));
  b.Add(50, ScalarTypeRow(56, "int", 56, 4));
  b.Add(50, ScalarTypeRow(61, "datetime", 61, 8));
  b.Add(50, ScalarTypeRow(127, "bigint", 127, 8));
  b.Add(50, ScalarTypeRow(165, "varbinary", 165, 8000));
  b.Add(50, ScalarTypeRow(231, "nvarchar", 231, 8000));
  b.Add(50, ScalarTypeRow(256, "sysname", 231, 256));
}

UserTableBlueprint Table(int32_t id, const char* name, int32_t owner, int32_t keyId, const char* keyName) {
  UserTableBlueprint blueprint;
  blueprint.table.id = id;
  blueprint.table.name = name;
  blueprint.table.type = "U ";
  blueprint.pageOwner = owner;
  blueprint.primaryKeyObjectId = keyId;
  blueprint.primaryKeyName = keyName;
  blueprint.primaryKey = {1};
  return blueprint;
}

void AddSites(CatalogFileBuilder& b) {
  UserTableBlueprint t = Table(245575913, "Sites", 0x2000, 1093578934, "Sites_PK");
  t.columns = {Column("Id", kGuid, 16), Column("FullUrl", kNVarChar, 512), Column("RootWebId", kGuid, 16),
               Column("TimeCreated", kDateTime, 8)};
  t.rows = {{Guid(kSiteId), Text("/"), Guid(kRootWeb), Time(2019, 3, 14, 9, 30, 0)}};
  AddUserTable(b, t);
}

void AddWebs(CatalogFileBuilder& b) {
  UserTableBlueprint t = Table(261575970, "AllWebs", 0x2010, 1109578991, "AllWebs_PK");
  t.columns = {Column("Id", kGuid, 16),          Column("SiteId", kGuid, 16),
               Column("ParentWebId", kGuid, 16, true), Column("FullUrl", kNVarChar, 512),
               Column("Title", kNVarChar, 510, true),  Column("TimeCreated", kDateTime, 8),
               Column("WebTemplate", kInt, 4),   Column("Language", kInt, 4)};
  t.rows = {
      {Guid(kRootWeb), Guid(kSiteId), Cell::Null(), Text(""), Text("Brinehold Sample Portal"),
       Time(2019, 3, 14, 9, 30, 0), Int(1), Int(1033)},
      {Guid(kFinanceWeb), Guid(kSiteId), Guid(kRootWeb), Text("finance"), Text("Finance"),
       Time(2019, 4, 2, 14, 5, 0), Int(1), Int(1033)},
      {Guid(kHrWeb), Guid(kSiteId), Guid(kRootWeb), Text("hr"), Text("Human Resources"), Time(2019, 5, 20, 8, 0, 0),
       Int(1), Int(1033)},
  };
  AddUserTable(b, t);
}

void AddLists(CatalogFileBuilder& b) {
  UserTableBlueprint t = Table(293576084, "AllLists", 0x2020, 1125579048, "AllLists_PK");
  t.primaryKey = {1, 2};
  t.columns = {Column("tp_WebId", kGuid, 16),         Column("tp_ID", kGuid, 16),
               Column("tp_Title", kNVarChar, 510),    Column("tp_RootFolder", kGuid, 16),
               Column("tp_BaseType", kInt, 4),        Column("tp_ServerTemplate", kInt, 4),
               Column("tp_Created", kDateTime, 8),    Column("tp_ItemCount", kInt, 4),
               Column("tp_Description", kNVarChar, 1024, true)};
  t.rows = {
      {Guid(kRootWeb), Guid(kSharedDocuments), Text("Documents"), Guid("3c4d5e6f-0001-4c00-a000-00000000c001"),
       Int(1), Int(101), Time(2019, 3, 14, 9, 31, 0), Int(4), Text("Shared documents of the portal")},
      {Guid(kRootWeb), Guid(kSiteAssets), Text("Site Assets"), Guid("3c4d5e6f-0006-4c00-a000-00000000c006"),
       Int(1), Int(851), Time(2019, 3, 14, 9, 31, 5), Int(1), Cell::Null()},
      {Guid(kFinanceWeb), Guid(kBudgets), Text("Budgets"), Guid("3c4d5e6f-0009-4c00-a000-00000000c009"), Int(1),
       Int(101), Time(2019, 4, 2, 14, 6, 0), Int(2), Text("Yearly budgets")},
      {Guid(kHrWeb), Guid(kPolicies), Text("Policies"), Guid("3c4d5e6f-000c-4c00-a000-00000000c00c"), Int(1),
       Int(101), Time(2019, 5, 20, 8, 1, 0), Int(2), Cell::Null()},
  };
  AddUserTable(b, t);
}

void AddDocs(CatalogFileBuilder& b) {
  UserTableBlueprint t = Table(325576198, "AllDocs", 0x2030, 1141579105, "AllDocs_PK");
  t.columns = {Column("Id", kGuid, 16),           Column("SiteId", kGuid, 16),
               Column("DirName", kNVarChar, 512), Column("LeafName", kNVarChar, 256),
               Column("WebId", kGuid, 16),        Column("ListId", kGuid, 16, true),
               Column("Type", kTinyInt, 1),       Column("Size", kInt, 4, true),
               Column("TimeCreated", kDateTime, 8), Column("TimeLastModified", kDateTime, 8),
               Column("Level", kTinyInt, 1),      Column("ParentId", kGuid, 16)};
  int minute = 0;
  for (const SampleDoc& doc : SampleDocs()) {
    ++minute;
    t.rows.push_back({Guid(doc.id), Guid(kSiteId), Text(doc.dirName), Text(doc.leafName), Guid(doc.webId),
                      doc.listId ? Guid(doc.listId) : Cell::Null(), Tiny(doc.type),
                      doc.type == 1 ? Cell::Null() : Int(static_cast<int32_t>(doc.content.size())),
                      Time(2020, 1, 6, 10, minute, 0), Time(2020, 2, 3, 16, minute, 30), Tiny(doc.level),
                      Guid(doc.parentId)});
  }
  AddUserTable(b, t);
}

void AddDocStreams(CatalogFileBuilder& b) {
  UserTableBlueprint t = Table(357576312, "AllDocStreams", 0x2040, 1157579162, "AllDocStreams_PK");
  t.columns = {Column("Id", kGuid, 16), Column("SiteId", kGuid, 16), Column("InternalVersion", kInt, 4),
               Column("Size", kInt, 4), Column("Content", kVarBinary, -1, true)};
  for (const SampleDoc& doc : SampleDocs()) {
    if (doc.type != 0) continue;
    t.rows.push_back({Guid(doc.id), Guid(kSiteId), Int(1), Int(static_cast<int32_t>(doc.content.size())),
                      doc.OffRow() ? Cell::Large(doc.content) : Cell::Value(doc.content)});
  }
  AddUserTable(b, t);
}

void AddUserInfo(CatalogFileBuilder& b) {
  UserTableBlueprint t = Table(389576426, "UserInfo", 0x2050, 1173579219, "UserInfo_PK");
  t.primaryKey = {1, 2};
  t.columns = {Column("tp_SiteID", kGuid, 16), Column("tp_ID", kInt, 4), Column("tp_Title", kNVarChar, 510),
               Column("tp_Login", kNVarChar, 510), Column("tp_Email", kNVarChar, 510, true)};
  t.rows = {
      {Guid(kSiteId), Int(1), Text("System Account"), Text("SHAREPOINT\\system"), Cell::Null()},
      {Guid(kSiteId), Int(7), Text("Ada Lindqvist"), Text("CONTOSO\\ada"), Text("ada@contoso.example")},
      {Guid(kSiteId), Int(9), Text("Tomás Ruiz"), Text("CONTOSO\\truiz"), Text("tomas@contoso.example")},
  };
  AddUserTable(b, t);
}

void AddViewAndProcedure(CatalogFileBuilder& b) {
  constexpr int32_t kView = 421576540, kProcedure = 437576597;
  ObjectBlueprint view;
  view.id = kView;
  view.name = "Docs";
  view.type = "V ";
  b.Add(34, SysschobjsRow(view));
  const char* viewColumns[] = {"Id", "DirName", "LeafName", "Size"};
  const uint8_t viewTypes[] = {kGuid, kNVarChar, kNVarChar, kInt};
  const int16_t viewLengths[] = {16, 512, 256, 4};
  for (int i = 0; i < 4; ++i) {
    ColumnBlueprint column;
    column.objectId = kView;
    column.columnId = i + 1;
    column.name = viewColumns[i];
    column.systemTypeId = viewTypes[i];
    column.maxLength = viewLengths[i];
    b.Add(41, SyscolparsRow(column));
  }
  b.Add(60, ModuleDefinitionRow(kView,
                                "CREATE VIEW dbo.Docs\r\nAS\r\nSELECT Id, DirName, LeafName, Size\r\n"
                                "FROM dbo.AllDocs\r\nWHERE Type = 0\r\n",
                                false));
  ObjectBlueprint procedure;
  procedure.id = kProcedure;
  procedure.name = "proc_GetDocsInFolder";
  procedure.type = "P ";
  b.Add(34, SysschobjsRow(procedure));
  b.Add(60, ModuleDefinitionRow(kProcedure,
                                "CREATE PROCEDURE dbo.proc_GetDocsInFolder\r\n    @DirName nvarchar(256)\r\nAS\r\n"
                                "SELECT LeafName, Size FROM dbo.AllDocs\r\n"
                                "WHERE DirName = @DirName AND Type = 0\r\nORDER BY LeafName\r\n",
                                true));
}

}  // namespace

Bytes SampleLargeDocumentContent() {
  std::string text = "%PDF-1.4\n";
  for (int line = 1; text.size() < 20000; ++line) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "Annual report, line %05d: all figures audited.\n", line);
    text += buffer;
  }
  text.resize(20000);
  return Bytes(text.begin(), text.end());
}

CatalogFileBuilder BuildSharePointSample() {
  CatalogFileBuilder b(904);
  b.boot.databaseName = u"WSS_Content_Sample";
  b.boot.collationId = kLatin1GeneralCiAsKsWs;
  AddSystemObjects(b);
  AddSites(b);
  AddWebs(b);
  AddLists(b);
  AddDocs(b);
  AddDocStreams(b);
  AddUserInfo(b);
  AddViewAndProcedure(b);
  return b;
}

}  // namespace brinehold::writer
