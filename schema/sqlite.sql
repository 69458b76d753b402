-- Venue tables for SQLite. Keys are assigned by the database on insert.
-- BOOLEAN columns hold 0/1; the access layer reads them back as booleans by their declared type.

CREATE TABLE Sale (
    Codice INTEGER PRIMARY KEY AUTOINCREMENT,
    Descrizione VARCHAR(100),
    Sfondo VARCHAR(255),
    ColoreSfondo INTEGER
);

CREATE TABLE Tavoli (
    Codice INTEGER PRIMARY KEY AUTOINCREMENT,
    Numero VARCHAR(3),
    Descrizione VARCHAR(100),
    Occupato BOOLEAN NOT NULL DEFAULT 0,
    OraOccupato VARCHAR(10),
    OraUltimoOrdine VARCHAR(10),
    ID_Scontrino INTEGER DEFAULT 0,
    Top INTEGER DEFAULT 0,
    Left INTEGER DEFAULT 0,
    CodiceSala INTEGER,
    Forma VARCHAR(20)
);
CREATE INDEX Tavoli_CodiceSala ON Tavoli (CodiceSala);
CREATE INDEX Tavoli_Numero ON Tavoli (Numero);

CREATE TABLE DettaglioTavoli (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    Tavolo INTEGER,
    Codice INTEGER,
    Quantita INTEGER DEFAULT 0,
    Descrizione VARCHAR(255),
    Variante INTEGER DEFAULT 0,
    Importo REAL DEFAULT 0,
    IdRif INTEGER DEFAULT 0
);
CREATE INDEX DettaglioTavoli_Tavolo ON DettaglioTavoli (Tavolo);

CREATE TABLE Articoli (
    Codice INTEGER PRIMARY KEY,
    Descrizione VARCHAR(100),
    Prezzo REAL DEFAULT 0
);
