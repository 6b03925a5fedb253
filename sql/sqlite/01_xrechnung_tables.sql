-- XRechnung creation source for SQLite: the line table VorlageXRechnung, the
-- view xRechnung the library reads, and the documents table tblDocuments.
-- Load: sqlite3 your.sqlite < 01_xrechnung_tables.sql

BEGIN;

CREATE TABLE IF NOT EXISTS VorlageXRechnung (
  -- invoice
  BT1   TEXT NOT NULL,          -- invoice number
  BT2   DATE,                   -- issue date
  BT3   TEXT,                   -- invoice type code (380 commercial invoice)
  BT9   DATE,                   -- payment due date
  BT10  TEXT,                   -- buyer reference (Leitweg-ID)
  BT11  TEXT,                   -- project reference
  BT12  TEXT,                   -- contract reference
  BT13  TEXT,                   -- purchase order reference
  BT20  TEXT,                   -- payment terms
  BT21  TEXT,                   -- invoice note subject code
  BT22  TEXT,                   -- invoice note (a line break starts a second note)
  BT23  TEXT,                   -- business process type
  BT24  TEXT,                   -- specification identifier
  BT25  TEXT,                   -- preceding invoice reference
  -- seller
  BT27  TEXT,                   -- name
  BT31  TEXT,                   -- VAT identifier
  BT34  TEXT,                   -- electronic address (e-mail)
  BT35  TEXT,                   -- address line 1
  BT37  TEXT,                   -- city
  BT38  TEXT,                   -- post code
  BT40  TEXT,                   -- country code
  BT41  TEXT,                   -- contact point
  BT42  TEXT,                   -- contact telephone
  BT43  TEXT,                   -- contact e-mail
  -- buyer
  BT44  TEXT,                   -- name
  BT48  TEXT,                   -- VAT identifier
  BT49  TEXT,                   -- electronic address (e-mail)
  BT50  TEXT,                   -- address line 1
  BT52  TEXT,                   -- city
  BT53  TEXT,                   -- post code
  BT55  TEXT,                   -- country code
  BT56  TEXT,                   -- contact point
  BT57  TEXT,                   -- contact telephone
  BT58  TEXT,                   -- contact e-mail
  -- delivery and invoicing period
  BT72  DATE,                   -- actual delivery date
  BT73  DATE,                   -- invoicing period start
  BT74  DATE,                   -- invoicing period end
  -- payment
  BT81  TEXT,                   -- payment means code (30, 48, 49, 58, 59)
  BT82  TEXT,                   -- payment means text
  BT83  TEXT,                   -- remittance information
  BT84  TEXT,                   -- payee IBAN
  BT85  TEXT,                   -- payee account name
  BT86  TEXT,                   -- payee BIC
  BT87  TEXT,                   -- payment card number
  BT88  TEXT,                   -- card holder name
  BT89  TEXT,                   -- direct debit mandate reference
  BT90  TEXT,                   -- SEPA creditor identifier
  BT91  TEXT,                   -- debited IBAN
  -- document allowance, carried by the line row it belongs to
  BT92  DECIMAL(15, 2),         -- amount
  BT93  DECIMAL(15, 2),         -- base amount
  BT94  DECIMAL(5, 2),          -- percentage
  BT95  TEXT,                   -- VAT category code
  BT96  DECIMAL(5, 2),          -- VAT rate
  BT97  TEXT,                   -- reason
  BT98  TEXT,                   -- reason code
  -- document charge
  BT99  DECIMAL(15, 2),         -- amount
  BT100 DECIMAL(15, 2),         -- base amount
  BT101 DECIMAL(5, 2),          -- percentage
  BT102 TEXT,                   -- VAT category code
  -- totals (the library computes its own from the lines)
  BT109 DECIMAL(15, 2),         -- total without VAT
  BT110 DECIMAL(15, 2),         -- total VAT
  BT112 DECIMAL(15, 2),         -- total with VAT
  BT113 DECIMAL(15, 2),         -- paid amount
  BT114 DECIMAL(15, 2),         -- rounding amount
  BT115 DECIMAL(15, 2),         -- amount due
  BT116 DECIMAL(15, 2),         -- taxable amount of the line's VAT category
  -- line
  BT118 TEXT,                   -- VAT category code
  BT126 INTEGER NOT NULL,       -- line number
  BT129 DECIMAL(15, 4),         -- quantity
  BT130 TEXT,                   -- unit of measure (UN/ECE Rec. 20)
  BT131 DECIMAL(15, 2),         -- line net amount
  BT146 DECIMAL(15, 4),         -- net price
  BT152 DECIMAL(5, 2),          -- VAT rate in percent
  BT153 TEXT,                   -- item name
  BT154 TEXT,                   -- item description
  BT155 TEXT,                   -- seller's item identifier
  PRIMARY KEY (BT1, BT126)
);

CREATE VIEW IF NOT EXISTS xRechnung AS SELECT * FROM VorlageXRechnung;

CREATE TABLE IF NOT EXISTS tblDocuments (
  ID         INTEGER PRIMARY KEY AUTOINCREMENT,
  DocType    TEXT,                -- AU: written invoice, IN: read invoice
  Number     TEXT,                -- invoice number
  BinaryFile BLOB,                -- the file's bytes
  FileName   TEXT,
  FileType   TEXT,                -- last three characters of the name
  FileSize   INTEGER,             -- bytes
  CreatedAt  DATETIME NOT NULL DEFAULT CURRENT_TIMESTAMP
);
CREATE INDEX IF NOT EXISTS tblDocuments_Number ON tblDocuments (Number);

COMMIT;
