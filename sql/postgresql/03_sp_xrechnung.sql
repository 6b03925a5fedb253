-- Stored-procedure source for PostgreSQL: sp_XRechnung(p) returns the rows of
-- the view xRechnung for invoice p in their order (RowNo): its lines and the
-- rows of its repeated groups. Without an invoice number (NULL, as the
-- library calls it when no selector is given) it returns the invoice with the
-- lowest number, so that a document never mixes the rows of several invoices.
--
-- The library calls it with the source query "exec sp_XRechnung" and the
-- invoice number as selector (through ODBC: {call sp_XRechnung(?)}).
-- Load after 01_xrechnung_tables.sql:
--   psql -v ON_ERROR_STOP=1 -d yourdb -f 03_sp_xrechnung.sql

CREATE OR REPLACE FUNCTION sp_XRechnung(p text DEFAULT NULL)
RETURNS SETOF xRechnung
LANGUAGE plpgsql STABLE
AS $$
BEGIN
  IF p IS NULL THEN
    RETURN QUERY
      SELECT * FROM xRechnung
      WHERE BT1 = (SELECT min(BT1) FROM xRechnung)
      ORDER BY RowNo;
  ELSE
    RETURN QUERY
      SELECT * FROM xRechnung WHERE BT1 = p ORDER BY RowNo;
  END IF;
END;
$$;
