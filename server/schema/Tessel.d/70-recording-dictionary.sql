-- Recording settings and dictionaries of the main database.
--
-- TAB_REC_PRE_DELAY is the template of the per-client tables TAB_REC_PRE_DELAY<SysId>
-- (pre-record and delay-record values per channel).

CREATE TABLE TAB_REC_PRE_DELAY (
    S_CAMERA_ID TEXT,
    I_REC_PRE   INTEGER DEFAULT 0,
    I_REC_DELAY INTEGER DEFAULT 0
);
CREATE INDEX IDX_REC_PRE_DELAY_CAMERA ON TAB_REC_PRE_DELAY (S_CAMERA_ID);

-- Colour per recording type (1 scheduled "h", 2 motion "t", 3 alarm "a"), as "#RRGGBB".
CREATE TABLE TAB_DD_RECTYPECOLOR (
    S_TYPE  TEXT PRIMARY KEY,
    S_COLOR TEXT
);
INSERT INTO TAB_DD_RECTYPECOLOR (S_TYPE, S_COLOR) VALUES
    ('1', '#2E8B57'),
    ('2', '#E0A100'),
    ('3', '#D23C3C');

-- Operation log. I_ID is assigned by the client (largest stored id + 1); S_USER is the user's
-- TAB_OBJ.S_ID.
CREATE TABLE TAB_DD_LOGRECORD (
    I_ID             INTEGER PRIMARY KEY,
    DT_RECORDTIME    TEXT,
    S_USER           TEXT,
    I_LOGTYPE        INTEGER,
    I_LOGDETAILTYPE  INTEGER,
    S_LOGDESCRIPTION TEXT
);
CREATE INDEX IDX_DD_LOGRECORD_TIME ON TAB_DD_LOGRECORD (DT_RECORDTIME);
CREATE INDEX IDX_DD_LOGRECORD_USER ON TAB_DD_LOGRECORD (S_USER, DT_RECORDTIME);
