-- Face captures. TAB_INTELLIGENT_FACE_CAPTURE is the template of the monthly tables
-- TAB_INTELLIGENT_FACE_CAPTURE<yyyyMM>, which the server creates from it (with these indexes)
-- on the first write of a month.

CREATE TABLE TAB_INTELLIGENT_FACE_CAPTURE (
    S_ID                TEXT PRIMARY KEY,
    S_HOST_ID           TEXT,
    S_CHANNEL_ID        TEXT,
    S_CHANNEL_NAME      TEXT,
    I_AGE_TYPE          INTEGER,
    I_GENDER_TYPE       INTEGER,
    I_MASKS_TYPE        INTEGER,
    I_GLASSES_TYPE      INTEGER,
    I_TEMPERATURE_TYPE  INTEGER,
    S_TEMPERATURE_VALUE TEXT,
    DT_CAPTURE          TEXT,
    S_BIG_PATH          TEXT,
    S_SMALL_PATH        TEXT,
    I_FILE_SIZE         INTEGER DEFAULT 0,
    I_SEQ               INTEGER DEFAULT 0,
    S_NEGPIC_PATH       TEXT,
    S_NAME              TEXT,
    I_SIMILARITY        INTEGER DEFAULT 0,
    I_FACEKEY           INTEGER DEFAULT 0
);
-- Search pages newest first (DT_CAPTURE desc, I_SEQ desc), the oldest captures and the
-- retention sums by time.
CREATE INDEX IDX_FACE_CAPTURE_TIME ON TAB_INTELLIGENT_FACE_CAPTURE (DT_CAPTURE, I_SEQ);
-- Statistics of one channel over a period, and searches by channel.
CREATE INDEX IDX_FACE_CAPTURE_CHANNEL_TIME ON TAB_INTELLIGENT_FACE_CAPTURE (S_CHANNEL_ID, DT_CAPTURE);
