-- Line 1 twice, exemption reasons of category E from two rows, and an
-- allowance giving category K a reason other than line 2's.
CREATE TABLE Source (RowKind TEXT, BT1 TEXT, BT118 TEXT, BT120 TEXT, BT121 TEXT, BT126 TEXT, BT92 DECIMAL, BT95 TEXT, BT160 TEXT);
INSERT INTO Source VALUES (NULL, 'R', 'E', 'Steuerfrei', NULL, '1', NULL, NULL, NULL);
INSERT INTO Source VALUES (NULL, 'R', 'E', NULL, 'VATEX-EU-132', '1', NULL, NULL, NULL);
INSERT INTO Source VALUES (NULL, 'R', 'K', 'IG Lieferung', NULL, '2', NULL, NULL, NULL);
INSERT INTO Source VALUES ('ALLOWANCE', 'R', NULL, 'Andere', NULL, NULL, 5, 'K', NULL);
INSERT INTO Source VALUES ('ATTRIBUTE', 'R', NULL, NULL, NULL, '1', NULL, NULL, 'Farbe');
INSERT INTO Source VALUES ('attribute', 'R', NULL, NULL, NULL, '2', NULL, NULL, 'Größe');
