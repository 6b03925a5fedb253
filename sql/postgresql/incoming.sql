-- Tables for read incoming invoices: the header (tblInvoice), its lines
-- (tblInvoice_Items) and its allowances and charges (tblInvoice_Deduction).
-- The invoice file itself goes to the documents table (tbldocuments,
-- 01_xrechnung_tables.sql). Amounts are stored as numbers, the invoice and due
-- dates as the text the viewer shows (dd.mm.yyyy). Identifiers are unquoted,
-- so PostgreSQL keeps them in lower case (tblinvoice, invoicenumber, ...).
-- Load: psql -v ON_ERROR_STOP=1 -d yourdb -f incoming.sql

BEGIN;

-- One row per invoice number; a second save of the same invoice updates it.
CREATE TABLE IF NOT EXISTS tblInvoice (
  CreateDate            timestamp,                 -- first save
  CreateUser            text,                      -- account of the first save
  ChangeDate            timestamp,                 -- latest save of an existing row
  ChangeUser            text,                      -- account of that save
  RoutingID             text,                      -- specification identifier
  InvoiceNumber         text NOT NULL PRIMARY KEY,
  Subject               text,                      -- subject code of the first note
  InvoiceDate           text,                      -- dd.mm.yyyy as shown
  PayableBy             text,                      -- dd.mm.yyyy; the invoice date when none is given
  InvoiceType           text,                      -- document type code
  PaymentMethod         text,                      -- document note
  Remarks               text,                      -- payment terms
  SellerName            text,
  SellerTaxNumber       text,
  SellerRecipiedEMail   text,
  SellerStreet          text,
  SellerCountry         text,
  SellerZip             text,
  SellerCity            text,
  SellerContactPerson   text,
  SellerContactEmail    text,
  SellerContactPhone    text,
  BuyerName             text,
  BuyerTaxNumber        text,
  BuyerRecipiedEMail    text,
  BuyerStreet           text,
  BuyerCountry          text,
  BuyerZip              text,
  BuyerCity             text,
  BuyerContactPerson    text,
  BuyerContactEmail     text,
  BuyerContactPhone     text,
  SumOfNet              numeric(18,2),             -- sum of line net amounts
  TaxAmountWithVAT      numeric(18,2),             -- total without VAT (tax basis)
  TotalAmountWithoutVAT numeric(18,2),             -- total VAT
  Dicounts              numeric(18,2),             -- document allowances
  Sucharges             numeric(18,2),             -- document charges
  Prepayment            numeric(18,2),
  RoundingAmount        numeric(18,2),
  PaymentDue            numeric(18,2),             -- amount due
  CustomizationID       text,
  ProfileID             text,
  AccountingCost        text,
  CurrencyCode          text
);

-- The lines of an invoice; all rows of an invoice are replaced on every save.
CREATE TABLE IF NOT EXISTS tblInvoice_Items (
  InvoiceNumber text NOT NULL,
  Pos           integer NOT NULL, -- 1, 2, ... in grid order
  LineID        text,             -- line identifier of the document
  ItemName      text,
  Description   text,
  Quantity      numeric(19,6),
  Net           numeric(19,6),    -- net unit price
  Gross         numeric(19,6),    -- Net * (1 + VAT / 100)
  BaseQuantity  numeric(19,6),    -- price base quantity, 1 when none
  VAT           numeric(7,2),     -- rate in percent
  TotalGross    numeric(19,6),    -- Gross * Quantity
  TotalNet      numeric(18,2),    -- line net total
  PRIMARY KEY (InvoiceNumber, Pos)
);

-- Allowances and charges (document and line level) of an invoice; replaced on
-- every save that has any.
CREATE TABLE IF NOT EXISTS tblInvoice_Deduction (
  InvoiceNumber text NOT NULL,
  Code          text,          -- reason text
  reason        text,          -- reason code
  Factor        text,          -- percentage as written in the document
  Amount        numeric(18,2),
  BasicAmount   numeric(18,2)  -- base amount
);

CREATE INDEX IF NOT EXISTS tblInvoice_Deduction_Number ON tblInvoice_Deduction (InvoiceNumber);

COMMIT;
