#include "catalog/value_kind.h"

#include <gtest/gtest.h>

namespace brinehold {
namespace {

TEST(ValueKindTest, NumberingIsFixed) {
  EXPECT_EQ(static_cast<int>(ValueKind::BigInt), 0);
  EXPECT_EQ(static_cast<int>(ValueKind::NVarChar), 11);
  EXPECT_EQ(static_cast<int>(ValueKind::SmallInt), 13);
  EXPECT_EQ(static_cast<int>(ValueKind::VarChar), 17);
  EXPECT_EQ(static_cast<int>(ValueKind::NText), 19);
  EXPECT_EQ(static_cast<int>(ValueKind::Image), 25);
  EXPECT_EQ(static_cast<int>(ValueKind::Timestamp), 30);
  EXPECT_EQ(static_cast<int>(ValueKind::Xml), 34);
}

TEST(ValueKindTest, MapSystemTypeFollowsTheTypeIds) {
  struct Case {
    uint32_t id;
    ValueKind kind;
  } cases[] = {
      {127, ValueKind::BigInt},   {173, ValueKind::Binary},     {104, ValueKind::Bit},
      {175, ValueKind::Char},     {61, ValueKind::DateTime},    {40, ValueKind::Date},
      {41, ValueKind::Time},      {42, ValueKind::DateTime2},   {43, ValueKind::DateTimeOffset},
      {56, ValueKind::Int},       {239, ValueKind::NChar},      {231, ValueKind::NVarChar},
      {232, ValueKind::PendingNVarChar},                        {52, ValueKind::SmallInt},
      {48, ValueKind::TinyInt},   {36, ValueKind::UniqueIdentifier},
      {165, ValueKind::VarBinary}, {167, ValueKind::VarChar},   {99, ValueKind::NText},
      {98, ValueKind::SqlVariant}, {60, ValueKind::Money},      {62, ValueKind::Float},
      {108, ValueKind::Numeric},  {106, ValueKind::Decimal},    {34, ValueKind::Text},
      {35, ValueKind::Text},      {58, ValueKind::SmallDateTime}, {59, ValueKind::Real},
      {122, ValueKind::SmallMoney}, {189, ValueKind::Timestamp}, {240, ValueKind::ClrType},
      {241, ValueKind::Xml},      {0, ValueKind::Char},         {4000, ValueKind::Char},
  };
  for (const auto& c : cases) EXPECT_EQ(MapSystemType(c.id), c.kind) << c.id;
}

TEST(ValueKindTest, DeclaredLengthOfTypeText) {
  EXPECT_EQ(DeclaredLengthOf("int(4)"), 4);
  EXPECT_EQ(DeclaredLengthOf("sql_variant(8016)"), 8016);
  EXPECT_EQ(DeclaredLengthOf("varbinary(-1)"), -1);
  EXPECT_EQ(DeclaredLengthOf("int"), 0);
  EXPECT_EQ(DeclaredLengthOf("(12)x(5)"), 12);
  EXPECT_EQ(DeclaredLengthOf("char(abc)"), 0);
  EXPECT_EQ(DeclaredLengthOf("char(12"), 0);
  EXPECT_EQ(DeclaredLengthOf("char()"), 0);
  EXPECT_EQ(DeclaredLengthOf("char(99999)"), 0);  // no 16-bit number
}

TEST(ValueKindTest, BuildColumnInfoDefaultsAndFlags) {
  ColumnInfo intColumn = BuildColumnInfo("id", "int(4)", ValueKind::Int);
  EXPECT_EQ(intColumn.name, "id");
  EXPECT_EQ(intColumn.typeText, "int(4)");
  EXPECT_EQ(intColumn.declaredLength, 0);
  EXPECT_EQ(intColumn.variableLength, 0);
  EXPECT_EQ(intColumn.nullBit, -1);
  EXPECT_EQ(intColumn.columnId, 0);
  EXPECT_EQ(intColumn.hobtColumnId, 0);
  EXPECT_EQ(intColumn.stored, 0);
  EXPECT_TRUE(intColumn.valueText.empty());

  ColumnInfo name = BuildColumnInfo("n", "nvarchar(100)", ValueKind::NVarChar);
  EXPECT_EQ(name.declaredLength, 100);
  EXPECT_EQ(name.variableLength, 1);

  for (auto [type, kind] : {std::pair{"ntext(16)", ValueKind::NText}, {"sql_variant(8016)", ValueKind::SqlVariant},
                            {"uniqueidentifier(16)", ValueKind::UniqueIdentifier}, {"image(16)", ValueKind::Image},
                            {"varchar(50)", ValueKind::VarChar}, {"varbinary(-1)", ValueKind::VarBinary}}) {
    ColumnInfo c = BuildColumnInfo("c", type, kind);
    EXPECT_EQ(c.declaredLength, 0) << type;
    EXPECT_EQ(c.variableLength, 1) << type;
    EXPECT_EQ(c.kind, static_cast<int32_t>(kind)) << type;
  }
  for (auto [type, kind] : {std::pair{"char(10)", ValueKind::Char}, {"binary(8)", ValueKind::Binary},
                            {"nchar(20)", ValueKind::NChar}, {"decimal(9)", ValueKind::Decimal},
                            {"numeric(13)", ValueKind::Numeric}}) {
    ColumnInfo c = BuildColumnInfo("c", type, kind);
    EXPECT_EQ(c.declaredLength, DeclaredLengthOf(type)) << type;
    EXPECT_EQ(c.variableLength, 0) << type;
  }
  ColumnInfo text = BuildColumnInfo("t", "text(16)", ValueKind::Text);
  EXPECT_EQ(text.declaredLength, 16);
  EXPECT_EQ(text.variableLength, 1);
  ColumnInfo money = BuildColumnInfo("m", "money(8)", ValueKind::Money);
  EXPECT_EQ(money.declaredLength, 0);
}

TEST(ValueKindTest, BuildColumnInfoRewritesKinds) {
  ColumnInfo pending = BuildColumnInfo("p", "nvarchar(256)", ValueKind::PendingNVarChar);
  EXPECT_EQ(pending.kind, static_cast<int32_t>(ValueKind::NVarChar));
  EXPECT_EQ(pending.declaredLength, 256);
  EXPECT_EQ(pending.variableLength, 1);

  ColumnInfo unknown = BuildColumnInfo("u", "whatever(12)", 40);
  EXPECT_EQ(unknown.kind, static_cast<int32_t>(ValueKind::VarChar));
  EXPECT_EQ(unknown.variableLength, 1);
  EXPECT_EQ(unknown.declaredLength, 0);
  EXPECT_EQ(BuildColumnInfo("u", "x(1)", -3).kind, static_cast<int32_t>(ValueKind::VarChar));

  for (ValueKind kind : {ValueKind::HierarchyId, ValueKind::Geometry}) {
    ColumnInfo c = BuildColumnInfo("h", "hierarchyid(892)", kind);
    EXPECT_EQ(c.kind, static_cast<int32_t>(ValueKind::VarChar));
    EXPECT_EQ(c.variableLength, 1);
    EXPECT_EQ(c.declaredLength, 0);
  }
  // The schema reader's order: a CLR column keeps ClrType's length and flag.
  ColumnInfo clr = BuildColumnInfo("g", "geometry(-1)", ValueKind::ClrType);
  EXPECT_EQ(clr.declaredLength, -1);
  EXPECT_EQ(clr.variableLength, 1);
}

TEST(ValueKindTest, NoParenthesesGiveZeroForEveryKind) {
  for (int32_t kind = 0; kind <= kLastValueKind; ++kind) {
    EXPECT_EQ(BuildColumnInfo("c", "int", kind).declaredLength, 0) << kind;
  }
}

}  // namespace
}  // namespace brinehold
