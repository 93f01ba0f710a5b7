-- The budget database. Money columns are REAL; the triggers keep every stored money
-- value rounded to four decimals so that sums never drift. Dates are text in the form
-- yyyy-MM-dd HH:mm:ss. Yes/no columns hold 0 or 1. Long free texts are LONGTEXT,
-- which the lists treat as unsortable memo fields.

CREATE TABLE Account (
    ID           INTEGER PRIMARY KEY AUTOINCREMENT,
    name         VARCHAR(255) NOT NULL DEFAULT '',
    type         INTEGER NOT NULL DEFAULT 0,
    Balance      REAL NOT NULL DEFAULT 0,
    negative     INTEGER NOT NULL DEFAULT 0,
    WarnNegative INTEGER NOT NULL DEFAULT 0,
    URL          VARCHAR(255) NOT NULL DEFAULT '',
    Memo         LONGTEXT NOT NULL DEFAULT ''
);

CREATE TABLE Detail (
    ID      INTEGER PRIMARY KEY AUTOINCREMENT,
    type    INTEGER NOT NULL DEFAULT 0 CHECK (type IN (0, 1)),
    DestID  INTEGER NOT NULL DEFAULT 0,
    Date    VARCHAR(19) NOT NULL DEFAULT '',
    [From]  VARCHAR(255) NOT NULL DEFAULT '',
    Amount  REAL NOT NULL DEFAULT 0,
    [For]   VARCHAR(255) NOT NULL DEFAULT '',
    Memo    LONGTEXT NOT NULL DEFAULT ''
);

CREATE TABLE Transfer (
    ID       INTEGER PRIMARY KEY AUTOINCREMENT,
    SourceID INTEGER NOT NULL DEFAULT 0,
    DestID   INTEGER NOT NULL DEFAULT 0,
    Date     VARCHAR(19) NOT NULL DEFAULT '',
    [From]   VARCHAR(255) NOT NULL DEFAULT '',
    Amount   REAL NOT NULL DEFAULT 0,
    [For]    VARCHAR(255) NOT NULL DEFAULT '',
    Memo     LONGTEXT NOT NULL DEFAULT ''
);

CREATE INDEX Detail_DestID_Date ON Detail (DestID, Date);
CREATE INDEX Detail_Date ON Detail (Date);
CREATE INDEX Transfer_SourceID_Date ON Transfer (SourceID, Date);
CREATE INDEX Transfer_DestID_Date ON Transfer (DestID, Date);
CREATE INDEX Transfer_Date ON Transfer (Date);

CREATE TRIGGER Account_round_insert AFTER INSERT ON Account
WHEN NEW.Balance <> round(NEW.Balance, 4)
BEGIN
    UPDATE Account SET Balance = round(NEW.Balance, 4) WHERE ID = NEW.ID;
END;

CREATE TRIGGER Account_round_update AFTER UPDATE OF Balance ON Account
WHEN NEW.Balance <> round(NEW.Balance, 4)
BEGIN
    UPDATE Account SET Balance = round(NEW.Balance, 4) WHERE ID = NEW.ID;
END;

CREATE TRIGGER Detail_round_insert AFTER INSERT ON Detail
WHEN NEW.Amount <> round(NEW.Amount, 4)
BEGIN
    UPDATE Detail SET Amount = round(NEW.Amount, 4) WHERE ID = NEW.ID;
END;

CREATE TRIGGER Detail_round_update AFTER UPDATE OF Amount ON Detail
WHEN NEW.Amount <> round(NEW.Amount, 4)
BEGIN
    UPDATE Detail SET Amount = round(NEW.Amount, 4) WHERE ID = NEW.ID;
END;

CREATE TRIGGER Transfer_round_insert AFTER INSERT ON Transfer
WHEN NEW.Amount <> round(NEW.Amount, 4)
BEGIN
    UPDATE Transfer SET Amount = round(NEW.Amount, 4) WHERE ID = NEW.ID;
END;

CREATE TRIGGER Transfer_round_update AFTER UPDATE OF Amount ON Transfer
WHEN NEW.Amount <> round(NEW.Amount, 4)
BEGIN
    UPDATE Transfer SET Amount = round(NEW.Amount, 4) WHERE ID = NEW.ID;
END;
