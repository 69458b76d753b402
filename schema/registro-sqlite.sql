-- Journal of the order changes made on the table map, for SQLite. Optional and separate from the
-- venue's tables: the component writes to it only when the host has created it, and never creates
-- it itself. One row per committed change, written in the same transaction as the change.

CREATE TABLE RegistroTavoli (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    Momento VARCHAR(23) NOT NULL,     -- local time of the till: yyyy-MM-dd HH:mm:ss.zzz
    Cassa VARCHAR(50),                -- CodiceCassa of the till that made the change
    Operazione VARCHAR(20) NOT NULL,  -- SPOSTA, AGGIUNGI, TOGLI_UNITA, TOGLI_RIGA, AZZERA
    CodiceDa INTEGER NOT NULL,        -- the table changed (the source of a move)
    NumeroDa VARCHAR(16),
    CodiceA INTEGER,                  -- the destination of a move, NULL otherwise
    NumeroA VARCHAR(16),
    Righe TEXT,                       -- DettaglioTavoli.ID of each line concerned, each followed by ";"
    Totale REAL,                      -- the amount moved, added or taken off the order
    Descrizione VARCHAR(255)          -- the description moved; the article added
);
CREATE INDEX RegistroTavoli_Momento ON RegistroTavoli (Momento);
