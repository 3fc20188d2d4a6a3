#include "writer/content_database.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>
#include <set>

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
constexpr uint8_t kImage = 34, kGuid = 36, kTinyInt = 48, kInt = 56, kDateTime = 61, kBit = 104,
                  kBigInt = 127, kVarBinary = 165, kNVarChar = 231;

constexpr int32_t kLatin1GeneralCiAsKsWs = 4104;

constexpr const char* kSiteId = "7f3c2a10-5b6e-4d2a-9c11-0a1b2c3d4e5f";
constexpr const char* kArchiveSiteId = "7f3c2a10-5b6e-4d2a-9c11-0a1b2c3d4e60";
constexpr const char* kRootWeb = "1b2c3d4e-0001-4a00-8000-00000000a001";
constexpr const char* kFinanceWeb = "1b2c3d4e-0002-4a00-8000-00000000a002";
constexpr const char* kHrWeb = "1b2c3d4e-0003-4a00-8000-00000000a003";
constexpr const char* kArchiveWeb = "1b2c3d4e-0004-4a00-8000-00000000a004";
constexpr const char* kSharedDocuments = "2a7b0c11-0001-4b00-9000-00000000b001";
constexpr const char* kSiteAssets = "2a7b0c11-0002-4b00-9000-00000000b002";
constexpr const char* kBudgets = "2a7b0c11-0003-4b00-9000-00000000b003";
constexpr const char* kPolicies = "2a7b0c11-0004-4b00-9000-00000000b004";
constexpr const char* kBudgetsArchive = "2a7b0c11-0005-4b00-9000-00000000b005";
constexpr const char* kArchiveDocuments = "2a7b0c11-0006-4b00-9000-00000000b006";
constexpr const char* kNoParent = "00000000-0000-0000-0000-000000000000";

Cell Guid(const std::string& text) { return Cell::Value(GuidBytes(text)); }
Cell OptionalGuid(const std::string& text) { return text.empty() ? Cell::Null() : Guid(text); }
Cell Text(const std::string& text) { return Cell::Value(NVarCharBytes(text)); }
Cell Int(int32_t value) { return Cell::Value(Int32Bytes(value)); }
Cell Big(int64_t value) { return Cell::Value(Int64Bytes(value)); }
Cell Tiny(uint8_t value) { return Cell::Value(TinyIntBytes(value)); }
Cell Bit(bool value) { return Cell::Value(BitBytes(value)); }
Cell Binary(Bytes bytes) { return Cell::Value(std::move(bytes)); }
Cell Time(int y, int mo, int d, int h, int mi, int s) { return Cell::Value(DateTimeBytes(y, mo, d, h, mi, s)); }
Bytes Ascii(const std::string& text) { return Bytes(text.begin(), text.end()); }

// A document's time: `stamp` minutes after 2020-01-06 10:00, plus `extra`.
Cell Stamp(int32_t stamp, int32_t extraMinutes = 0) {
  const int32_t minutes = stamp + extraMinutes;
  const int32_t day = minutes / (24 * 60);
  const int32_t inDay = minutes % (24 * 60) + 10 * 60;
  return Time(2020, 1, 6 + day % 20, inDay / 60 % 24, inDay % 60, 0);
}

TableColumn Column(const char* name, uint8_t type, int16_t length, bool nullable = false) {
  return TableColumn{name, type, length, nullable};
}

// A made-up identifier of group `group`, number `n`.
std::string MadeId(uint32_t group, uint32_t n) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%08x-%04x-4d00-b000-%012x", 0x5e6f7a8bu, group & 0xffff, n);
  return buffer;
}

// ---- The content ----

ContentDoc Folder(const char* id, const char* dir, const char* leaf, const char* web, const char* list,
                  const char* parent) {
  ContentDoc doc;
  doc.id = id;
  doc.siteId = kSiteId;
  doc.dirName = dir;
  doc.leafName = leaf;
  doc.webId = web;
  doc.listId = list ? list : "";
  doc.parentId = parent;
  doc.type = 1;
  return doc;
}

ContentDoc File(const char* id, const char* dir, const char* leaf, const char* web, const char* list,
                const char* parent, Bytes content) {
  ContentDoc doc = Folder(id, dir, leaf, web, list, parent);
  doc.type = 0;
  doc.content = std::move(content);
  return doc;
}

// The first sample: one site collection with three webs.
void AddPortal(ContentModel& m) {
  m.sites.push_back({kSiteId, "/", kRootWeb});
  m.webs.push_back({kRootWeb, kSiteId, "", "", "Brinehold Sample Portal"});
  m.webs.push_back({kFinanceWeb, kSiteId, kRootWeb, "finance", "Finance"});
  m.webs.push_back({kHrWeb, kSiteId, kRootWeb, "hr", "Human Resources"});
  m.lists.push_back({kRootWeb, kSharedDocuments, "Documents", "3c4d5e6f-0001-4c00-a000-00000000c001", 101});
  m.lists.push_back({kRootWeb, kSiteAssets, "Site Assets", "3c4d5e6f-0006-4c00-a000-00000000c006", 851});
  m.lists.push_back({kFinanceWeb, kBudgets, "Budgets", "3c4d5e6f-0009-4c00-a000-00000000c009", 101});
  m.lists.push_back({kHrWeb, kPolicies, "Policies", "3c4d5e6f-000c-4c00-a000-00000000c00c", 101});
  const char* c1 = "3c4d5e6f-0001-4c00-a000-00000000c001";
  const char* c2 = "3c4d5e6f-0002-4c00-a000-00000000c002";
  const char* c6 = "3c4d5e6f-0006-4c00-a000-00000000c006";
  const char* c9 = "3c4d5e6f-0009-4c00-a000-00000000c009";
  const char* cc = "3c4d5e6f-000c-4c00-a000-00000000c00c";
  auto& d = m.docs;
  d.push_back(Folder(c1, "", "Shared Documents", kRootWeb, kSharedDocuments, kNoParent));
  d.push_back(Folder(c2, "Shared Documents", "Reports", kRootWeb, kSharedDocuments, c1));
  d.push_back(File("3c4d5e6f-0003-4c00-a000-00000000c003", "Shared Documents", "Welcome.txt", kRootWeb,
                   kSharedDocuments, c1, Ascii("Welcome to the Brinehold sample portal.\r\n")));
  d.push_back(File("3c4d5e6f-0004-4c00-a000-00000000c004", "Shared Documents/Reports", "Q1 Report.txt", kRootWeb,
                   kSharedDocuments, c2, Ascii("Q1: revenue up 4%, costs flat.\r\n")));
  d.push_back(File("3c4d5e6f-0005-4c00-a000-00000000c005", "Shared Documents/Reports", "Annual Report.pdf", kRootWeb,
                   kSharedDocuments, c2, SampleLargeDocumentContent()));
  d.back().versions = 2;
  d.push_back(Folder(c6, "", "SiteAssets", kRootWeb, kSiteAssets, kNoParent));
  d.push_back(File("3c4d5e6f-0007-4c00-a000-00000000c007", "SiteAssets", "logo.png", kRootWeb, kSiteAssets, c6,
                   Bytes{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 'I', 'H', 'D', 'R'}));
  d.push_back(File("3c4d5e6f-0008-4c00-a000-00000000c008", "", "default.aspx", kRootWeb, nullptr, kNoParent,
                   Ascii("<%@ Page language=\"C#\" %>\r\n")));
  d.push_back(Folder(c9, "finance", "Budgets", kFinanceWeb, kBudgets, kNoParent));
  d.push_back(File("3c4d5e6f-000a-4c00-a000-00000000c00a", "finance/Budgets", "Budget 2020.csv", kFinanceWeb,
                   kBudgets, c9, Ascii("Item,Amount\r\nTravel,12000\r\nTraining,8000\r\n")));
  d.push_back(File("3c4d5e6f-000b-4c00-a000-00000000c00b", "finance/Budgets", "Budget 2021.csv", kFinanceWeb,
                   kBudgets, c9, Ascii("Item,Amount\r\nTravel,9000\r\nTraining,11000\r\n")));
  d.push_back(Folder(cc, "hr", "Policies", kHrWeb, kPolicies, kNoParent));
  d.push_back(File("3c4d5e6f-000d-4c00-a000-00000000c00d", "hr/Policies", "Leave Policy.txt", kHrWeb, kPolicies, cc,
                   Ascii("Annual leave: 25 days.\r\n")));
  d.push_back(File("3c4d5e6f-000e-4c00-a000-00000000c00e", "hr/Policies", "Travel Policy.txt", kHrWeb, kPolicies,
                   cc, Ascii("Book travel through the portal.\r\n")));
}

// What recovery must also cope with: a second library of the same title in
// one web, a second site collection whose library has the title of the
// portal's, folders with blanks and non-Latin names, directory names with
// doubled, trailing and blank-surrounded parts, empty files, a leaf name
// used twice in one library, a file with earlier versions.
void AddHardCases(ContentModel& m) {
  const char* cf = "3c4d5e6f-000f-4c00-a000-00000000c00f";
  const char* a1 = "3c4d5e6f-0010-4c00-a000-00000000c010";
  const char* a2 = "3c4d5e6f-0011-4c00-a000-00000000c011";
  const char* a3 = "3c4d5e6f-0012-4c00-a000-00000000c012";
  const char* a4 = "3c4d5e6f-0013-4c00-a000-00000000c013";
  m.lists.push_back({kFinanceWeb, kBudgetsArchive, "Budgets", cf, 101});
  m.sites.push_back({kArchiveSiteId, "sites/archive", kArchiveWeb});
  m.webs.push_back({kArchiveWeb, kArchiveSiteId, "", "sites/archive", "Archive"});
  m.lists.push_back({kArchiveWeb, kArchiveDocuments, "Documents", a1, 101});
  auto& d = m.docs;
  d.push_back(Folder(cf, "finance", "Budgets Archive", kFinanceWeb, kBudgetsArchive, kNoParent));
  d.push_back(File("3c4d5e6f-0014-4c00-a000-00000000c014", "finance/Budgets Archive", "Budget 2019.csv", kFinanceWeb,
                   kBudgetsArchive, cf, Ascii("Item,Amount\r\nTravel,15000\r\n")));
  d.push_back(File("3c4d5e6f-0015-4c00-a000-00000000c015", "Shared Documents", "Empty.txt", kRootWeb,
                   kSharedDocuments, "3c4d5e6f-0001-4c00-a000-00000000c001", {}));
  d.push_back(File("3c4d5e6f-0016-4c00-a000-00000000c016", "Shared Documents/Reports", "Welcome.txt", kRootWeb,
                   kSharedDocuments, "3c4d5e6f-0002-4c00-a000-00000000c002",
                   Ascii("Reports live in this folder.\r\n")));
  d.back().versions = 3;
  ContentDoc folder = Folder(a1, "sites/archive", "Documents", kArchiveWeb, kArchiveDocuments, kNoParent);
  d.push_back(folder);
  d.push_back(Folder(a2, "sites/archive/Documents", "Projekte 2019", kArchiveWeb, kArchiveDocuments, a1));
  d.push_back(Folder(a3, "sites/archive/Documents/Projekte 2019", "Отчёты", kArchiveWeb, kArchiveDocuments, a2));
  d.push_back(Folder(a4, "sites/archive/Documents", "報告書", kArchiveWeb, kArchiveDocuments, a1));
  d.push_back(File("3c4d5e6f-0017-4c00-a000-00000000c017", "sites/archive/Documents/Projekte 2019/Отчёты",
                   "Сводка за год.txt", kArchiveWeb, kArchiveDocuments, a3, Ascii("Summary of the year.\r\n")));
  d.push_back(File("3c4d5e6f-0018-4c00-a000-00000000c018", "sites/archive/Documents/報告書", "年次報告.txt",
                   kArchiveWeb, kArchiveDocuments, a4, Ascii("Annual report (Japanese office).\r\n")));
  d.push_back(File("3c4d5e6f-0019-4c00-a000-00000000c019", "sites/archive/Documents//Projekte 2019",
                   "Doubled separator.txt", kArchiveWeb, kArchiveDocuments, a2, Ascii("Moved by a script.\r\n")));
  d.push_back(File("3c4d5e6f-001a-4c00-a000-00000000c01a", "sites/archive/Documents/Projekte 2019/",
                   "Trailing separator.txt", kArchiveWeb, kArchiveDocuments, a2, Ascii("Imported.\r\n")));
  d.push_back(File("3c4d5e6f-001b-4c00-a000-00000000c01b", "sites/archive/Documents/ Projekte 2019 ",
                   "Blank-surrounded part.txt", kArchiveWeb, kArchiveDocuments, a2, Ascii("Imported too.\r\n")));
  d.push_back(File("3c4d5e6f-001c-4c00-a000-00000000c01c", "sites/archive/Documents", "Empty archive.txt",
                   kArchiveWeb, kArchiveDocuments, a1, {}));
  for (ContentDoc& doc : d)
    if (doc.webId == kArchiveWeb) doc.siteId = kArchiveSiteId;
}

// The libraries generated documents go into: list id, web, root folder.
struct Library {
  const char* listId;
  const char* webId;
  const char* siteId;
  const char* root;  // DirName of the library's own folder + its LeafName
  const char* rootId;
};
constexpr Library kLibraries[] = {
    {kSharedDocuments, kRootWeb, kSiteId, "Shared Documents", "3c4d5e6f-0001-4c00-a000-00000000c001"},
    {kBudgets, kFinanceWeb, kSiteId, "finance/Budgets", "3c4d5e6f-0009-4c00-a000-00000000c009"},
    {kPolicies, kHrWeb, kSiteId, "hr/Policies", "3c4d5e6f-000c-4c00-a000-00000000c00c"},
    {kArchiveDocuments, kArchiveWeb, kArchiveSiteId, "sites/archive/Documents", "3c4d5e6f-0010-4c00-a000-00000000c010"},
};

constexpr int32_t kFilesPerFolder = 20;

// `documents` files in folders of two levels under the libraries, their
// folder rows before them. Every 97th file is empty, every 499th is larger
// than a page.
void AddGenerated(ContentModel& m, int32_t documents) {
  std::map<std::string, std::string> folderIds;  // DirName/LeafName -> id
  uint32_t next = 1;
  auto folderFor = [&](const Library& library, const std::string& dir, const std::string& leaf,
                       const std::string& parent) {
    const std::string path = dir + "/" + leaf;
    auto found = folderIds.find(path);
    if (found != folderIds.end()) return found->second;
    ContentDoc folder;
    folder.id = MadeId(1, next++);
    folder.siteId = library.siteId;
    folder.dirName = dir;
    folder.leafName = leaf;
    folder.webId = library.webId;
    folder.listId = library.listId;
    folder.parentId = parent;
    folder.type = 1;
    folder.stamp = static_cast<int32_t>(m.docs.size());
    m.docs.push_back(folder);
    folderIds[path] = folder.id;
    return folder.id;
  };
  for (int32_t i = 0; i < documents; ++i) {
    const int32_t group = i / kFilesPerFolder;
    const Library& library = kLibraries[group % 4];
    char area[32], project[48], leaf[48];
    std::snprintf(area, sizeof area, "Area %d", group / 4 % 9);
    std::snprintf(project, sizeof project, "Project %04d", group);
    std::snprintf(leaf, sizeof leaf, "Document %05d.txt", i);
    const std::string areaId = folderFor(library, library.root, area, library.rootId);
    const std::string areaDir = std::string(library.root) + "/" + area;
    const std::string projectId = folderFor(library, areaDir, project, areaId);
    ContentDoc doc;
    doc.id = MadeId(2, static_cast<uint32_t>(i));
    doc.siteId = library.siteId;
    doc.dirName = areaDir + "/" + project;
    doc.leafName = leaf;
    doc.webId = library.webId;
    doc.listId = library.listId;
    doc.parentId = projectId;
    doc.stamp = static_cast<int32_t>(m.docs.size());
    if (i % 97 != 96) {
      std::string text = "Document " + std::to_string(i) + " of " + doc.dirName + "\r\n";
      if (i % 499 == 498) text.resize(9000 + static_cast<size_t>(i % 1000), '.');
      doc.content = Ascii(text);
    }
    m.docs.push_back(doc);
  }
}

void NumberStamps(ContentModel& m) {
  for (size_t i = 0; i < m.docs.size(); ++i) m.docs[i].stamp = static_cast<int32_t>(i + 1);
}

// ---- The tables ----

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
  b.Add(50, ScalarTypeRow(52, "smallint", 52, 2));
  b.Add(50, ScalarTypeRow(56, "int", 56, 4));
  b.Add(50, ScalarTypeRow(61, "datetime", 61, 8));
  b.Add(50, ScalarTypeRow(104, "bit", 104, 1));
  b.Add(50, ScalarTypeRow(127, "bigint", 127, 8));
  b.Add(50, ScalarTypeRow(165, "varbinary", 165, 8000));
  b.Add(50, ScalarTypeRow(231, "nvarchar", 231, 8000));
  b.Add(50, ScalarTypeRow(256, "sysname", 231, 256));
}

// Object ids and page owners are handed out in order.
class TableIds {
 public:
  UserTableBlueprint Next(const char* name, const char* keyName) {
    UserTableBlueprint blueprint;
    blueprint.table.id = 245575913 + 16053057 * count_;
    blueprint.table.name = name;
    blueprint.table.type = "U ";
    blueprint.pageOwner = 0x2000 + 0x10 * count_;
    blueprint.primaryKeyObjectId = 1093578934 + 16000057 * count_;
    blueprint.primaryKeyName = keyName;
    blueprint.primaryKey = {1};
    ++count_;
    return blueprint;
  }
  int32_t NextViewId() { return 421576540 + 16000057 * views_++; }

 private:
  int32_t count_ = 0;
  int32_t views_ = 0;
};

void AddSites(CatalogFileBuilder& b, TableIds& ids, const ContentModel& m, ContentLayout layout) {
  const bool modern = layout == ContentLayout::SharePoint2013;
  UserTableBlueprint t = ids.Next(modern ? "AllSites" : "Sites", modern ? "AllSites_PK" : "Sites_PK");
  t.columns = {Column("Id", kGuid, 16), Column("FullUrl", kNVarChar, 512), Column("RootWebId", kGuid, 16),
               Column("TimeCreated", kDateTime, 8)};
  for (const ContentSite& site : m.sites)
    t.rows.push_back({Guid(site.id), Text(site.fullUrl), Guid(site.rootWebId), Time(2019, 3, 14, 9, 30, 0)});
  AddUserTable(b, t);
}

void AddWebs(CatalogFileBuilder& b, TableIds& ids, const ContentModel& m) {
  UserTableBlueprint t = ids.Next("AllWebs", "AllWebs_PK");
  t.columns = {Column("Id", kGuid, 16),          Column("SiteId", kGuid, 16),
               Column("ParentWebId", kGuid, 16, true), Column("FullUrl", kNVarChar, 512),
               Column("Title", kNVarChar, 510, true),  Column("TimeCreated", kDateTime, 8),
               Column("WebTemplate", kInt, 4),   Column("Language", kInt, 4)};
  int day = 0;
  for (const ContentWeb& web : m.webs) {
    t.rows.push_back({Guid(web.id), Guid(web.siteId), OptionalGuid(web.parentWebId), Text(web.fullUrl),
                      Text(web.title), Time(2019, 3, 14 + day, 9, 30, 0), Int(1), Int(1033)});
    ++day;
  }
  AddUserTable(b, t);
}

void AddLists(CatalogFileBuilder& b, TableIds& ids, const ContentModel& m) {
  UserTableBlueprint t = ids.Next("AllLists", "AllLists_PK");
  t.primaryKey = {1, 2};
  t.columns = {Column("tp_WebId", kGuid, 16),         Column("tp_ID", kGuid, 16),
               Column("tp_Title", kNVarChar, 510),    Column("tp_RootFolder", kGuid, 16),
               Column("tp_BaseType", kInt, 4),        Column("tp_ServerTemplate", kInt, 4),
               Column("tp_Created", kDateTime, 8),    Column("tp_ItemCount", kInt, 4),
               Column("tp_Description", kNVarChar, 1024, true)};
  for (const ContentList& list : m.lists) {
    int32_t items = 0;
    for (const ContentDoc& doc : m.docs) items += doc.listId == list.id && doc.id != list.rootFolderId;
    t.rows.push_back({Guid(list.webId), Guid(list.id), Text(list.title), Guid(list.rootFolderId), Int(1),
                      Int(list.serverTemplate), Time(2019, 3, 14, 9, 31, 0), Int(items), Cell::Null()});
  }
  AddUserTable(b, t);
}

// File flags of a customised file with a stream: 0x40 | 0x100.
constexpr int32_t kStreamDocFlags = 0x140;

void AddDocs(CatalogFileBuilder& b, TableIds& ids, const ContentModel& m) {
  UserTableBlueprint t = ids.Next("AllDocs", "AllDocs_PK");
  t.columns = {Column("Id", kGuid, 16),           Column("SiteId", kGuid, 16),
               Column("DirName", kNVarChar, 512), Column("LeafName", kNVarChar, 256),
               Column("WebId", kGuid, 16),        Column("ListId", kGuid, 16, true),
               Column("DoclibRowId", kInt, 4, true), Column("Type", kTinyInt, 1),
               Column("Size", kInt, 4, true),     Column("MetaInfoSize", kInt, 4, true),
               Column("UIVersion", kInt, 4),      Column("Dirty", kBit, 1, true),
               Column("ListDataDirty", kBit, 1),  Column("DocFlags", kInt, 4, true),
               Column("ThicketFlag", kBit, 1, true), Column("ProgId", kNVarChar, 510, true),
               Column("TimeCreated", kDateTime, 8), Column("TimeLastModified", kDateTime, 8),
               Column("NextToLastTimeModified", kDateTime, 8, true),
               Column("DeleteTransactionId", kVarBinary, 16), Column("SetupPathVersion", kTinyInt, 1),
               Column("SetupPath", kNVarChar, 510, true), Column("CheckoutUserId", kInt, 4, true),
               Column("Level", kTinyInt, 1),      Column("IsCurrentVersion", kBit, 1),
               Column("InternalVersion", kInt, 4, true), Column("ParentId", kGuid, 16)};
  std::map<std::string, int32_t> rowIds;  // per list
  for (const ContentDoc& doc : m.docs) {
    const bool file = doc.IsFile();
    const int32_t rowId = doc.listId.empty() ? 0 : ++rowIds[doc.listId];
    t.rows.push_back({Guid(doc.id), Guid(doc.siteId), Text(doc.dirName), Text(doc.leafName), Guid(doc.webId),
                      OptionalGuid(doc.listId), doc.listId.empty() ? Cell::Null() : Int(rowId), Tiny(doc.type),
                      file ? Int(static_cast<int32_t>(doc.content.size())) : Cell::Null(), Int(0),
                      Int(512 * doc.versions), Bit(false), Bit(false), Int(file ? kStreamDocFlags : 0),
                      Bit(false), Cell::Null(), Stamp(doc.stamp), Stamp(doc.stamp, 30 * 24 * 60 + 1),
                      Cell::Null(), Binary({}), Tiny(4), Cell::Null(), Cell::Null(), Tiny(1), Bit(true),
                      Int(doc.versions * 256), Guid(doc.parentId)});
  }
  AddUserTable(b, t);
}

// A file kept whole: one stream row per version of a file (by Id and
// InternalVersion), image content.
void AddDocStreams2010(CatalogFileBuilder& b, TableIds& ids, const ContentModel& m) {
  UserTableBlueprint t = ids.Next("AllDocStreams", "AllDocStreams_PK");
  t.columns = {Column("Id", kGuid, 16), Column("SiteId", kGuid, 16), Column("InternalVersion", kInt, 4),
               Column("Size", kInt, 4), Column("Content", kImage, 16, true), Column("RbsId", kVarBinary, 64, true)};
  for (const ContentDoc& doc : m.docs) {
    if (!doc.IsFile()) continue;
    for (int32_t v = 1; v <= doc.versions; ++v) {
      const Bytes content = EarlierVersionContent(doc, v);
      t.rows.push_back({Guid(doc.id), Guid(doc.siteId), Int(v * 256), Int(static_cast<int32_t>(content.size())),
                        Cell::Image(content), Cell::Null()});
    }
  }
  AddUserTable(b, t);
}

// Pieces of at most kStreamPieceSize bytes; BSN is the piece's offset in
// the current version. An earlier version shares the current version's
// pieces that lie wholly inside it and has its own piece for the rest,
// under BSN kVersionPieceBase * version + offset. DocsToStreams lists the
// pieces of every version (HistVersion = UIVersion) of the files that
// have earlier versions; files without any are not listed there.
constexpr int64_t kVersionPieceBase = int64_t{1} << 40;

struct StreamPiece {
  int64_t bsn = 0;
  Bytes bytes;
};

std::vector<StreamPiece> CurrentPieces(const Bytes& content) {
  std::vector<StreamPiece> pieces;
  size_t at = 0;
  do {
    const size_t n = std::min(kStreamPieceSize, content.size() - at);
    pieces.push_back({static_cast<int64_t>(at), Bytes(content.begin() + static_cast<long>(at),
                                                      content.begin() + static_cast<long>(at + n))});
    at += n;
  } while (at < content.size());
  return pieces;
}

// The BSNs of earlier version `v`, and the piece of its own (if any).
std::vector<int64_t> VersionPieces(const ContentDoc& doc, int32_t v, std::optional<StreamPiece>& own) {
  const Bytes content = EarlierVersionContent(doc, v);
  std::vector<int64_t> bsns;
  size_t at = 0;
  while (at + kStreamPieceSize <= content.size()) {
    bsns.push_back(static_cast<int64_t>(at));
    at += kStreamPieceSize;
  }
  if (at < content.size() || content.empty()) {
    own = StreamPiece{kVersionPieceBase * v + static_cast<int64_t>(at),
                      Bytes(content.begin() + static_cast<long>(at), content.end())};
    bsns.push_back(own->bsn);
  }
  return bsns;
}

Cell PieceContent(const Bytes& piece) { return piece.size() > 8000 ? Cell::Large(piece) : Cell::Value(piece); }

void AddDocStreams2013(CatalogFileBuilder& b, TableIds& ids, const ContentModel& m) {
  UserTableBlueprint t = ids.Next("DocStreams", "DocStreams_CI");
  t.primaryKey = {1, 2, 3, 4};
  t.columns = {Column("DocId", kGuid, 16),        Column("SiteId", kGuid, 16), Column("Partition", kTinyInt, 1),
               Column("BSN", kBigInt, 8),         Column("Size", kInt, 4),    Column("Content", kVarBinary, -1, true),
               Column("RbsId", kVarBinary, 64, true), Column("Type", kTinyInt, 1)};
  UserTableBlueprint map = ids.Next("DocsToStreams", "DocsToStreams_PK");
  map.columns = {Column("SiteId", kGuid, 16), Column("DocId", kGuid, 16),    Column("HistVersion", kInt, 4),
                 Column("Level", kTinyInt, 1), Column("Partition", kTinyInt, 1), Column("BSN", kBigInt, 8),
                 Column("StreamId", kBigInt, 8)};
  int64_t streamId = 0;
  auto addPiece = [&](const ContentDoc& doc, const StreamPiece& piece) {
    t.rows.push_back({Guid(doc.id), Guid(doc.siteId), Tiny(0), Big(piece.bsn),
                      Int(static_cast<int32_t>(piece.bytes.size())), PieceContent(piece.bytes), Cell::Null(), Tiny(0)});
  };
  auto addMap = [&](const ContentDoc& doc, int32_t version, int64_t bsn) {
    map.rows.push_back({Guid(doc.siteId), Guid(doc.id), Int(512 * version), Tiny(1), Tiny(0), Big(bsn),
                        Big(++streamId)});
  };
  for (const ContentDoc& doc : m.docs) {
    if (!doc.IsFile()) continue;
    for (const StreamPiece& piece : CurrentPieces(doc.content)) {
      addPiece(doc, piece);
      if (doc.versions > 1) addMap(doc, doc.versions, piece.bsn);
    }
    for (int32_t v = 1; v < doc.versions; ++v) {
      std::optional<StreamPiece> own;
      for (int64_t bsn : VersionPieces(doc, v, own)) addMap(doc, v, bsn);
      if (own) addPiece(doc, *own);
    }
  }
  AddUserTable(b, t);
  AddUserTable(b, map);
}

void AddDocVersions(CatalogFileBuilder& b, TableIds& ids, const ContentModel& m) {
  UserTableBlueprint t = ids.Next("AllDocVersions", "AllDocVersions_PK");
  t.primaryKey = {1, 2, 3};
  t.columns = {Column("SiteId", kGuid, 16),     Column("Id", kGuid, 16),        Column("UIVersion", kInt, 4),
               Column("InternalVersion", kInt, 4, true), Column("TimeCreated", kDateTime, 8, true),
               Column("DocFlags", kInt, 4),     Column("Size", kInt, 4, true), Column("Level", kTinyInt, 1),
               Column("DeleteTransactionId", kVarBinary, 16)};
  for (const ContentDoc& doc : m.docs)
    for (int32_t v = 1; v < doc.versions; ++v)
      t.rows.push_back({Guid(doc.siteId), Guid(doc.id), Int(512 * v), Int(256 * v), Stamp(doc.stamp, v),
                        Int(kStreamDocFlags), Int(static_cast<int32_t>(EarlierVersionContent(doc, v).size())), Tiny(1),
                        Binary({})});
  AddUserTable(b, t);
}

void AddUserInfo(CatalogFileBuilder& b, TableIds& ids) {
  UserTableBlueprint t = ids.Next("UserInfo", "UserInfo_PK");
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

struct ViewColumn {
  const char* name;
  uint8_t type;
  int16_t length;
};

void AddView(CatalogFileBuilder& b, int32_t id, const char* name, const std::vector<ViewColumn>& columns,
             const std::string& definition) {
  ObjectBlueprint view;
  view.id = id;
  view.name = name;
  view.type = "V ";
  b.Add(34, SysschobjsRow(view));
  for (size_t i = 0; i < columns.size(); ++i) {
    ColumnBlueprint column;
    column.objectId = id;
    column.columnId = static_cast<int32_t>(i + 1);
    column.name = columns[i].name;
    column.systemTypeId = columns[i].type;
    column.maxLength = columns[i].length;
    b.Add(41, SyscolparsRow(column));
  }
  b.Add(60, ModuleDefinitionRow(id, definition, false));
}

void AddViewsAndProcedure(CatalogFileBuilder& b, TableIds& ids, ContentLayout layout) {
  AddView(b, ids.NextViewId(), "Docs", {{"Id", kGuid, 16}, {"DirName", kNVarChar, 512}, {"LeafName", kNVarChar, 256},
                                         {"Size", kInt, 4}},
          "CREATE VIEW dbo.Docs\r\nAS\r\nSELECT Id, DirName, LeafName, Size\r\n"
          "FROM dbo.AllDocs\r\nWHERE Type = 0\r\n");
  const int32_t procedureId = ids.NextViewId();
  if (layout == ContentLayout::SharePoint2013)
    AddView(b, ids.NextViewId(), "Webs", {{"Id", kGuid, 16}, {"SiteId", kGuid, 16}, {"Title", kNVarChar, 510}},
            "CREATE VIEW dbo.Webs\r\nAS\r\nSELECT Id, SiteId, Title\r\nFROM dbo.AllWebs\r\n");
  ObjectBlueprint procedure;
  procedure.id = procedureId;
  procedure.name = "proc_GetDocsInFolder";
  procedure.type = "P ";
  b.Add(34, SysschobjsRow(procedure));
  b.Add(60, ModuleDefinitionRow(procedureId,
                                "CREATE PROCEDURE dbo.proc_GetDocsInFolder\r\n    @DirName nvarchar(256)\r\nAS\r\n"
                                "SELECT LeafName, Size FROM dbo.AllDocs\r\n"
                                "WHERE DirName = @DirName AND Type = 0\r\nORDER BY LeafName\r\n",
                                true));
}

}  // namespace

Bytes EarlierVersionContent(const ContentDoc& doc, int32_t version) {
  if (version >= doc.versions) return doc.content;
  const size_t shorter = static_cast<size_t>(std::max(doc.versions - version, 0));
  const size_t size = doc.content.size() > shorter ? doc.content.size() - shorter : 0;
  return Bytes(doc.content.begin(), doc.content.begin() + static_cast<long>(size));
}

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

ContentModel SampleContent() {
  ContentModel m;
  AddPortal(m);
  AddHardCases(m);
  NumberStamps(m);
  return m;
}

ContentModel GeneratedContent(int32_t documents) {
  ContentModel m;
  AddPortal(m);
  AddHardCases(m);
  AddGenerated(m, std::max(documents, 0));
  NumberStamps(m);
  return m;
}

CatalogFileBuilder BuildContentDatabase(const ContentModel& model, ContentLayout layout) {
  CatalogFileBuilder b(904);
  b.boot.databaseName = u"WSS_Content_Sample";
  b.boot.collationId = kLatin1GeneralCiAsKsWs;
  AddSystemObjects(b);
  TableIds ids;
  AddSites(b, ids, model, layout);
  AddWebs(b, ids, model);
  AddLists(b, ids, model);
  AddDocs(b, ids, model);
  if (layout == ContentLayout::SharePoint2013) AddDocStreams2013(b, ids, model);
  else AddDocStreams2010(b, ids, model);
  AddDocVersions(b, ids, model);
  AddUserInfo(b, ids);
  AddViewsAndProcedure(b, ids, layout);
  return b;
}

}  // namespace brinehold::writer
