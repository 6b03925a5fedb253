-- XRechnung creation source for SQLite: the table VorlageXRechnung,
-- the view xRechnung the library reads, and the documents table tblDocuments.
-- One row per invoice line (RowKind NULL); the first line row of an invoice
-- also holds its document-level columns. One row per further entry of a
-- repeated group (RowKind NOTE, PAYMENT, ALLOWANCE, ...); see the column
-- reference in README.md.
-- Generated from the column catalogue (library/model/Catalogue.cpp); the test
-- test_template_database checks it and rewrites it when run with
-- BELVORA_UPDATE_GENERATED=1.
-- Load: sqlite3 your.sqlite < 01_xrechnung_tables.sql

BEGIN;

CREATE TABLE IF NOT EXISTS VorlageXRechnung (
  RowNo           INTEGER NOT NULL, -- order of the rows of one invoice
  RowKind         TEXT,             -- NULL: invoice line; NOTE, PAYMENT, ...: an entry of a group
  BT1             TEXT NOT NULL,    -- BT-1 Invoice number
  BT2             DATE,             -- BT-2 Invoice issue date
  BT3             TEXT,             -- BT-3 Invoice type code (UNTDID 1001)
  BT5             TEXT,             -- BT-5 Invoice currency code (ISO 4217)
  BT6             TEXT,             -- BT-6 VAT accounting currency code
  BT7             DATE,             -- BT-7 Value added tax point date
  BT8             TEXT,             -- BT-8 Value added tax point date code (UNTDID 2005)
  BT9             DATE,             -- BT-9 Payment due date
  BT10            TEXT,             -- BT-10 Buyer reference (Leitweg-ID)
  BT11            TEXT,             -- BT-11 Project reference
  BT12            TEXT,             -- BT-12 Contract reference
  BT13            TEXT,             -- BT-13 Purchase order reference
  BT14            TEXT,             -- BT-14 Sales order reference
  BT15            TEXT,             -- BT-15 Receiving advice reference
  BT16            TEXT,             -- BT-16 Despatch advice reference
  BT17            TEXT,             -- BT-17 Tender or lot reference
  BT18            TEXT,             -- BT-18 Invoiced object identifier
  BT18_scheme     TEXT,             -- BT-18-1 Scheme of the invoiced object identifier
  BT19            TEXT,             -- BT-19 Buyer accounting reference
  BT20            TEXT,             -- BT-20 Payment terms
  BT21            TEXT,             -- BT-21 Invoice note subject code (UNTDID 4451)
  BT22            TEXT,             -- BT-22 Invoice note
  BT23            TEXT,             -- BT-23 Business process type
  BT24            TEXT,             -- BT-24 Specification identifier
  BT25            TEXT,             -- BT-25 Preceding invoice reference
  BT26            DATE,             -- BT-26 Preceding invoice issue date
  BT27            TEXT,             -- BT-27 Seller name
  BT28            TEXT,             -- BT-28 Seller trading name
  BT29            TEXT,             -- BT-29 Seller identifier
  BT29_scheme     TEXT,             -- BT-29-1 Scheme of the seller identifier
  BT30            TEXT,             -- BT-30 Seller legal registration identifier
  BT30_scheme     TEXT,             -- BT-30-1 Scheme of the seller legal registration identifier
  BT31            TEXT,             -- BT-31 Seller VAT identifier
  BT32            TEXT,             -- BT-32 Seller tax registration identifier
  BT33            TEXT,             -- BT-33 Seller additional legal information
  BT34            TEXT,             -- BT-34 Seller electronic address
  BT34_scheme     TEXT,             -- BT-34-1 Scheme of the seller electronic address (EAS)
  BT35            TEXT,             -- BT-35 Seller address line 1
  BT36            TEXT,             -- BT-36 Seller address line 2
  BT162           TEXT,             -- BT-162 Seller address line 3
  BT37            TEXT,             -- BT-37 Seller city
  BT38            TEXT,             -- BT-38 Seller post code
  BT39            TEXT,             -- BT-39 Seller country subdivision
  BT40            TEXT,             -- BT-40 Seller country code (ISO 3166)
  BT41            TEXT,             -- BT-41 Seller contact point
  BT42            TEXT,             -- BT-42 Seller contact telephone number
  BT43            TEXT,             -- BT-43 Seller contact e-mail address
  BT44            TEXT,             -- BT-44 Buyer name
  BT45            TEXT,             -- BT-45 Buyer trading name
  BT46            TEXT,             -- BT-46 Buyer identifier
  BT46_scheme     TEXT,             -- BT-46-1 Scheme of the buyer identifier
  BT47            TEXT,             -- BT-47 Buyer legal registration identifier
  BT47_scheme     TEXT,             -- BT-47-1 Scheme of the buyer legal registration identifier
  BT48            TEXT,             -- BT-48 Buyer VAT identifier
  BT49            TEXT,             -- BT-49 Buyer electronic address
  BT49_scheme     TEXT,             -- BT-49-1 Scheme of the buyer electronic address (EAS)
  BT50            TEXT,             -- BT-50 Buyer address line 1
  BT51            TEXT,             -- BT-51 Buyer address line 2
  BT163           TEXT,             -- BT-163 Buyer address line 3
  BT52            TEXT,             -- BT-52 Buyer city
  BT53            TEXT,             -- BT-53 Buyer post code
  BT54            TEXT,             -- BT-54 Buyer country subdivision
  BT55            TEXT,             -- BT-55 Buyer country code (ISO 3166)
  BT56            TEXT,             -- BT-56 Buyer contact point
  BT57            TEXT,             -- BT-57 Buyer contact telephone number
  BT58            TEXT,             -- BT-58 Buyer contact e-mail address
  BT59            TEXT,             -- BT-59 Payee name
  BT60            TEXT,             -- BT-60 Payee identifier
  BT60_scheme     TEXT,             -- BT-60-1 Scheme of the payee identifier
  BT61            TEXT,             -- BT-61 Payee legal registration identifier
  BT61_scheme     TEXT,             -- BT-61-1 Scheme of the payee legal registration identifier
  BT62            TEXT,             -- BT-62 Seller tax representative name
  BT63            TEXT,             -- BT-63 Seller tax representative VAT identifier
  BT64            TEXT,             -- BT-64 Tax representative address line 1
  BT65            TEXT,             -- BT-65 Tax representative address line 2
  BT164           TEXT,             -- BT-164 Tax representative address line 3
  BT66            TEXT,             -- BT-66 Tax representative city
  BT67            TEXT,             -- BT-67 Tax representative post code
  BT68            TEXT,             -- BT-68 Tax representative country subdivision
  BT69            TEXT,             -- BT-69 Tax representative country code
  BT70            TEXT,             -- BT-70 Deliver to party name
  BT71            TEXT,             -- BT-71 Deliver to location identifier
  BT71_scheme     TEXT,             -- BT-71-1 Scheme of the deliver to location identifier
  BT72            DATE,             -- BT-72 Actual delivery date
  BT73            DATE,             -- BT-73 Invoicing period start date
  BT74            DATE,             -- BT-74 Invoicing period end date
  BT75            TEXT,             -- BT-75 Deliver to address line 1
  BT76            TEXT,             -- BT-76 Deliver to address line 2
  BT165           TEXT,             -- BT-165 Deliver to address line 3
  BT77            TEXT,             -- BT-77 Deliver to city
  BT78            TEXT,             -- BT-78 Deliver to post code
  BT79            TEXT,             -- BT-79 Deliver to country subdivision
  BT80            TEXT,             -- BT-80 Deliver to country code
  BT81            TEXT,             -- BT-81 Payment means type code (UNTDID 4461)
  BT82            TEXT,             -- BT-82 Payment means text
  BT83            TEXT,             -- BT-83 Remittance information
  BT84            TEXT,             -- BT-84 Payment account identifier (IBAN)
  BT85            TEXT,             -- BT-85 Payment account name
  BT86            TEXT,             -- BT-86 Payment service provider identifier (BIC)
  BT87            TEXT,             -- BT-87 Payment card primary account number
  BT88            TEXT,             -- BT-88 Payment card holder name
  BT89            TEXT,             -- BT-89 Mandate reference identifier
  BT90            TEXT,             -- BT-90 Bank assigned creditor identifier
  BT91            TEXT,             -- BT-91 Debited account identifier
  BT92            DECIMAL(15, 2),   -- BT-92 Document level allowance amount
  BT93            DECIMAL(15, 2),   -- BT-93 Document level allowance base amount
  BT94            DECIMAL,          -- BT-94 Document level allowance percentage
  BT95            TEXT,             -- BT-95 Document level allowance VAT category code
  BT96            DECIMAL,          -- BT-96 Document level allowance VAT rate
  BT97            TEXT,             -- BT-97 Document level allowance reason
  BT98            TEXT,             -- BT-98 Document level allowance reason code (UNTDID 5189)
  BT99            DECIMAL(15, 2),   -- BT-99 Document level charge amount
  BT100           DECIMAL(15, 2),   -- BT-100 Document level charge base amount
  BT101           DECIMAL,          -- BT-101 Document level charge percentage
  BT102           TEXT,             -- BT-102 Document level charge VAT category code
  BT103           DECIMAL,          -- BT-103 Document level charge VAT rate
  BT104           TEXT,             -- BT-104 Document level charge reason
  BT105           TEXT,             -- BT-105 Document level charge reason code (UNTDID 7161)
  BT109           DECIMAL(15, 2),   -- BT-109 Invoice total amount without VAT (checked against the computed one)
  BT110           DECIMAL(15, 2),   -- BT-110 Invoice total VAT amount (checked against the computed one)
  BT111           DECIMAL(15, 2),   -- BT-111 Invoice total VAT amount in accounting currency
  BT112           DECIMAL(15, 2),   -- BT-112 Invoice total amount with VAT (checked against the computed one)
  BT113           DECIMAL(15, 2),   -- BT-113 Paid amount
  BT114           DECIMAL(15, 2),   -- BT-114 Rounding amount
  BT115           DECIMAL(15, 2),   -- BT-115 Amount due for payment (checked against the computed one)
  BT118           TEXT,             -- BT-151 VAT category code of the line (older name of BT151; the breakdown's BT-118 is computed)
  BT120           TEXT,             -- BT-120 VAT exemption reason text, for the VAT category of the row
  BT121           TEXT,             -- BT-121 VAT exemption reason code (VATEX), for the VAT category of the row
  BT122           TEXT,             -- BT-122 Supporting document reference
  BT123           TEXT,             -- BT-123 Supporting document description
  BT124           TEXT,             -- BT-124 External document location
  BT125           BLOB,             -- BT-125 Attached document (BLOB, or Base64 text)
  BT125_mime      TEXT,             -- BT-125-1 Attached document MIME code
  BT125_filename  TEXT,             -- BT-125-2 Attached document file name
  BT126           TEXT,             -- BT-126 Invoice line identifier
  BT127           TEXT,             -- BT-127 Invoice line note
  BT128           TEXT,             -- BT-128 Invoice line object identifier
  BT128_scheme    TEXT,             -- BT-128-1 Scheme of the invoice line object identifier
  BT129           DECIMAL,          -- BT-129 Invoiced quantity
  BT130           TEXT,             -- BT-130 Invoiced quantity unit of measure code (UNECE Rec 20/21)
  BT131           DECIMAL(15, 2),   -- BT-131 Invoice line net amount
  BT132           TEXT,             -- BT-132 Referenced purchase order line reference
  BT133           TEXT,             -- BT-133 Invoice line buyer accounting reference
  BT134           DATE,             -- BT-134 Invoice line period start date
  BT135           DATE,             -- BT-135 Invoice line period end date
  BT136           DECIMAL(15, 2),   -- BT-136 Invoice line allowance amount
  BT137           DECIMAL(15, 2),   -- BT-137 Invoice line allowance base amount
  BT138           DECIMAL,          -- BT-138 Invoice line allowance percentage
  BT139           TEXT,             -- BT-139 Invoice line allowance reason
  BT140           TEXT,             -- BT-140 Invoice line allowance reason code (UNTDID 5189)
  BT141           DECIMAL(15, 2),   -- BT-141 Invoice line charge amount
  BT142           DECIMAL(15, 2),   -- BT-142 Invoice line charge base amount
  BT143           DECIMAL,          -- BT-143 Invoice line charge percentage
  BT144           TEXT,             -- BT-144 Invoice line charge reason
  BT145           TEXT,             -- BT-145 Invoice line charge reason code (UNTDID 7161)
  BT146           DECIMAL,          -- BT-146 Item net price
  BT147           DECIMAL,          -- BT-147 Item price discount
  BT148           DECIMAL,          -- BT-148 Item gross price
  BT149           DECIMAL,          -- BT-149 Item price base quantity
  BT150           TEXT,             -- BT-150 Item price base quantity unit of measure code
  BT151           TEXT,             -- BT-151 Invoiced item VAT category code (takes precedence over BT118)
  BT152           DECIMAL,          -- BT-152 Invoiced item VAT rate
  BT153           TEXT,             -- BT-153 Item name
  BT154           TEXT,             -- BT-154 Item description
  BT155           TEXT,             -- BT-155 Item seller's identifier
  BT156           TEXT,             -- BT-156 Item buyer's identifier
  BT157           TEXT,             -- BT-157 Item standard identifier
  BT157_scheme    TEXT,             -- BT-157-1 Scheme of the item standard identifier (0160: GTIN)
  BT158           TEXT,             -- BT-158 Item classification identifier
  BT158_scheme    TEXT,             -- BT-158-1 Item classification list identifier (UNTDID 7143)
  BT158_version   TEXT,             -- BT-158-2 Item classification list version
  BT159           TEXT,             -- BT-159 Item country of origin
  BT160           TEXT,             -- BT-160 Item attribute name
  BT161           TEXT,             -- BT-161 Item attribute value
  PRIMARY KEY (BT1, RowNo)
);

CREATE VIEW IF NOT EXISTS xRechnung AS
  SELECT * FROM VorlageXRechnung ORDER BY BT1, RowNo;

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
