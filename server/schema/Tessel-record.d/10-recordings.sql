-- Recording-file index. TAB_REC_FILE is the template of the per-client tables
-- TAB_REC_FILE<SysId>, which the server creates from it on a client's first write.
-- Times are local "yyyy-MM-dd hh:mm:ss" texts, so text comparison is time order.

CREATE TABLE TAB_REC_FILE (
    I_ID              INTEGER PRIMARY KEY AUTOINCREMENT,
    S_HOST_ID         TEXT,
    S_CAMERA_ID       TEXT,
    I_REC_TYPE_ID     INTEGER,
    I_REC_STREAM_TYPE INTEGER DEFAULT 0,
    S_RECFILE_NAME    TEXT,
    S_SAVE_PATH       TEXT,
    DT_START          TEXT,
    DT_END            TEXT,
    I_LENGTH          INTEGER DEFAULT 0,
    I_LOCK            INTEGER DEFAULT 0,
    S_SAVE_DISK       TEXT
);
-- Playback search: one channel, a time range ordered by start.
CREATE INDEX IDX_REC_FILE_CAMERA_START ON TAB_REC_FILE (S_CAMERA_ID, DT_START);
-- Searches without a channel, the earliest recording and the ordered listing.
CREATE INDEX IDX_REC_FILE_START ON TAB_REC_FILE (DT_START);
