// Reading the document-level values of the first source row.

#include "writer/SourceRow.h"

#include <gtest/gtest.h>

#include "InvoiceFixture.h"
#include "fakes/FakeInteraction.h"

namespace belvora::test {
namespace {

struct ReadResult {
  bool ok;
  model::SourceValues values;
  std::string parameter;
};

ReadResult Read(const Invoice& inv, std::string parameter = {}, model::SourceValues values = {}) {
  VectorCursor c = inv.cursor();
  EXPECT_TRUE(c.next());
  bool ok = writer::ReadSourceRow(c, values, parameter);
  return {ok, values, parameter};
}

Invoice OneLine() {
  Invoice inv;
  inv.lines = {Line(1, 100, 100, 19, "A")};
  return inv;
}

TEST(ReadSourceRow, CompleteRowIsReadTrimmedAndCleanedAsTheCatalogueSays) {
  ScopedFakeInteraction ui;
  Invoice inv = OneLine();
  inv.header["BT22"] = "  Danke & Gru\xC3\x9F  ";  // cleaned when read
  inv.header["BT48"] = "DE&1";                     // held as delivered
  inv.header["BT20"] = "Netto <30> Tage";          // cleaned later, by the writer
  inv.header["BT102"] = db::Value();
  inv.header["BT118"] = "  ";
  inv.header["BT109"] = db::Value();
  inv.header["BT113"] = "12,5";
  inv.header["BT114"] = 1;
  inv.header["BT9"] = "04.04.2024";
  inv.header["BT72"] = D(2024, 2, 28);
  inv.header["BT81"] = 58;
  ReadResult r = Read(inv);
  EXPECT_TRUE(r.ok);
  EXPECT_TRUE(ui->calls.empty());
  EXPECT_EQ(r.parameter, "252068");  // an empty selector becomes BT1
  EXPECT_EQ(r.values.BT1, "252068");
  EXPECT_EQ(r.values.BT2, D(2024, 3, 5));
  EXPECT_EQ(r.values.BT9, D(2024, 4, 4));
  EXPECT_EQ(r.values.BT10, "04011000-12345-34");
  EXPECT_EQ(r.values.BT22, "Danke &amp; Gruss");
  EXPECT_EQ(r.values.BT48, "DE&1");
  EXPECT_EQ(r.values.BT20, "Netto <30> Tage");
  EXPECT_EQ(r.values.BT35, "Hauptstrasse 1");
  EXPECT_EQ(r.values.BT52, "Muenchen");
  EXPECT_EQ(r.values.BT72, "2024-02-28");
  EXPECT_EQ(r.values.BT81, "58");
  EXPECT_EQ(r.values.BT102, "S");
  EXPECT_EQ(r.values.BT118, "S");
  EXPECT_EQ(r.values.BT109, 0);
  EXPECT_EQ(r.values.BT110, 47.6);
  EXPECT_EQ(r.values.BT113, 12.5);
  EXPECT_EQ(r.values.BT114, 1);
  EXPECT_EQ(r.values.BT11, "");
}

TEST(ReadSourceRow, GivenSelectorStays) {
  ScopedFakeInteraction ui;
  EXPECT_EQ(Read(OneLine(), "R-1").parameter, "R-1");
}

TEST(ReadSourceRow, NullBuyerReferenceIsReportedOnceAndTheRestIsRead) {
  ScopedFakeInteraction ui;
  Invoice inv = OneLine();
  inv.header["BT10"] = db::Value();
  ReadResult r = Read(inv);
  EXPECT_FALSE(r.ok);
  ASSERT_EQ(ui->calls.size(), 1u);
  EXPECT_EQ(ui->calls[0].title, "Note");
  EXPECT_EQ(ui->calls[0].icon, ui::Icon::Exclamation);
  EXPECT_EQ(ui->calls[0].text,
            "Connection failed\nCompiler: Invalid use of Null: column 'BT10' is NULL");
  EXPECT_EQ(r.values.BT10, "");
  EXPECT_EQ(r.values.BT118, "S");  // read after the failure
}

TEST(ReadSourceRow, FailedColumnsKeepTheirValueAndTheLastFailureIsNamed) {
  ScopedFakeInteraction ui;
  Invoice inv = OneLine();
  inv.dropped = {"BT24"};
  inv.header["BT2"] = "kein Datum";
  inv.header["BT112"] = "viel";
  model::SourceValues before;
  before.BT24 = "previous";
  before.BT2 = D(2020, 1, 1);
  before.BT112 = 9;
  ReadResult r = Read(inv, "X", before);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.values.BT24, "previous");
  EXPECT_EQ(r.values.BT2, D(2020, 1, 1));
  EXPECT_EQ(r.values.BT112, 9);
  ASSERT_EQ(ui->calls.size(), 1u);
  EXPECT_EQ(ui->calls[0].text,
            "Connection failed\nCompiler: Type mismatch: column 'BT112' holds no number ('viel')");
}

TEST(ReadSourceRow, EmptyDateIsAFailure) {
  ScopedFakeInteraction ui;
  Invoice inv = OneLine();
  inv.header["BT9"] = "";
  ReadResult r = Read(inv);
  EXPECT_FALSE(r.ok);
  ASSERT_EQ(ui->calls.size(), 1u);
  EXPECT_EQ(ui->calls[0].text,
            "Connection failed\nCompiler: Type mismatch: column 'BT9' holds no date ('')");
}

}  // namespace
}  // namespace belvora::test
