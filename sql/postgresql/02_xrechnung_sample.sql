-- Four sample invoices for the tables of 01_xrechnung_tables.sql (PostgreSQL).
-- Rows that already exist (same BT1 and BT126) are kept.
-- Load: psql -v ON_ERROR_STOP=1 -d yourdb -f 02_xrechnung_sample.sql

BEGIN;

-- Sample invoices. Each INSERT takes the document-level values from "head"
-- and adds one row per entry of "lines".

-- 252068: building services for a municipality, 19 % and 7 %, two notes,
-- credit transfer (58).
WITH head AS (
  SELECT '252068' AS BT1, DATE '2025-03-14' AS BT2, '380' AS BT3, DATE '2025-03-28' AS BT9,
         '09876000-2024A-81' AS BT10, 'PRJ-RH-2025-03' AS BT11, 'RV-2023-118' AS BT12,
         'BA-2025-0042' AS BT13,
         'Zahlbar innerhalb von 14 Tagen bis zum 28.03.2025 ohne Abzug.' AS BT20,
         'AAI' AS BT21,
         'Vielen Dank für Ihren Auftrag.' || chr(13) || chr(10) ||
           'Die Arbeiten wurden am 10.03.2025 im Rathaus, Haus B, ausgeführt.' AS BT22,
         'urn:fdc:peppol.eu:2017:poacc:billing:01:1.0' AS BT23,
         'urn:cen.eu:en16931:2017#compliant#urn:xeinkauf.de:kosit:xrechnung_3.0' AS BT24,
         NULL AS BT25,
         'Hansen & Krüger Gebäudetechnik GmbH' AS BT27, 'DE273415820' AS BT31,
         'rechnung@hansen-krueger.example' AS BT34, 'Hafenstraße 12' AS BT35, 'Bremen' AS BT37,
         '28217' AS BT38, 'DE' AS BT40, 'Jana Petersen' AS BT41, '+49 421 98765-30' AS BT42,
         'j.petersen@hansen-krueger.example' AS BT43,
         'Stadt Musterstadt, Amt für Gebäudewirtschaft' AS BT44, 'DE817469037' AS BT48,
         'e-rechnung@musterstadt.example' AS BT49, 'Rathausplatz 1' AS BT50,
         'Musterstadt' AS BT52, '35390' AS BT53, 'DE' AS BT55, 'Thomas Weber' AS BT56,
         '+49 641 306-2214' AS BT57, 't.weber@musterstadt.example' AS BT58,
         DATE '2025-03-10' AS BT72, NULL::date AS BT73, NULL::date AS BT74,
         '58' AS BT81, 'Überweisung' AS BT82, 'RG 252068' AS BT83,
         'DE21290501010001234567' AS BT84, 'Hansen & Krüger Gebäudetechnik GmbH' AS BT85,
         'SBREDE22XXX' AS BT86, NULL AS BT87, NULL AS BT88, NULL AS BT89, NULL AS BT90,
         NULL AS BT91,
         933.65 AS BT109, 167.84 AS BT110, 1101.49 AS BT112, 0 AS BT113, 0 AS BT114,
         1101.49 AS BT115
),
lines (BT126, BT153, BT154, BT155, BT129, BT130, BT146, BT131, BT152, BT118, BT116,
       BT92, BT93, BT94, BT95, BT96, BT97, BT98) AS (
  VALUES
  (1, 'Monteurstunden Heizungstechnik', 'Austausch Heizkreispumpe und Druckprobe, Haus B',
   'L-MON-01', 6.5, 'HUR', 78.50, 510.25, 19, 'S', 854.05,
   NULL::numeric, NULL::numeric, NULL::numeric, NULL::text, NULL::numeric, NULL::text, NULL::text),
  (2, 'Thermostatkopf Klick M30x1,5', 'Heizkörperthermostat mit Nullstellung',
   'TK-3015', 12, 'H87', 24.90, 298.80, 19, 'S', 854.05,
   NULL, NULL, NULL, NULL, NULL, NULL, NULL),
  (3, 'Fachbuch Trinkwasserhygiene', 'Leitfaden für Betreiber, 3. Auflage 2024',
   'B-TWH-24', 2, 'H87', 39.80, 79.60, 7, 'S', 79.60,
   NULL, NULL, NULL, NULL, NULL, NULL, NULL),
  (4, 'Anfahrtspauschale', 'Anfahrt Zone 2 (bis 50 km)',
   'AF-Z2', 1, 'C62', 45.00, 45.00, 19, 'S', 854.05,
   NULL, NULL, NULL, NULL, NULL, NULL, NULL)
)
INSERT INTO VorlageXRechnung
  (BT1, BT2, BT3, BT9, BT10, BT11, BT12, BT13, BT20, BT21, BT22, BT23, BT24, BT25,
   BT27, BT31, BT34, BT35, BT37, BT38, BT40, BT41, BT42, BT43,
   BT44, BT48, BT49, BT50, BT52, BT53, BT55, BT56, BT57, BT58,
   BT72, BT73, BT74, BT81, BT82, BT83, BT84, BT85, BT86, BT87, BT88, BT89, BT90, BT91,
   BT92, BT93, BT94, BT95, BT96, BT97, BT98, BT99, BT100, BT101, BT102,
   BT109, BT110, BT112, BT113, BT114, BT115, BT116,
   BT118, BT126, BT129, BT130, BT131, BT146, BT152, BT153, BT154, BT155)
SELECT h.BT1, h.BT2, h.BT3, h.BT9, h.BT10, h.BT11, h.BT12, h.BT13, h.BT20, h.BT21, h.BT22,
       h.BT23, h.BT24, h.BT25,
       h.BT27, h.BT31, h.BT34, h.BT35, h.BT37, h.BT38, h.BT40, h.BT41, h.BT42, h.BT43,
       h.BT44, h.BT48, h.BT49, h.BT50, h.BT52, h.BT53, h.BT55, h.BT56, h.BT57, h.BT58,
       h.BT72, h.BT73, h.BT74, h.BT81, h.BT82, h.BT83, h.BT84, h.BT85, h.BT86, h.BT87, h.BT88,
       h.BT89, h.BT90, h.BT91,
       l.BT92, l.BT93, l.BT94, l.BT95, l.BT96, l.BT97, l.BT98, NULL, NULL, NULL, NULL,
       h.BT109, h.BT110, h.BT112, h.BT113, h.BT114, h.BT115, l.BT116,
       l.BT118, l.BT126, l.BT129, l.BT130, l.BT131, l.BT146, l.BT152, l.BT153, l.BT154, l.BT155
FROM head h CROSS JOIN lines l ORDER BY l.BT126
ON CONFLICT (BT1, BT126) DO NOTHING;

-- 252069: maintenance contract of a bakery, SEPA direct debit (59) with
-- creditor identifier and mandate.
WITH head AS (
  SELECT '252069' AS BT1, DATE '2025-03-17' AS BT2, '380' AS BT3, DATE '2025-03-31' AS BT9,
         'K-10457' AS BT10, NULL AS BT11, 'WV-2022-031' AS BT12, NULL AS BT13,
         'Der Rechnungsbetrag wird am 31.03.2025 per SEPA-Basislastschrift eingezogen.' AS BT20,
         'AAI' AS BT21, 'Wartung gemäß Wartungsvertrag WV-2022-031, Monat März 2025.' AS BT22,
         'urn:fdc:peppol.eu:2017:poacc:billing:01:1.0' AS BT23,
         'urn:cen.eu:en16931:2017#compliant#urn:xeinkauf.de:kosit:xrechnung_3.0' AS BT24,
         NULL AS BT25,
         'Hansen & Krüger Gebäudetechnik GmbH' AS BT27, 'DE273415820' AS BT31,
         'rechnung@hansen-krueger.example' AS BT34, 'Hafenstraße 12' AS BT35, 'Bremen' AS BT37,
         '28217' AS BT38, 'DE' AS BT40, 'Jana Petersen' AS BT41, '+49 421 98765-30' AS BT42,
         'j.petersen@hansen-krueger.example' AS BT43,
         'Bäckerei Sonnenschein GmbH & Co. KG' AS BT44, 'DE129622101' AS BT48,
         'buchhaltung@baeckerei-sonnenschein.example' AS BT49, 'Mühlenweg 7' AS BT50,
         'Delmenhorst' AS BT52, '27749' AS BT53, 'DE' AS BT55, 'Petra Sonnenschein' AS BT56,
         '+49 4221 55 40 12' AS BT57, 'p.sonnenschein@baeckerei-sonnenschein.example' AS BT58,
         DATE '2025-03-12' AS BT72, NULL::date AS BT73, NULL::date AS BT74,
         '59' AS BT81, 'SEPA-Basislastschrift' AS BT82, 'RG 252069' AS BT83,
         'DE21290501010001234567' AS BT84, 'Hansen & Krüger Gebäudetechnik GmbH' AS BT85,
         'SBREDE22XXX' AS BT86, NULL AS BT87, NULL AS BT88, 'SON-2022-0031' AS BT89,
         'DE17ZZZ04711234567' AS BT90, 'DE75250501800009912345' AS BT91,
         258.80 AS BT109, 49.17 AS BT110, 307.97 AS BT112, 0 AS BT113, 0 AS BT114,
         307.97 AS BT115
),
lines (BT126, BT153, BT154, BT155, BT129, BT130, BT146, BT131, BT152, BT118, BT116,
       BT92, BT93, BT94, BT95, BT96, BT97, BT98) AS (
  VALUES
  (1, 'Wartungspauschale Kälteanlage', 'Monatliche Pauschale laut Wartungsvertrag, März 2025',
   'WV-KA-M', 1, 'MON', 189.00, 189.00, 19, 'S', 258.80,
   NULL::numeric, NULL::numeric, NULL::numeric, NULL::text, NULL::numeric, NULL::text, NULL::text),
  (2, 'Filterwechsel Lüftungsanlage', 'Taschenfilter F7, 592 x 592 mm, inkl. Entsorgung',
   'FI-F7-592', 4, 'H87', 17.45, 69.80, 19, 'S', 258.80,
   NULL, NULL, NULL, NULL, NULL, NULL, NULL)
)
INSERT INTO VorlageXRechnung
  (BT1, BT2, BT3, BT9, BT10, BT11, BT12, BT13, BT20, BT21, BT22, BT23, BT24, BT25,
   BT27, BT31, BT34, BT35, BT37, BT38, BT40, BT41, BT42, BT43,
   BT44, BT48, BT49, BT50, BT52, BT53, BT55, BT56, BT57, BT58,
   BT72, BT73, BT74, BT81, BT82, BT83, BT84, BT85, BT86, BT87, BT88, BT89, BT90, BT91,
   BT92, BT93, BT94, BT95, BT96, BT97, BT98, BT99, BT100, BT101, BT102,
   BT109, BT110, BT112, BT113, BT114, BT115, BT116,
   BT118, BT126, BT129, BT130, BT131, BT146, BT152, BT153, BT154, BT155)
SELECT h.BT1, h.BT2, h.BT3, h.BT9, h.BT10, h.BT11, h.BT12, h.BT13, h.BT20, h.BT21, h.BT22,
       h.BT23, h.BT24, h.BT25,
       h.BT27, h.BT31, h.BT34, h.BT35, h.BT37, h.BT38, h.BT40, h.BT41, h.BT42, h.BT43,
       h.BT44, h.BT48, h.BT49, h.BT50, h.BT52, h.BT53, h.BT55, h.BT56, h.BT57, h.BT58,
       h.BT72, h.BT73, h.BT74, h.BT81, h.BT82, h.BT83, h.BT84, h.BT85, h.BT86, h.BT87, h.BT88,
       h.BT89, h.BT90, h.BT91,
       l.BT92, l.BT93, l.BT94, l.BT95, l.BT96, l.BT97, l.BT98, NULL, NULL, NULL, NULL,
       h.BT109, h.BT110, h.BT112, h.BT113, h.BT114, h.BT115, l.BT116,
       l.BT118, l.BT126, l.BT129, l.BT130, l.BT131, l.BT146, l.BT152, l.BT153, l.BT154, l.BT155
FROM head h CROSS JOIN lines l ORDER BY l.BT126
ON CONFLICT (BT1, BT126) DO NOTHING;

-- 252070: final invoice after an advance invoice (252031, 500.00 paid) with
-- a 5 % discount on the smoke detectors as a document allowance (reason
-- code 95), carried by the first line row.
WITH head AS (
  SELECT '252070' AS BT1, DATE '2025-03-20' AS BT2, '380' AS BT3, DATE '2025-04-19' AS BT9,
         '09876000-2024A-81' AS BT10, 'PRJ-RWM-2025' AS BT11, 'RV-2023-118' AS BT12,
         'BA-2025-0057' AS BT13,
         'Zahlbar innerhalb von 30 Tagen bis zum 19.04.2025 ohne Abzug.' AS BT20,
         'AAI' AS BT21,
         'Schlussrechnung zur Abschlagsrechnung 252031 (Rauchwarnmelder Grundschule Am Park).'
           AS BT22,
         'urn:fdc:peppol.eu:2017:poacc:billing:01:1.0' AS BT23,
         'urn:cen.eu:en16931:2017#compliant#urn:xeinkauf.de:kosit:xrechnung_3.0' AS BT24,
         '252031' AS BT25,
         'Hansen & Krüger Gebäudetechnik GmbH' AS BT27, 'DE273415820' AS BT31,
         'rechnung@hansen-krueger.example' AS BT34, 'Hafenstraße 12' AS BT35, 'Bremen' AS BT37,
         '28217' AS BT38, 'DE' AS BT40, 'Jana Petersen' AS BT41, '+49 421 98765-30' AS BT42,
         'j.petersen@hansen-krueger.example' AS BT43,
         'Stadt Musterstadt, Amt für Gebäudewirtschaft' AS BT44, 'DE817469037' AS BT48,
         'e-rechnung@musterstadt.example' AS BT49, 'Rathausplatz 1' AS BT50,
         'Musterstadt' AS BT52, '35390' AS BT53, 'DE' AS BT55, 'Thomas Weber' AS BT56,
         '+49 641 306-2214' AS BT57, 't.weber@musterstadt.example' AS BT58,
         DATE '2025-03-18' AS BT72, NULL::date AS BT73, NULL::date AS BT74,
         '58' AS BT81, 'Überweisung' AS BT82, 'RG 252070' AS BT83,
         'DE21290501010001234567' AS BT84, 'Hansen & Krüger Gebäudetechnik GmbH' AS BT85,
         'SBREDE22XXX' AS BT86, NULL AS BT87, NULL AS BT88, NULL AS BT89, NULL AS BT90,
         NULL AS BT91,
         1531.00 AS BT109, 281.29 AS BT110, 1812.29 AS BT112, 500.00 AS BT113, 0 AS BT114,
         1312.29 AS BT115
),
lines (BT126, BT153, BT154, BT155, BT129, BT130, BT146, BT131, BT152, BT118, BT116,
       BT92, BT93, BT94, BT95, BT96, BT97, BT98) AS (
  VALUES
  (1, 'Rauchwarnmelder Q-Funk', 'Funk-Rauchwarnmelder nach DIN 14676, 10-Jahres-Batterie',
   'RWM-QF10', 40, 'H87', 24.50, 980.00, 19, 'S', 1451.00,
   49.00, 980.00, 5, 'S', 19, 'Rabatt 5 % auf Rauchwarnmelder', '95'),
  (2, 'Montage Rauchwarnmelder', 'Montage und Inbetriebnahme, Dokumentation je Raum',
   'L-MON-RWM', 8, 'HUR', 65.00, 520.00, 19, 'S', 1451.00,
   NULL, NULL, NULL, NULL, NULL, NULL, NULL),
  (3, 'Broschüre Brandschutz im Schulalltag', 'Gedruckte Informationsbroschüre für Lehrkräfte',
   'B-BS-SCH', 25, 'H87', 3.20, 80.00, 7, 'S', 80.00,
   NULL, NULL, NULL, NULL, NULL, NULL, NULL)
)
INSERT INTO VorlageXRechnung
  (BT1, BT2, BT3, BT9, BT10, BT11, BT12, BT13, BT20, BT21, BT22, BT23, BT24, BT25,
   BT27, BT31, BT34, BT35, BT37, BT38, BT40, BT41, BT42, BT43,
   BT44, BT48, BT49, BT50, BT52, BT53, BT55, BT56, BT57, BT58,
   BT72, BT73, BT74, BT81, BT82, BT83, BT84, BT85, BT86, BT87, BT88, BT89, BT90, BT91,
   BT92, BT93, BT94, BT95, BT96, BT97, BT98, BT99, BT100, BT101, BT102,
   BT109, BT110, BT112, BT113, BT114, BT115, BT116,
   BT118, BT126, BT129, BT130, BT131, BT146, BT152, BT153, BT154, BT155)
SELECT h.BT1, h.BT2, h.BT3, h.BT9, h.BT10, h.BT11, h.BT12, h.BT13, h.BT20, h.BT21, h.BT22,
       h.BT23, h.BT24, h.BT25,
       h.BT27, h.BT31, h.BT34, h.BT35, h.BT37, h.BT38, h.BT40, h.BT41, h.BT42, h.BT43,
       h.BT44, h.BT48, h.BT49, h.BT50, h.BT52, h.BT53, h.BT55, h.BT56, h.BT57, h.BT58,
       h.BT72, h.BT73, h.BT74, h.BT81, h.BT82, h.BT83, h.BT84, h.BT85, h.BT86, h.BT87, h.BT88,
       h.BT89, h.BT90, h.BT91,
       l.BT92, l.BT93, l.BT94, l.BT95, l.BT96, l.BT97, l.BT98, NULL, NULL, NULL, NULL,
       h.BT109, h.BT110, h.BT112, h.BT113, h.BT114, h.BT115, l.BT116,
       l.BT118, l.BT126, l.BT129, l.BT130, l.BT131, l.BT146, l.BT152, l.BT153, l.BT154, l.BT155
FROM head h CROSS JOIN lines l ORDER BY l.BT126
ON CONFLICT (BT1, BT126) DO NOTHING;

-- 252071: on-call service for March 2025 as a billing period without a
-- delivery date, credit transfer (30).
WITH head AS (
  SELECT '252071' AS BT1, DATE '2025-04-01' AS BT2, '380' AS BT3, DATE '2025-04-15' AS BT9,
         '09876000-2024A-81' AS BT10, NULL AS BT11, 'RV-2024-007' AS BT12,
         'BA-2024-0311' AS BT13,
         'Zahlbar innerhalb von 14 Tagen bis zum 15.04.2025 ohne Abzug.' AS BT20,
         'AAI' AS BT21, 'Bereitschaftsdienst Haustechnik, Leistungszeitraum März 2025.' AS BT22,
         'urn:fdc:peppol.eu:2017:poacc:billing:01:1.0' AS BT23,
         'urn:cen.eu:en16931:2017#compliant#urn:xeinkauf.de:kosit:xrechnung_3.0' AS BT24,
         NULL AS BT25,
         'Hansen & Krüger Gebäudetechnik GmbH' AS BT27, 'DE273415820' AS BT31,
         'rechnung@hansen-krueger.example' AS BT34, 'Hafenstraße 12' AS BT35, 'Bremen' AS BT37,
         '28217' AS BT38, 'DE' AS BT40, 'Jana Petersen' AS BT41, '+49 421 98765-30' AS BT42,
         'j.petersen@hansen-krueger.example' AS BT43,
         'Stadt Musterstadt, Amt für Gebäudewirtschaft' AS BT44, 'DE817469037' AS BT48,
         'e-rechnung@musterstadt.example' AS BT49, 'Rathausplatz 1' AS BT50,
         'Musterstadt' AS BT52, '35390' AS BT53, 'DE' AS BT55, 'Thomas Weber' AS BT56,
         '+49 641 306-2214' AS BT57, 't.weber@musterstadt.example' AS BT58,
         NULL::date AS BT72, DATE '2025-03-01' AS BT73, DATE '2025-03-31' AS BT74,
         '30' AS BT81, 'Überweisung' AS BT82, 'RG 252071' AS BT83,
         'DE21290501010001234567' AS BT84, 'Hansen & Krüger Gebäudetechnik GmbH' AS BT85,
         'SBREDE22XXX' AS BT86, NULL AS BT87, NULL AS BT88, NULL AS BT89, NULL AS BT90,
         NULL AS BT91,
         987.47 AS BT109, 187.62 AS BT110, 1175.09 AS BT112, 0 AS BT113, 0 AS BT114,
         1175.09 AS BT115
),
lines (BT126, BT153, BT154, BT155, BT129, BT130, BT146, BT131, BT152, BT118, BT116,
       BT92, BT93, BT94, BT95, BT96, BT97, BT98) AS (
  VALUES
  (1, 'Bereitschaftspauschale', 'Rufbereitschaft 24/7 für Heizung, Lüftung und Sanitär',
   'BD-PAUSCH', 1, 'MON', 650.00, 650.00, 19, 'S', 987.47,
   NULL::numeric, NULL::numeric, NULL::numeric, NULL::text, NULL::numeric, NULL::text, NULL::text),
  (2, 'Notdiensteinsätze', 'Einsätze am 08.03., 15.03. und 27.03.2025 laut Nachweis',
   'L-NOT-01', 3.25, 'HUR', 92.00, 299.00, 19, 'S', 987.47,
   NULL, NULL, NULL, NULL, NULL, NULL, NULL),
  (3, 'Kleinmaterial', 'Dichtungen, Befestigungsmaterial, Verbrauchsmaterial',
   'KM-PAUSCH', 1, 'C62', 38.47, 38.47, 19, 'S', 987.47,
   NULL, NULL, NULL, NULL, NULL, NULL, NULL)
)
INSERT INTO VorlageXRechnung
  (BT1, BT2, BT3, BT9, BT10, BT11, BT12, BT13, BT20, BT21, BT22, BT23, BT24, BT25,
   BT27, BT31, BT34, BT35, BT37, BT38, BT40, BT41, BT42, BT43,
   BT44, BT48, BT49, BT50, BT52, BT53, BT55, BT56, BT57, BT58,
   BT72, BT73, BT74, BT81, BT82, BT83, BT84, BT85, BT86, BT87, BT88, BT89, BT90, BT91,
   BT92, BT93, BT94, BT95, BT96, BT97, BT98, BT99, BT100, BT101, BT102,
   BT109, BT110, BT112, BT113, BT114, BT115, BT116,
   BT118, BT126, BT129, BT130, BT131, BT146, BT152, BT153, BT154, BT155)
SELECT h.BT1, h.BT2, h.BT3, h.BT9, h.BT10, h.BT11, h.BT12, h.BT13, h.BT20, h.BT21, h.BT22,
       h.BT23, h.BT24, h.BT25,
       h.BT27, h.BT31, h.BT34, h.BT35, h.BT37, h.BT38, h.BT40, h.BT41, h.BT42, h.BT43,
       h.BT44, h.BT48, h.BT49, h.BT50, h.BT52, h.BT53, h.BT55, h.BT56, h.BT57, h.BT58,
       h.BT72, h.BT73, h.BT74, h.BT81, h.BT82, h.BT83, h.BT84, h.BT85, h.BT86, h.BT87, h.BT88,
       h.BT89, h.BT90, h.BT91,
       l.BT92, l.BT93, l.BT94, l.BT95, l.BT96, l.BT97, l.BT98, NULL, NULL, NULL, NULL,
       h.BT109, h.BT110, h.BT112, h.BT113, h.BT114, h.BT115, l.BT116,
       l.BT118, l.BT126, l.BT129, l.BT130, l.BT131, l.BT146, l.BT152, l.BT153, l.BT154, l.BT155
FROM head h CROSS JOIN lines l ORDER BY l.BT126
ON CONFLICT (BT1, BT126) DO NOTHING;

COMMIT;
