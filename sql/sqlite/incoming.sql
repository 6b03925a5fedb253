-- Tables for read incoming invoices: the header (tblInvoice), its lines
-- (tblInvoice_Items) and its allowances and charges (tblInvoice_Deduction).
-- The invoice file itself goes to the documents table (tblDocuments,
-- 01_xrechnung_tables.sql). Amounts are stored as numbers, the invoice and due
-- dates as the text the viewer shows (dd.mm.yyyy).
-- Load: sqlite3 your.sqlite < incoming.sql

BEGIN;

-- One row per invoice number; a second save of the same invoice updates it.
CREATE TABLE IF NOT EXISTS tblInvoice (
  CreateDate            DATETIME,                  -- first save
  CreateUser            TEXT,                      -- account of the first save
  ChangeDate            DATETIME,                  -- latest save of an existing row
  ChangeUser            TEXT,                      -- account of that save
  RoutingID             TEXT,                      -- specification identifier
  InvoiceNumber         TEXT NOT NULL PRIMARY KEY,
  Subject               TEXT,                      -- subject code of the first note
  InvoiceDate           TEXT,                      -- dd.mm.yyyy as shown
  PayableBy             TEXT,                      -- dd.mm.yyyy; the invoice date when none is given
  InvoiceType           TEXT,                      -- document type code
  PaymentMethod         TEXT,                      -- document note
  Remarks               TEXT,                      -- payment terms
  SellerName            TEXT,
  SellerTaxNumber       TEXT,
  SellerRecipiedEMail   TEXT,
  SellerStreet          TEXT,
  SellerCountry         TEXT,
  SellerZip             TEXT,
  SellerCity            TEXT,
  SellerContactPerson   TEXT,
  SellerContactEmail    TEXT,
  SellerContactPhone    TEXT,
  BuyerName             TEXT,
  BuyerTaxNumber        TEXT,
  BuyerRecipiedEMail    TEXT,
  BuyerStreet           TEXT,
  BuyerCountry          TEXT,
  BuyerZip              TEXT,
  BuyerCity             TEXT,
  BuyerContactPerson    TEXT,
  BuyerContactEmail     TEXT,
  BuyerContactPhone     TEXT,
  SumOfNet              DECIMAL(18,2),             -- sum of line net amounts
  TaxAmountWithVAT      DECIMAL(18,2),             -- total without VAT (tax basis)
  TotalAmountWithoutVAT DECIMAL(18,2),             -- total VAT
  Dicounts              DECIMAL(18,2),             -- document allowances
  Sucharges             DECIMAL(18,2),             -- document charges
  Prepayment            DECIMAL(18,2),
  RoundingAmount        DECIMAL(18,2),
  PaymentDue            DECIMAL(18,2),             -- amount due
  CustomizationID       TEXT,
  ProfileID             TEXT,
  AccountingCost        TEXT,
  CurrencyCode          TEXT
);

-- The lines of an invoice; all rows of an invoice are replaced on every save.
CREATE TABLE IF NOT EXISTS tblInvoice_Items (
  InvoiceNumber TEXT NOT NULL,
  Pos           INTEGER NOT NULL, -- 1, 2, ... in grid order
  LineID        TEXT,             -- line identifier of the document
  ItemName      TEXT,
  Description   TEXT,
  Quantity      DECIMAL(19,6),
  Net           DECIMAL(19,6),    -- net unit price
  Gross         DECIMAL(19,6),    -- Net * (1 + VAT / 100)
  BaseQuantity  DECIMAL(19,6),    -- price base quantity, 1 when none
  VAT           DECIMAL(7,2),     -- rate in percent
  TotalGross    DECIMAL(19,6),    -- Gross * Quantity
  TotalNet      DECIMAL(18,2),    -- line net total
  PRIMARY KEY (InvoiceNumber, Pos)
);

-- Allowances and charges (document and line level) of an invoice; replaced on
-- every save that has any.
CREATE TABLE IF NOT EXISTS tblInvoice_Deduction (
  InvoiceNumber TEXT NOT NULL,
  Code          TEXT,          -- reason text
  reason        TEXT,          -- reason code
  Factor        TEXT,          -- percentage as written in the document
  Amount        DECIMAL(18,2),
  BasicAmount   DECIMAL(18,2)  -- base amount
);

CREATE INDEX IF NOT EXISTS tblInvoice_Deduction_Number ON tblInvoice_Deduction (InvoiceNumber);

COMMIT;
