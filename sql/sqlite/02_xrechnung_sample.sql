-- Five sample invoices for the tables of 01_xrechnung_tables.sql (SQLite).
-- Rows that already exist (same BT1 and RowNo) are kept.
-- Load: sqlite3 your.sqlite < 02_xrechnung_sample.sql
--
-- Each invoice: its first line row (RowNo 1) with the document-level columns,
-- its further line rows, and one row per further entry of a repeated group
-- (RowKind NOTE, PAYMENT, ALLOWANCE, CHARGE, LINEALLOWANCE, ATTRIBUTE, ...).
-- The same text, but for these header lines, is postgresql/02_xrechnung_sample.sql.

BEGIN;

-- 252068: building services for a municipality, 19 % and 7 %, two notes,
-- credit transfer (58).
INSERT INTO VorlageXRechnung
  (RowNo, BT1, BT2, BT3, BT9, BT10, BT11, BT12, BT13, BT20, BT21, BT22, BT23, BT24,
   BT27, BT31, BT34, BT35, BT37, BT38, BT40, BT41, BT42, BT43,
   BT44, BT48, BT49, BT50, BT52, BT53, BT55, BT56, BT57, BT58, BT72,
   BT81, BT82, BT83, BT84, BT85, BT86,
   BT109, BT110, BT112, BT113, BT114, BT115,
   BT126, BT153, BT154, BT155, BT129, BT130, BT146, BT131, BT118, BT152)
VALUES
  (1, '252068', '2025-03-14', '380', '2025-03-28', '09876000-2024A-81', 'PRJ-RH-2025-03',
   'RV-2023-118', 'BA-2025-0042', 'Zahlbar innerhalb von 14 Tagen bis zum 28.03.2025 ohne Abzug.',
   'AAI', 'Vielen Dank für Ihren Auftrag.',
   'urn:fdc:peppol.eu:2017:poacc:billing:01:1.0',
   'urn:cen.eu:en16931:2017#compliant#urn:xeinkauf.de:kosit:xrechnung_3.0',
   'Hansen & Krüger Gebäudetechnik GmbH', 'DE273415820', 'rechnung@hansen-krueger.example',
   'Hafenstraße 12', 'Bremen', '28217', 'DE', 'Jana Petersen', '+49 421 98765-30',
   'j.petersen@hansen-krueger.example',
   'Stadt Musterstadt, Amt für Gebäudewirtschaft', 'DE817469037', 'e-rechnung@musterstadt.example',
   'Rathausplatz 1', 'Musterstadt', '35390', 'DE', 'Thomas Weber', '+49 641 306-2214',
   't.weber@musterstadt.example', '2025-03-10',
   '58', 'Überweisung', 'RG 252068', 'DE21290501010001234567',
   'Hansen & Krüger Gebäudetechnik GmbH', 'SBREDE22XXX',
   933.65, 167.84, 1101.49, 0, 0, 1101.49,
   '1', 'Monteurstunden Heizungstechnik', 'Austausch Heizkreispumpe und Druckprobe, Haus B',
   'L-MON-01', 6.5, 'HUR', 78.50, 510.25, 'S', 19)
ON CONFLICT (BT1, RowNo) DO NOTHING;
INSERT INTO VorlageXRechnung
  (RowNo, BT1, BT126, BT153, BT154, BT155, BT129, BT130, BT146, BT131, BT118, BT152)
VALUES
  (2, '252068', '2', 'Thermostatkopf Klick M30x1,5', 'Heizkörperthermostat mit Nullstellung',
   'TK-3015', 12, 'H87', 24.90, 298.80, 'S', 19),
  (3, '252068', '3', 'Fachbuch Trinkwasserhygiene', 'Leitfaden für Betreiber, 3. Auflage 2024',
   'B-TWH-24', 2, 'H87', 39.80, 79.60, 'S', 7),
  (4, '252068', '4', 'Anfahrtspauschale', 'Anfahrt Zone 2 (bis 50 km)',
   'AF-Z2', 1, 'C62', 45.00, 45.00, 'S', 19)
ON CONFLICT (BT1, RowNo) DO NOTHING;
INSERT INTO VorlageXRechnung (RowNo, RowKind, BT1, BT21, BT22)
VALUES
  (5, 'NOTE', '252068', 'AAI', 'Die Arbeiten wurden am 10.03.2025 im Rathaus, Haus B, ausgeführt.')
ON CONFLICT (BT1, RowNo) DO NOTHING;

-- 252069: maintenance contract of a bakery, SEPA direct debit (59) with
-- creditor identifier and mandate.
INSERT INTO VorlageXRechnung
  (RowNo, BT1, BT2, BT3, BT9, BT10, BT12, BT20, BT21, BT22, BT23, BT24,
   BT27, BT31, BT34, BT35, BT37, BT38, BT40, BT41, BT42, BT43,
   BT44, BT48, BT49, BT50, BT52, BT53, BT55, BT56, BT57, BT58, BT72,
   BT81, BT82, BT83, BT89, BT90, BT91,
   BT109, BT110, BT112, BT113, BT114, BT115,
   BT126, BT153, BT154, BT155, BT129, BT130, BT146, BT131, BT118, BT152)
VALUES
  (1, '252069', '2025-03-17', '380', '2025-03-31', 'K-10457', 'WV-2022-031',
   'Der Rechnungsbetrag wird am 31.03.2025 per SEPA-Basislastschrift eingezogen.',
   'AAI', 'Wartung gemäß Wartungsvertrag WV-2022-031, Monat März 2025.',
   'urn:fdc:peppol.eu:2017:poacc:billing:01:1.0',
   'urn:cen.eu:en16931:2017#compliant#urn:xeinkauf.de:kosit:xrechnung_3.0',
   'Hansen & Krüger Gebäudetechnik GmbH', 'DE273415820', 'rechnung@hansen-krueger.example',
   'Hafenstraße 12', 'Bremen', '28217', 'DE', 'Jana Petersen', '+49 421 98765-30',
   'j.petersen@hansen-krueger.example',
   'Bäckerei Sonnenschein GmbH & Co. KG', 'DE129622101',
   'buchhaltung@baeckerei-sonnenschein.example', 'Mühlenweg 7', 'Delmenhorst', '27749', 'DE',
   'Petra Sonnenschein', '+49 4221 55 40 12', 'p.sonnenschein@baeckerei-sonnenschein.example',
   '2025-03-12',
   '59', 'SEPA-Basislastschrift', 'RG 252069', 'SON-2022-0031', 'DE17ZZZ04711234567',
   'DE75250501800009912345',
   258.80, 49.17, 307.97, 0, 0, 307.97,
   '1', 'Wartungspauschale Kälteanlage', 'Monatliche Pauschale laut Wartungsvertrag, März 2025',
   'WV-KA-M', 1, 'MON', 189.00, 189.00, 'S', 19)
ON CONFLICT (BT1, RowNo) DO NOTHING;
INSERT INTO VorlageXRechnung
  (RowNo, BT1, BT126, BT153, BT154, BT155, BT129, BT130, BT146, BT131, BT118, BT152)
VALUES
  (2, '252069', '2', 'Filterwechsel Lüftungsanlage', 'Taschenfilter F7, 592 x 592 mm, inkl. Entsorgung',
   'FI-F7-592', 4, 'H87', 17.45, 69.80, 'S', 19)
ON CONFLICT (BT1, RowNo) DO NOTHING;

-- 252070: final invoice after an advance invoice (252031, 500.00 paid) with
-- a 5 % discount on the smoke detectors as a document allowance (reason
-- code 95).
INSERT INTO VorlageXRechnung
  (RowNo, BT1, BT2, BT3, BT9, BT10, BT11, BT12, BT13, BT20, BT21, BT22, BT23, BT24, BT25,
   BT27, BT31, BT34, BT35, BT37, BT38, BT40, BT41, BT42, BT43,
   BT44, BT48, BT49, BT50, BT52, BT53, BT55, BT56, BT57, BT58, BT72,
   BT81, BT82, BT83, BT84, BT85, BT86,
   BT109, BT110, BT112, BT113, BT114, BT115,
   BT126, BT153, BT154, BT155, BT129, BT130, BT146, BT131, BT118, BT152)
VALUES
  (1, '252070', '2025-03-20', '380', '2025-04-19', '09876000-2024A-81', 'PRJ-RWM-2025',
   'RV-2023-118', 'BA-2025-0057', 'Zahlbar innerhalb von 30 Tagen bis zum 19.04.2025 ohne Abzug.',
   'AAI',
   'Schlussrechnung zur Abschlagsrechnung 252031 (Rauchwarnmelder Grundschule Am Park).',
   'urn:fdc:peppol.eu:2017:poacc:billing:01:1.0',
   'urn:cen.eu:en16931:2017#compliant#urn:xeinkauf.de:kosit:xrechnung_3.0', '252031',
   'Hansen & Krüger Gebäudetechnik GmbH', 'DE273415820', 'rechnung@hansen-krueger.example',
   'Hafenstraße 12', 'Bremen', '28217', 'DE', 'Jana Petersen', '+49 421 98765-30',
   'j.petersen@hansen-krueger.example',
   'Stadt Musterstadt, Amt für Gebäudewirtschaft', 'DE817469037', 'e-rechnung@musterstadt.example',
   'Rathausplatz 1', 'Musterstadt', '35390', 'DE', 'Thomas Weber', '+49 641 306-2214',
   't.weber@musterstadt.example', '2025-03-18',
   '58', 'Überweisung', 'RG 252070', 'DE21290501010001234567',
   'Hansen & Krüger Gebäudetechnik GmbH', 'SBREDE22XXX',
   1531.00, 281.29, 1812.29, 500.00, 0, 1312.29,
   '1', 'Rauchwarnmelder Q-Funk', 'Funk-Rauchwarnmelder nach DIN 14676, 10-Jahres-Batterie',
   'RWM-QF10', 40, 'H87', 24.50, 980.00, 'S', 19)
ON CONFLICT (BT1, RowNo) DO NOTHING;
INSERT INTO VorlageXRechnung
  (RowNo, BT1, BT126, BT153, BT154, BT155, BT129, BT130, BT146, BT131, BT118, BT152)
VALUES
  (2, '252070', '2', 'Montage Rauchwarnmelder', 'Montage und Inbetriebnahme, Dokumentation je Raum',
   'L-MON-RWM', 8, 'HUR', 65.00, 520.00, 'S', 19),
  (3, '252070', '3', 'Broschüre Brandschutz im Schulalltag',
   'Gedruckte Informationsbroschüre für Lehrkräfte', 'B-BS-SCH', 25, 'H87', 3.20, 80.00, 'S', 7)
ON CONFLICT (BT1, RowNo) DO NOTHING;
INSERT INTO VorlageXRechnung (RowNo, RowKind, BT1, BT92, BT93, BT94, BT95, BT96, BT97, BT98)
VALUES
  (4, 'ALLOWANCE', '252070', 49.00, 980.00, 5, 'S', 19, 'Rabatt 5 % auf Rauchwarnmelder', '95')
ON CONFLICT (BT1, RowNo) DO NOTHING;

-- 252071: on-call service for March 2025 as a billing period without a
-- delivery date, credit transfer (30).
INSERT INTO VorlageXRechnung
  (RowNo, BT1, BT2, BT3, BT9, BT10, BT12, BT13, BT20, BT21, BT22, BT23, BT24,
   BT27, BT31, BT34, BT35, BT37, BT38, BT40, BT41, BT42, BT43,
   BT44, BT48, BT49, BT50, BT52, BT53, BT55, BT56, BT57, BT58, BT73, BT74,
   BT81, BT82, BT83, BT84, BT85, BT86,
   BT109, BT110, BT112, BT113, BT114, BT115,
   BT126, BT153, BT154, BT155, BT129, BT130, BT146, BT131, BT118, BT152)
VALUES
  (1, '252071', '2025-04-01', '380', '2025-04-15', '09876000-2024A-81', 'RV-2024-007',
   'BA-2024-0311', 'Zahlbar innerhalb von 14 Tagen bis zum 15.04.2025 ohne Abzug.',
   'AAI', 'Bereitschaftsdienst Haustechnik, Leistungszeitraum März 2025.',
   'urn:fdc:peppol.eu:2017:poacc:billing:01:1.0',
   'urn:cen.eu:en16931:2017#compliant#urn:xeinkauf.de:kosit:xrechnung_3.0',
   'Hansen & Krüger Gebäudetechnik GmbH', 'DE273415820', 'rechnung@hansen-krueger.example',
   'Hafenstraße 12', 'Bremen', '28217', 'DE', 'Jana Petersen', '+49 421 98765-30',
   'j.petersen@hansen-krueger.example',
   'Stadt Musterstadt, Amt für Gebäudewirtschaft', 'DE817469037', 'e-rechnung@musterstadt.example',
   'Rathausplatz 1', 'Musterstadt', '35390', 'DE', 'Thomas Weber', '+49 641 306-2214',
   't.weber@musterstadt.example', '2025-03-01', '2025-03-31',
   '30', 'Überweisung', 'RG 252071', 'DE21290501010001234567',
   'Hansen & Krüger Gebäudetechnik GmbH', 'SBREDE22XXX',
   987.47, 187.62, 1175.09, 0, 0, 1175.09,
   '1', 'Bereitschaftspauschale', 'Rufbereitschaft 24/7 für Heizung, Lüftung und Sanitär',
   'BD-PAUSCH', 1, 'MON', 650.00, 650.00, 'S', 19)
ON CONFLICT (BT1, RowNo) DO NOTHING;
INSERT INTO VorlageXRechnung
  (RowNo, BT1, BT126, BT153, BT154, BT155, BT129, BT130, BT146, BT131, BT118, BT152)
VALUES
  (2, '252071', '2', 'Notdiensteinsätze', 'Einsätze am 08.03., 15.03. und 27.03.2025 laut Nachweis',
   'L-NOT-01', 3.25, 'HUR', 92.00, 299.00, 'S', 19),
  (3, '252071', '3', 'Kleinmaterial', 'Dichtungen, Befestigungsmaterial, Verbrauchsmaterial',
   'KM-PAUSCH', 1, 'C62', 38.47, 38.47, 'S', 19)
ON CONFLICT (BT1, RowNo) DO NOTHING;

-- 252072: a heat pump delivered to a hotel in Austria and installed there,
-- invoiced in Swiss francs (VAT accounting currency EUR): the pump as an
-- intra-community supply (K) with a project discount on its line and two
-- item attributes, the installation under reverse charge (AE), the
-- commissioning report at 19 %, freight as a document charge, three notes,
-- a deliver-to address, two accounts to pay to (one payment means code, as
-- CII allows) and a referenced site plan.
INSERT INTO VorlageXRechnung
  (RowNo, BT1, BT2, BT3, BT5, BT6, BT9, BT10, BT13, BT14, BT20, BT21, BT22, BT23, BT24,
   BT27, BT31, BT34, BT35, BT37, BT38, BT40, BT41, BT42, BT43,
   BT44, BT48, BT49, BT50, BT52, BT53, BT55, BT56, BT57, BT58,
   BT70, BT72, BT75, BT77, BT78, BT80,
   BT81, BT82, BT83, BT84, BT85, BT86,
   BT109, BT110, BT111, BT112, BT115,
   BT126, BT153, BT154, BT155, BT129, BT130, BT146, BT131, BT118, BT152, BT120, BT121)
VALUES
  (1, '252072', '2025-04-08', '380', 'CHF', 'EUR', '2025-05-08', 'ALP-2025-0412', 'BEST-7781',
   'AB-2025-118', 'Zahlbar innerhalb von 30 Tagen bis zum 08.05.2025 ohne Abzug.',
   'AAI', 'Lieferung und Montage einer Wärmepumpe gemäß Angebot A-2025-118.',
   'urn:fdc:peppol.eu:2017:poacc:billing:01:1.0',
   'urn:cen.eu:en16931:2017#compliant#urn:xeinkauf.de:kosit:xrechnung_3.0',
   'Hansen & Krüger Gebäudetechnik GmbH', 'DE273415820', 'rechnung@hansen-krueger.example',
   'Hafenstraße 12', 'Bremen', '28217', 'DE', 'Jana Petersen', '+49 421 98765-30',
   'j.petersen@hansen-krueger.example',
   'Hotel Alpenblick Betriebs GmbH', 'ATU12345675', 'einkauf@alpenblick.example',
   'Dorfstraße 21', 'Innsbruck', '6020', 'AT', 'Lisa Hofer', '+43 512 123456',
   'l.hofer@alpenblick.example',
   'Hotel Alpenblick, Technikzentrale', '2025-04-02', 'Seeweg 4', 'Seefeld in Tirol', '6100',
   'AT',
   '58', 'SEPA-Überweisung', 'RG 252072', 'DE21290501010001234567',
   'Hansen & Krüger Gebäudetechnik GmbH', 'SBREDE22XXX',
   9917.50, 22.80, 24.21, 9940.30, 9940.30,
   '1', 'Luft-Wasser-Wärmepumpe AW 12', 'Monoblock, 12 kW, Kältemittel R290', 'WP-AW12',
   1, 'H87', 8450.00, 8027.50, 'K', 0, 'Steuerfreie innergemeinschaftliche Lieferung',
   'VATEX-EU-IC')
ON CONFLICT (BT1, RowNo) DO NOTHING;
INSERT INTO VorlageXRechnung
  (RowNo, BT1, BT126, BT153, BT154, BT155, BT129, BT130, BT146, BT131, BT118, BT152, BT120,
   BT121)
VALUES
  (2, '252072', '2', 'Montage Wärmepumpe', 'Montage und Inbetriebnahme durch Fachpersonal',
   'L-MON-WP', 16, 'HUR', 95.00, 1520.00, 'AE', 0,
   'Steuerschuldnerschaft des Leistungsempfängers', 'VATEX-EU-AE'),
  (3, '252072', '3', 'Inbetriebnahmeprotokoll', 'Dokumentation und Einweisung des Personals',
   'DOK-WP', 1, 'C62', 120.00, 120.00, 'S', 19, NULL, NULL)
ON CONFLICT (BT1, RowNo) DO NOTHING;
INSERT INTO VorlageXRechnung (RowNo, RowKind, BT1, BT21, BT22)
VALUES
  (4, 'NOTE', '252072', 'TXD',
   'Steuerfreie innergemeinschaftliche Lieferung der Wärmepumpe nach § 4 Nr. 1 Buchst. b UStG.'),
  (5, 'NOTE', '252072', 'REG',
   'Für die Montageleistung schuldet der Leistungsempfänger die Steuer (Reverse Charge).')
ON CONFLICT (BT1, RowNo) DO NOTHING;
INSERT INTO VorlageXRechnung (RowNo, RowKind, BT1, BT81, BT82, BT84, BT85, BT86)
VALUES
  (6, 'PAYMENT', '252072', '58', 'SEPA-Überweisung', 'CH9300762011623852957',
   'Hansen & Krüger Gebäudetechnik GmbH', 'UBSWCHZH80A')
ON CONFLICT (BT1, RowNo) DO NOTHING;
INSERT INTO VorlageXRechnung (RowNo, RowKind, BT1, BT99, BT102, BT103, BT104, BT105)
VALUES
  (7, 'CHARGE', '252072', 250.00, 'K', 0, 'Fracht und Verpackung', 'FC')
ON CONFLICT (BT1, RowNo) DO NOTHING;
INSERT INTO VorlageXRechnung (RowNo, RowKind, BT1, BT126, BT136, BT137, BT138, BT139, BT140)
VALUES
  (8, 'LINEALLOWANCE', '252072', '1', 422.50, 8450.00, 5, 'Projektrabatt', '95')
ON CONFLICT (BT1, RowNo) DO NOTHING;
INSERT INTO VorlageXRechnung (RowNo, RowKind, BT1, BT126, BT160, BT161)
VALUES
  (9, 'ATTRIBUTE', '252072', '1', 'Heizleistung', '12 kW'),
  (10, 'ATTRIBUTE', '252072', '1', 'Kältemittel', 'R290')
ON CONFLICT (BT1, RowNo) DO NOTHING;
INSERT INTO VorlageXRechnung (RowNo, RowKind, BT1, BT122, BT123, BT124)
VALUES
  (11, 'ATTACHMENT', '252072', 'Lageplan-Technikzentrale', 'Lageplan der Technikzentrale',
   'https://www.hansen-krueger.example/projekte/252072/lageplan.pdf')
ON CONFLICT (BT1, RowNo) DO NOTHING;

COMMIT;
