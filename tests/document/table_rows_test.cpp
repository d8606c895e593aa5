// Tables as rows: every node of a table name gives its rows, numbered in
// document order, each with the row that holds it; columns follow the
// fields as they first appear.
#include "kuv/table_rows.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kuv {
namespace {

// A(a=0 B(b=0)(b=1))(a=1 B(b=2 b=3))
Document Nested() {
  return Document::Parse(
      "<?xml version='1.0'?>\n<KUV Version='2.0'>\n<BusinessObject ID='X' Author='' Version='' "
      "WellID='' Date=''>\n<A>\n<a>0</a>\n<B>\n<b>0</b>\n<b>1</b>\n</B>\n<a>1</a>\n<B>\n<b>2</b>\n"
      "<c>x</c>\n<b>3</b>\n</B>\n</A>\n</BusinessObject>\n</KUV>\n");
}

std::string Describe(TableRowWalk& walk) {
  std::string text;
  while (const std::optional<TableRow> row = walk.Next()) {
    text += std::string(row->table) + std::to_string(row->id);
    if (row->parentId >= 0)
      text += "<" + std::string(row->parentTable) + std::to_string(row->parentId);
    text += ' ';
  }
  return text;
}

TEST(TableRows, RowsOfEveryNodeAreNumberedInDocumentOrder) {
  const Document document = Nested();
  TableRowWalk all(document.objects()[0]);
  EXPECT_EQ(Describe(all), "A0 B0<A0 B1<A0 A1 B2<A1 B3<A1 ");
  TableRowWalk b(document.objects()[0], "B");
  EXPECT_EQ(Describe(b), "B0<A0 B1<A0 B2<A1 B3<A1 ");
  EXPECT_TRUE(b.met());
  TableRowWalk none(document.objects()[0], "C");
  EXPECT_EQ(Describe(none), "");
  EXPECT_FALSE(none.met());
}

TEST(TableRows, ColumnsFollowTheFieldsAsTheyFirstAppear) {
  Document document;
  BusinessObject object = document.CreateObject("X", "", "", "");
  Table table = object.AddTable("T");
  Row first = table.AddRow();
  first.AddValue("a", "1");
  first.AddValue("b", "2");
  Row second = table.AddRow();
  second.AddValue("a", "3");
  second.AddValue("c", "4");
  second.AddValue("c", "5");
  TableColumns columns;
  EXPECT_EQ(columns.ColumnsOf(first), (std::vector<std::size_t>{0, 1}));
  EXPECT_EQ(columns.ColumnsOf(second), (std::vector<std::size_t>{0, 2, 3}));
  EXPECT_EQ(columns.ColumnsOf(first), (std::vector<std::size_t>{0, 1}));
  ASSERT_EQ(columns.columns().size(), 4u);
  EXPECT_EQ(columns.columns()[3].field, "c");
  EXPECT_EQ(columns.columns()[3].occurrence, 1);
  EXPECT_EQ(columns.Find("c", 1), 3u);
  EXPECT_EQ(columns.Find("d", 0), 4u);
}

}  // namespace
}  // namespace kuv
