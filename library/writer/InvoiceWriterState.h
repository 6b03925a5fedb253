#pragma once

// Private state of InvoiceWriter and the element helpers its section files
// share. Every text value is escaped here, once; an element whose value is
// empty is not written at all.

#include <optional>
#include <string>
#include <string_view>

#include "model/Invoice.h"
#include "writer/InvoiceWriter.h"

namespace belvora::writer {

struct InvoiceWriter::State {
  explicit State(const model::Invoice& i) : invoice(i) {}

  const model::Invoice& invoice;
  std::string text;

  // Tabs, the literal markup, CR LF.
  void line(int tabs, std::string_view markup);
  // Tabs, <name attributes>escaped value</name>, CR LF; nothing when the
  // escaped value is empty. `attributes` is ready markup (see Attribute).
  void element(int tabs, std::string_view name, std::string_view value,
               std::string_view attributes = {});
  void amount(int tabs, std::string_view name, const std::optional<model::Decimal>& value,
              std::string_view attributes = {});
  // A date element: <name> / <prefix:DateTimeString format="102"> / </name>.
  void date(int tabs, std::string_view name, const std::optional<model::Date>& value,
            std::string_view inner = "udt:DateTimeString");
  // <name><ram:IssuerAssignedID>id</ram:IssuerAssignedID></name>, when id is given.
  void reference(int tabs, std::string_view name, const std::string& id);

  // A group element: open() writes <tag>, close() writes </tag>, or takes
  // the opening back when nothing was written inside (no empty groups).
  struct Group {
    std::size_t start, content;
  };
  Group open(int tabs, std::string_view tag);
  // Returns whether the group was kept.
  bool close(int tabs, std::string_view tag, Group g);
};

// True when nothing of the value would reach the document.
bool Blank(std::string_view value);

// The text as element content or attribute value: control characters that
// XML 1.0 forbids removed, the five specials escaped, every letter kept.
void AppendEscaped(std::string& out, std::string_view value);

// ` name="value"` (escaped), or nothing when the value is empty.
std::string Attribute(std::string_view name, std::string_view value);

// Parts that several sections write.
// Identifiers without a scheme as ram:ID, with one as ram:GlobalID.
void WriteIdentifiers(InvoiceWriter::State& s, int tabs, const model::Identifier* first,
                      size_t count);
void WriteLegalOrganization(InvoiceWriter::State& s, int tabs, const model::Identifier& id,
                            const std::string& tradingName);
void WriteAddress(InvoiceWriter::State& s, int tabs, const model::Address& a);
void WriteTaxRegistration(InvoiceWriter::State& s, int tabs, const std::string& id,
                          const char* scheme);

// Number texts. Amounts have two decimals; prices and quantities keep the
// decimals they hold; rates have at least two.
inline std::string AmountText(const model::Decimal& d) { return d.text(2); }
inline std::string PlainText(const model::Decimal& d) { return d.text(0); }
inline std::string RateText(const model::Decimal& d) { return d.text(2); }

}  // namespace belvora::writer
