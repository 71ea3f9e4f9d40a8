-- The tables SabreDAV 1.8's PDO backends read for principals and address
-- books, as in the SQLite examples Debian's php-sabre-dav ships
-- (sqlite.principals.sql, sqlite.addressbooks.sql), kept here because a
-- system may leave out /usr/share/doc. No users table: the server script
-- checks passwords itself; no locks table: it offers no locking.
CREATE TABLE principals (
    id INTEGER PRIMARY KEY ASC,
    uri TEXT,
    email TEXT,
    displayname TEXT,
    vcardurl TEXT,
    UNIQUE(uri)
);

CREATE TABLE groupmembers (
    id INTEGER PRIMARY KEY ASC,
    principal_id INTEGER,
    member_id INTEGER,
    UNIQUE(principal_id, member_id)
);

CREATE TABLE addressbooks (
    id integer primary key asc,
    principaluri text,
    displayname text,
    uri text,
    description text,
    ctag integer
);

CREATE TABLE cards (
    id integer primary key asc,
    addressbookid integer,
    carddata blob,
    uri text,
    lastmodified integer
);
