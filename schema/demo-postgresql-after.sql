-- After the demo rows were inserted with explicit keys: let the identity columns continue
-- above the highest key in use.
SELECT setval(pg_get_serial_sequence('sale', 'codice'), (SELECT COALESCE(MAX(codice), 0) + 1 FROM sale), false);
SELECT setval(pg_get_serial_sequence('tavoli', 'codice'), (SELECT COALESCE(MAX(codice), 0) + 1 FROM tavoli), false);
SELECT setval(pg_get_serial_sequence('dettagliotavoli', 'id'), (SELECT COALESCE(MAX(id), 0) + 1 FROM dettagliotavoli), false);
