-- Behaviour-analysis snapshots and the car, pad and way passages. Each table is the template of
-- its monthly tables (the name followed by yyyyMM), which the server creates from it, with these
-- indexes, on the first write of a month.

CREATE TABLE TAB_INTELLIGENT_BEHAVIOR_CAPTURE (
    S_ID              TEXT PRIMARY KEY,
    S_DEV_ID          TEXT,
    S_CHANNEL_ID      TEXT,
    S_CHANNEL_NAME    TEXT,
    I_TYPE            INTEGER DEFAULT 0,
    S_SNAP_PATH       TEXT,
    I_FILE_SIZE       INTEGER DEFAULT 0,
    DT_SNAP_TIMESTAMP TEXT,
    I_SEQ             INTEGER DEFAULT 0,
    S_EXTRA           TEXT
);
-- Pages newest first, the oldest snapshots and those before a time.
CREATE INDEX IDX_BEHAVIOR_CAPTURE_TIME ON TAB_INTELLIGENT_BEHAVIOR_CAPTURE (DT_SNAP_TIMESTAMP, I_SEQ);
CREATE INDEX IDX_BEHAVIOR_CAPTURE_CHANNEL_TIME ON TAB_INTELLIGENT_BEHAVIOR_CAPTURE (S_CHANNEL_ID, DT_SNAP_TIMESTAMP);

CREATE TABLE TAB_CAR_HISTORY (
    S_ID           TEXT PRIMARY KEY,
    S_Vlp          TEXT,
    S_Vlpc         TEXT,
    S_PassTime     TEXT,
    S_Image        TEXT,
    S_PlateImage   TEXT,
    S_DriverImage  TEXT,
    S_SN           TEXT,
    S_TerminalName TEXT,
    S_SaveTime     TEXT
);
-- Pages by pass time, newest first with S_ID between equal times (the plate and terminal in the
-- time index let a filtered page skip rows without reading them), and the oldest passages;
-- searches and counts by plate (exact or prefix) and by terminal.
CREATE INDEX IDX_CAR_HISTORY_TIME ON TAB_CAR_HISTORY (S_PassTime, S_ID, S_Vlp, S_SN);
CREATE INDEX IDX_CAR_HISTORY_VLP ON TAB_CAR_HISTORY (S_Vlp, S_PassTime);
CREATE INDEX IDX_CAR_HISTORY_SN ON TAB_CAR_HISTORY (S_SN, S_PassTime);

CREATE TABLE TAB_PAD_HISTORY (
    S_ID           TEXT PRIMARY KEY,
    S_UserCode     TEXT,
    S_UserName     TEXT,
    S_PassTime     TEXT,
    S_Image        TEXT,
    S_TerminalSn   TEXT,
    S_TerminalName TEXT,
    S_SaveTime     TEXT
);
CREATE INDEX IDX_PAD_HISTORY_TIME ON TAB_PAD_HISTORY (S_PassTime, S_ID, S_UserCode, S_TerminalSn);
CREATE INDEX IDX_PAD_HISTORY_USER ON TAB_PAD_HISTORY (S_UserCode, S_PassTime);
CREATE INDEX IDX_PAD_HISTORY_SN ON TAB_PAD_HISTORY (S_TerminalSn, S_PassTime);

CREATE TABLE TAB_WAY_HISTORY (
    S_ID              TEXT PRIMARY KEY,
    S_VLP             TEXT,
    S_VLPC            TEXT,
    S_passtime        TEXT,
    S_image           TEXT,
    S_plateimage      TEXT,
    S_driverimage     TEXT,
    S_SN              TEXT,
    S_terminalname    TEXT,
    S_carcolor        TEXT,
    S_cartype         TEXT,
    S_carclass        TEXT,
    S_crossing        TEXT,
    S_lane            TEXT,
    S_runingdirection TEXT,
    S_savetime        TEXT
);
CREATE INDEX IDX_WAY_HISTORY_TIME ON TAB_WAY_HISTORY (S_passtime, S_ID, S_VLP, S_SN);
CREATE INDEX IDX_WAY_HISTORY_VLP ON TAB_WAY_HISTORY (S_VLP, S_passtime);
CREATE INDEX IDX_WAY_HISTORY_SN ON TAB_WAY_HISTORY (S_SN, S_passtime);
