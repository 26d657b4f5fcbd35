-- The managed vehicles of the entrance terminals and the record of which list entries were sent
-- to which terminal.

-- A plate and colour are one vehicle. I_ALWAYSOK 1: the white-list period is unlimited.
CREATE TABLE TAB_SECURITY_CAR_MANAGE (
    S_ID             TEXT PRIMARY KEY NOT NULL,
    S_VLP            TEXT NOT NULL,
    I_VLPC           INTEGER NOT NULL,
    I_ALWAYSOK       INTEGER DEFAULT 0,
    S_USER           TEXT,
    S_TEL            TEXT,
    S_WHITEBEGINTIME TEXT,
    S_WHITEENDTIME   TEXT,
    S_BLACKBEGINTIME TEXT,
    S_BLACKENDTIME   TEXT,
    UNIQUE (S_VLP, I_VLPC)
);

-- One row per vehicle, terminal and list (I_LISTTYPE 1 black, 0 white). I_TYPE 0 is a removal;
-- I_STATUS is the command's state as the client reports it (3: finished).
CREATE TABLE TAB_SECURITY_CAR_SEND (
    S_TERMINALSN   TEXT NOT NULL,
    I_TERMINALTYPE INTEGER NOT NULL,
    S_CMDID        TEXT,
    S_VLP          TEXT NOT NULL,
    I_VLPC         INTEGER NOT NULL,
    I_LISTTYPE     INTEGER NOT NULL,
    I_TYPE         INTEGER,
    I_STATUS       INTEGER,
    S_SENDTIME     TEXT,
    PRIMARY KEY (S_TERMINALSN, I_TERMINALTYPE, S_VLP, I_VLPC, I_LISTTYPE)
);
CREATE INDEX IDX_SECURITY_CAR_SEND_VEHICLE ON TAB_SECURITY_CAR_SEND (S_VLP, I_VLPC);
CREATE INDEX IDX_SECURITY_CAR_SEND_CMD ON TAB_SECURITY_CAR_SEND (S_TERMINALSN, S_CMDID);
