-- The address database: one table and the two saved queries that store an
-- address. tools/orvane-createdb builds a new database file from this script.

-- IDs are handed out by the database, start at 1 and are never reused after
-- a delete (AUTOINCREMENT); they stay within a 32-bit signed integer.
CREATE TABLE tblAddress (
    ID         INTEGER PRIMARY KEY AUTOINCREMENT CHECK (ID BETWEEN 1 AND 2147483647),
    FirstName  TEXT,
    LastName   TEXT,
    Address    TEXT,
    PostalCode TEXT,
    State      TEXT,
    Country    TEXT,
    Phone      TEXT
);

-- Saved queries: engine SQL with positional "?" parameters.
CREATE TABLE SavedQueries (
    Name           TEXT PRIMARY KEY COLLATE NOCASE,
    ParameterCount INTEGER NOT NULL,
    SqlText        TEXT NOT NULL
);

-- Parameters: first name, last name, street address, postal code,
-- state or province, country, phone number.
INSERT INTO SavedQueries (Name, ParameterCount, SqlText) VALUES ('SaveAddress', 7,
    'INSERT INTO tblAddress (FirstName, LastName, Address, PostalCode, State, Country, Phone) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)');

-- The same seven values, then the ID of the row to change.
INSERT INTO SavedQueries (Name, ParameterCount, SqlText) VALUES ('UpdateAddress', 8,
    'UPDATE tblAddress SET FirstName = ?1, LastName = ?2, Address = ?3, PostalCode = ?4, State = ?5, Country = ?6, Phone = ?7 WHERE ID = ?8');
