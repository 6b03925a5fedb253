#include <gtest/gtest.h>

#include <set>

#include "reader/ViewModel.h"
#include "support/TempDir.h"

using namespace belvora::reader;

TEST(ReaderViewModel, EveryFieldOnceUnderItsStableNameWithCaptionsOfTheLanguage) {
  ViewModel view;
  std::set<std::string_view> names;
  for (const auto& f : fieldCatalogue()) {
    EXPECT_TRUE(names.insert(f.name).second) << f.name;
    EXPECT_EQ(view.field(f.name), view.field(f.array, f.index)) << f.name;
    EXPECT_NE(view.field(f.name), nullptr) << f.name;
  }
  EXPECT_EQ(names.size(), 12u + 10u + 10u + 15u);
  EXPECT_EQ(view.field("SellerRecipiedEMail"), &view.txtSeller[RecipiedEMail]);
  EXPECT_EQ(view.field("BuyerContactPhone"), &view.txtBuyer[ContactPhone]);
  EXPECT_EQ(view.field("PayeeBIC"), &view.txtSonstige[PayeeBIC]);
  EXPECT_EQ(view.field("NoSuchField"), nullptr);
  EXPECT_EQ(view.field(FieldArray::Seller, 10), nullptr);
  const auto& due = fieldCatalogue()[PaymentDue + 32];
  EXPECT_EQ(due.name, "PaymentDue");
  EXPECT_EQ(caption("DE", due.captionGB, due.captionDE), "Fälliger Zahlungsbetrag");
  EXPECT_EQ(caption("FR", due.captionGB, due.captionDE), "Payment due");
  EXPECT_EQ(allowanceGridColumns()[1].captionGB, "Reason");
  EXPECT_EQ(allowanceGridColumns()[1].captionDE, "Kode");
}

TEST(ReaderViewModel, ShowXmlReplacesTheTextWithCrLfLines) {
  belvora::test::TempDir dir;
  belvora::test::writeAll(dir / "a.xml", "<a>\n<b/>\r\n</a>");
  ViewModel view;
  view.showXml(dir / "a.xml");
  view.showXml(dir / "a.xml");
  EXPECT_EQ(view.txtXML, "<a>\r\n<b/>\r\n</a>\r\n");
  view.showXml(dir / "gone.xml");  // nothing changes
  EXPECT_EQ(view.txtXML, "<a>\r\n<b/>\r\n</a>\r\n");
}
