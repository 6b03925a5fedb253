#include "reader/clsPeppol.h"

namespace belvora::reader {

namespace {

constexpr const char* kNamespaces =
    "xmlns='urn:oasis:names:specification:ubl:schema:xsd:Invoice-2' "
    "xmlns:cac='urn:oasis:names:specification:ubl:schema:xsd:CommonAggregateComponents-2' "
    "xmlns:cbc='urn:oasis:names:specification:ubl:schema:xsd:CommonBasicComponents-2'";

}  // namespace

const clsUBLImport::Dialect clsPeppol::kPeppol{"cac:PartyLegalEntity/cbc:CompanyID", true, true,
                                               true, true};

std::string_view clsPeppol::SelectionNamespaces() { return kNamespaces; }

}  // namespace belvora::reader
