#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "reader/ViewModel.h"

using namespace belvora::reader;

TEST(ReaderViewModel, CatalogueHasEveryFieldOnceWithItsStableName) {
  const auto fields = fieldCatalogue();
  ASSERT_EQ(fields.size(), 12u + 10u + 10u + 15u);
  std::set<std::string_view> names;
  for (const auto& f : fields) EXPECT_TRUE(names.insert(f.name).second) << f.name;
  ViewModel view;
  *view.field("SellerRecipiedEMail") = "rechnung@muster.de";
  EXPECT_EQ(view.txtSeller[RecipiedEMail], "rechnung@muster.de");
  *view.field("BuyerContactPhone") = "0421 1";
  EXPECT_EQ(view.txtBuyer[ContactPhone], "0421 1");
  *view.field("PayeeBIC") = "COBADEFFXXX";
  EXPECT_EQ(view.txtSonstige[PayeeBIC], "COBADEFFXXX");
  EXPECT_EQ(view.field("NoSuchField"), nullptr);
  EXPECT_EQ(view.field(FieldArray::Seller, 10), nullptr);
  EXPECT_EQ(view.field(FieldArray::Sonstige, 14), &view.txtSonstige[14]);
}

TEST(ReaderViewModel, CaptionsFollowTheLanguage) {
  const auto* name = &fieldCatalogue()[PaymentDue + 32];
  EXPECT_EQ(name->name, "PaymentDue");
  EXPECT_EQ(caption("DE", name->captionGB, name->captionDE), "Fälliger Zahlungsbetrag");
  EXPECT_EQ(caption("FR", name->captionGB, name->captionDE), "Payment due");
  EXPECT_EQ(lineGridColumns().size(), 8u);
  EXPECT_EQ(taxGridColumns()[0].captionDE, "");
  EXPECT_EQ(allowanceGridColumns()[0].captionGB, "Code");
  EXPECT_EQ(allowanceGridColumns()[1].captionGB, "Reason");
  EXPECT_EQ(allowanceGridColumns()[1].captionDE, "Kode");
}

TEST(ReaderViewModel, ClearKeepsPayeeIbanAndBicAndSetsTheDefaults) {
  ViewModel view;
  // assign(1, 'x') rather than = "x": GCC 12 at -O3 warns falsely
  // (-Wrestrict) on the inlined copy.
  for (auto& f : view.txtSonstige) f.assign(1, 'x');
  for (auto& f : view.txtSeller) f.assign(1, 'x');
  view.txtRechnungdaten.fill("x");
  view.lvTable.addRow("1");
  view.lvUst.addRow("");
  view.lvAbzuege.addRow("Rabatt");
  view.clear();
  EXPECT_EQ(view.txtSonstige[PayeeIBAN], "x");
  EXPECT_EQ(view.txtSonstige[PayeeBIC], "x");
  EXPECT_EQ(view.txtSonstige[PayeeAccountName], "");
  EXPECT_EQ(view.txtSeller[ContactPhone], "");
  EXPECT_EQ(view.txtRechnungdaten[InvoiceType], "380");
  EXPECT_EQ(view.txtRechnungdaten[TaxAmount], "0,00");
  EXPECT_EQ(view.txtRechnungdaten[TotalAmount], "0,00");
  EXPECT_EQ(view.txtRechnungdaten[TotalCurrencyCode], "");
  EXPECT_TRUE(view.lvTable.rows.empty());
  EXPECT_TRUE(view.lvUst.rows.empty());
  EXPECT_TRUE(view.lvAbzuege.rows.empty());
}

TEST(ReaderViewModel, GridRowsHaveOneCellPerColumn) {
  ViewModel view;
  GridRow& row = view.lvTable.addRow("7");
  EXPECT_EQ(row.cells.size(), 8u);
  EXPECT_EQ(row.cells[0], "7");
  EXPECT_EQ(view.lvAbzuege.addRow("Skonto").cells.size(), 5u);
  EXPECT_EQ(view.lvUst.addRow("").cells.size(), 4u);
}

TEST(ReaderViewModel, ShowXmlReplacesTheTextWithCrLfLines) {
  const auto path = std::filesystem::temp_directory_path() / "belvora-showxml.xml";
  std::ofstream(path) << "<a>\n<b/>\r\n</a>";
  ViewModel view;
  view.showXml(path.string());
  view.showXml(path.string());
  EXPECT_EQ(view.txtXML, "<a>\r\n<b/>\r\n</a>\r\n");
  std::filesystem::remove(path);
  view.showXml(path.string());  // gone: nothing changes
  EXPECT_EQ(view.txtXML, "<a>\r\n<b/>\r\n</a>\r\n");
}
