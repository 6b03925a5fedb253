-- XRechnung creation source for PostgreSQL: the table VorlageXRechnung,
-- the view xRechnung the library reads, and the documents table tblDocuments.
-- One row per invoice line (RowKind NULL); the first line row of an invoice
-- also holds its document-level columns. One row per further entry of a
-- repeated group (RowKind NOTE, PAYMENT, ALLOWANCE, ...); see the column
-- reference in README.md.
-- Generated from the column catalogue (library/model/Catalogue.cpp); the test
-- test_template_database checks it and rewrites it when run with
-- BELVORA_UPDATE_GENERATED=1.
-- Identifiers are unquoted, so PostgreSQL keeps them in lower case
-- (vorlagexrechnung, bt1, ...); the library finds columns without regard to case.
-- Load: psql -v ON_ERROR_STOP=1 -d yourdb -f 01_xrechnung_tables.sql

BEGIN;

CREATE TABLE IF NOT EXISTS VorlageXRechnung (
  RowNo           integer NOT NULL, -- order of the rows of one invoice
  RowKind         text,             -- NULL: invoice line; NOTE, PAYMENT, ...: an entry of a group
  BT1             text NOT NULL,    -- BT-1 Invoice number
  BT2             date,             -- BT-2 Invoice issue date
  BT3             text,             -- BT-3 Invoice type code (UNTDID 1001)
  BT5             text,             -- BT-5 Invoice currency code (ISO 4217)
  BT6             text,             -- BT-6 VAT accounting currency code
  BT7             date,             -- BT-7 Value added tax point date
  BT8             text,             -- BT-8 Value added tax point date code (UNTDID 2005)
  BT9             date,             -- BT-9 Payment due date
  BT10            text,             -- BT-10 Buyer reference (Leitweg-ID)
  BT11            text,             -- BT-11 Project reference
  BT12            text,             -- BT-12 Contract reference
  BT13            text,             -- BT-13 Purchase order reference
  BT14            text,             -- BT-14 Sales order reference
  BT15            text,             -- BT-15 Receiving advice reference
  BT16            text,             -- BT-16 Despatch advice reference
  BT17            text,             -- BT-17 Tender or lot reference
  BT18            text,             -- BT-18 Invoiced object identifier
  BT18_scheme     text,             -- BT-18-1 Scheme of the invoiced object identifier
  BT19            text,             -- BT-19 Buyer accounting reference
  BT20            text,             -- BT-20 Payment terms
  BT21            text,             -- BT-21 Invoice note subject code (UNTDID 4451)
  BT22            text,             -- BT-22 Invoice note
  BT23            text,             -- BT-23 Business process type
  BT24            text,             -- BT-24 Specification identifier
  BT25            text,             -- BT-25 Preceding invoice reference
  BT26            date,             -- BT-26 Preceding invoice issue date
  BT27            text,             -- BT-27 Seller name
  BT28            text,             -- BT-28 Seller trading name
  BT29            text,             -- BT-29 Seller identifier
  BT29_scheme     text,             -- BT-29-1 Scheme of the seller identifier
  BT30            text,             -- BT-30 Seller legal registration identifier
  BT30_scheme     text,             -- BT-30-1 Scheme of the seller legal registration identifier
  BT31            text,             -- BT-31 Seller VAT identifier
  BT32            text,             -- BT-32 Seller tax registration identifier
  BT33            text,             -- BT-33 Seller additional legal information
  BT34            text,             -- BT-34 Seller electronic address
  BT34_scheme     text,             -- BT-34-1 Scheme of the seller electronic address (EAS)
  BT35            text,             -- BT-35 Seller address line 1
  BT36            text,             -- BT-36 Seller address line 2
  BT162           text,             -- BT-162 Seller address line 3
  BT37            text,             -- BT-37 Seller city
  BT38            text,             -- BT-38 Seller post code
  BT39            text,             -- BT-39 Seller country subdivision
  BT40            text,             -- BT-40 Seller country code (ISO 3166)
  BT41            text,             -- BT-41 Seller contact point
  BT42            text,             -- BT-42 Seller contact telephone number
  BT43            text,             -- BT-43 Seller contact e-mail address
  BT44            text,             -- BT-44 Buyer name
  BT45            text,             -- BT-45 Buyer trading name
  BT46            text,             -- BT-46 Buyer identifier
  BT46_scheme     text,             -- BT-46-1 Scheme of the buyer identifier
  BT47            text,             -- BT-47 Buyer legal registration identifier
  BT47_scheme     text,             -- BT-47-1 Scheme of the buyer legal registration identifier
  BT48            text,             -- BT-48 Buyer VAT identifier
  BT49            text,             -- BT-49 Buyer electronic address
  BT49_scheme     text,             -- BT-49-1 Scheme of the buyer electronic address (EAS)
  BT50            text,             -- BT-50 Buyer address line 1
  BT51            text,             -- BT-51 Buyer address line 2
  BT163           text,             -- BT-163 Buyer address line 3
  BT52            text,             -- BT-52 Buyer city
  BT53            text,             -- BT-53 Buyer post code
  BT54            text,             -- BT-54 Buyer country subdivision
  BT55            text,             -- BT-55 Buyer country code (ISO 3166)
  BT56            text,             -- BT-56 Buyer contact point
  BT57            text,             -- BT-57 Buyer contact telephone number
  BT58            text,             -- BT-58 Buyer contact e-mail address
  BT59            text,             -- BT-59 Payee name
  BT60            text,             -- BT-60 Payee identifier
  BT60_scheme     text,             -- BT-60-1 Scheme of the payee identifier
  BT61            text,             -- BT-61 Payee legal registration identifier
  BT61_scheme     text,             -- BT-61-1 Scheme of the payee legal registration identifier
  BT62            text,             -- BT-62 Seller tax representative name
  BT63            text,             -- BT-63 Seller tax representative VAT identifier
  BT64            text,             -- BT-64 Tax representative address line 1
  BT65            text,             -- BT-65 Tax representative address line 2
  BT164           text,             -- BT-164 Tax representative address line 3
  BT66            text,             -- BT-66 Tax representative city
  BT67            text,             -- BT-67 Tax representative post code
  BT68            text,             -- BT-68 Tax representative country subdivision
  BT69            text,             -- BT-69 Tax representative country code
  BT70            text,             -- BT-70 Deliver to party name
  BT71            text,             -- BT-71 Deliver to location identifier
  BT71_scheme     text,             -- BT-71-1 Scheme of the deliver to location identifier
  BT72            date,             -- BT-72 Actual delivery date
  BT73            date,             -- BT-73 Invoicing period start date
  BT74            date,             -- BT-74 Invoicing period end date
  BT75            text,             -- BT-75 Deliver to address line 1
  BT76            text,             -- BT-76 Deliver to address line 2
  BT165           text,             -- BT-165 Deliver to address line 3
  BT77            text,             -- BT-77 Deliver to city
  BT78            text,             -- BT-78 Deliver to post code
  BT79            text,             -- BT-79 Deliver to country subdivision
  BT80            text,             -- BT-80 Deliver to country code
  BT81            text,             -- BT-81 Payment means type code (UNTDID 4461)
  BT82            text,             -- BT-82 Payment means text
  BT83            text,             -- BT-83 Remittance information
  BT84            text,             -- BT-84 Payment account identifier (IBAN)
  BT85            text,             -- BT-85 Payment account name
  BT86            text,             -- BT-86 Payment service provider identifier (BIC)
  BT87            text,             -- BT-87 Payment card primary account number
  BT88            text,             -- BT-88 Payment card holder name
  BT89            text,             -- BT-89 Mandate reference identifier
  BT90            text,             -- BT-90 Bank assigned creditor identifier
  BT91            text,             -- BT-91 Debited account identifier
  BT92            numeric(15, 2),   -- BT-92 Document level allowance amount
  BT93            numeric(15, 2),   -- BT-93 Document level allowance base amount
  BT94            numeric,          -- BT-94 Document level allowance percentage
  BT95            text,             -- BT-95 Document level allowance VAT category code
  BT96            numeric,          -- BT-96 Document level allowance VAT rate
  BT97            text,             -- BT-97 Document level allowance reason
  BT98            text,             -- BT-98 Document level allowance reason code (UNTDID 5189)
  BT99            numeric(15, 2),   -- BT-99 Document level charge amount
  BT100           numeric(15, 2),   -- BT-100 Document level charge base amount
  BT101           numeric,          -- BT-101 Document level charge percentage
  BT102           text,             -- BT-102 Document level charge VAT category code
  BT103           numeric,          -- BT-103 Document level charge VAT rate
  BT104           text,             -- BT-104 Document level charge reason
  BT105           text,             -- BT-105 Document level charge reason code (UNTDID 7161)
  BT109           numeric(15, 2),   -- BT-109 Invoice total amount without VAT (checked against the computed one)
  BT110           numeric(15, 2),   -- BT-110 Invoice total VAT amount (checked against the computed one)
  BT111           numeric(15, 2),   -- BT-111 Invoice total VAT amount in accounting currency
  BT112           numeric(15, 2),   -- BT-112 Invoice total amount with VAT (checked against the computed one)
  BT113           numeric(15, 2),   -- BT-113 Paid amount
  BT114           numeric(15, 2),   -- BT-114 Rounding amount
  BT115           numeric(15, 2),   -- BT-115 Amount due for payment (checked against the computed one)
  BT118           text,             -- BT-151 VAT category code of the line (older name of BT151; the breakdown's BT-118 is computed)
  BT120           text,             -- BT-120 VAT exemption reason text, for the VAT category of the row
  BT121           text,             -- BT-121 VAT exemption reason code (VATEX), for the VAT category of the row
  BT122           text,             -- BT-122 Supporting document reference
  BT123           text,             -- BT-123 Supporting document description
  BT124           text,             -- BT-124 External document location
  BT125           bytea,            -- BT-125 Attached document (BLOB, or Base64 text)
  BT125_mime      text,             -- BT-125-1 Attached document MIME code
  BT125_filename  text,             -- BT-125-2 Attached document file name
  BT126           text,             -- BT-126 Invoice line identifier
  BT127           text,             -- BT-127 Invoice line note
  BT128           text,             -- BT-128 Invoice line object identifier
  BT128_scheme    text,             -- BT-128-1 Scheme of the invoice line object identifier
  BT129           numeric,          -- BT-129 Invoiced quantity
  BT130           text,             -- BT-130 Invoiced quantity unit of measure code (UNECE Rec 20/21)
  BT131           numeric(15, 2),   -- BT-131 Invoice line net amount
  BT132           text,             -- BT-132 Referenced purchase order line reference
  BT133           text,             -- BT-133 Invoice line buyer accounting reference
  BT134           date,             -- BT-134 Invoice line period start date
  BT135           date,             -- BT-135 Invoice line period end date
  BT136           numeric(15, 2),   -- BT-136 Invoice line allowance amount
  BT137           numeric(15, 2),   -- BT-137 Invoice line allowance base amount
  BT138           numeric,          -- BT-138 Invoice line allowance percentage
  BT139           text,             -- BT-139 Invoice line allowance reason
  BT140           text,             -- BT-140 Invoice line allowance reason code (UNTDID 5189)
  BT141           numeric(15, 2),   -- BT-141 Invoice line charge amount
  BT142           numeric(15, 2),   -- BT-142 Invoice line charge base amount
  BT143           numeric,          -- BT-143 Invoice line charge percentage
  BT144           text,             -- BT-144 Invoice line charge reason
  BT145           text,             -- BT-145 Invoice line charge reason code (UNTDID 7161)
  BT146           numeric,          -- BT-146 Item net price
  BT147           numeric,          -- BT-147 Item price discount
  BT148           numeric,          -- BT-148 Item gross price
  BT149           numeric,          -- BT-149 Item price base quantity
  BT150           text,             -- BT-150 Item price base quantity unit of measure code
  BT151           text,             -- BT-151 Invoiced item VAT category code (takes precedence over BT118)
  BT152           numeric,          -- BT-152 Invoiced item VAT rate
  BT153           text,             -- BT-153 Item name
  BT154           text,             -- BT-154 Item description
  BT155           text,             -- BT-155 Item seller's identifier
  BT156           text,             -- BT-156 Item buyer's identifier
  BT157           text,             -- BT-157 Item standard identifier
  BT157_scheme    text,             -- BT-157-1 Scheme of the item standard identifier (0160: GTIN)
  BT158           text,             -- BT-158 Item classification identifier
  BT158_scheme    text,             -- BT-158-1 Item classification list identifier (UNTDID 7143)
  BT158_version   text,             -- BT-158-2 Item classification list version
  BT159           text,             -- BT-159 Item country of origin
  BT160           text,             -- BT-160 Item attribute name
  BT161           text,             -- BT-161 Item attribute value
  PRIMARY KEY (BT1, RowNo)
);

CREATE OR REPLACE VIEW xRechnung AS
  SELECT * FROM VorlageXRechnung ORDER BY BT1, RowNo;

CREATE TABLE IF NOT EXISTS tblDocuments (
  ID         integer GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,
  DocType    text,                -- AU: written invoice, IN: read invoice
  Number     text,                -- invoice number
  BinaryFile bytea,               -- the file's bytes
  FileName   text,
  FileType   text,                -- last three characters of the name
  FileSize   integer,             -- bytes
  CreatedAt  timestamp NOT NULL DEFAULT CURRENT_TIMESTAMP
);
CREATE INDEX IF NOT EXISTS tblDocuments_Number ON tblDocuments (Number);

COMMIT;
