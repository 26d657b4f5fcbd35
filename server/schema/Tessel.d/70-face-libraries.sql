-- Face libraries, their persons and memberships, the binding of a library to a channel with its
-- synchronisation state, the face-recognition mode per host, and the queue of per-person
-- synchronisation tasks with the table of failed tasks. Times are "yyyy-MM-dd hh:mm:ss".

CREATE TABLE TAB_FACELIB_INFO (
    S_ID      TEXT PRIMARY KEY NOT NULL,
    S_CAPTION TEXT NOT NULL,
    DT_TIME   TEXT
);

-- S_NUMBER: the person's number, text that may hold digits.
CREATE TABLE TAB_PERSON_INFO (
    S_ID           TEXT PRIMARY KEY NOT NULL,
    S_NAME         TEXT,
    S_NUMBER       TEXT,
    S_CARDNO       TEXT,
    I_SEX          INTEGER,
    S_TELEPHONE    TEXT,
    DT_BIRTHDAY    TEXT,
    S_COUNTRY      TEXT,
    S_PROVINCE     TEXT,
    S_CITY         TEXT,
    S_ADDRESS      TEXT,
    S_COMPANY      TEXT,
    I_IDCARD_TYPE  INTEGER,
    S_IDCARD_NO    TEXT,
    S_FACEPIC_PATH TEXT
);
CREATE INDEX IDX_PERSON_INFO_NUMBER ON TAB_PERSON_INFO (S_NUMBER);

CREATE TABLE TAB_FACELIB_PERSON_REL (
    S_ID         TEXT PRIMARY KEY NOT NULL,
    S_FACELIB_ID TEXT NOT NULL,
    S_PERSON_ID  TEXT NOT NULL
);
CREATE INDEX IDX_FACELIB_PERSON_REL_LIB ON TAB_FACELIB_PERSON_REL (S_FACELIB_ID);
CREATE INDEX IDX_FACELIB_PERSON_REL_PERSON ON TAB_FACELIB_PERSON_REL (S_PERSON_ID);

-- Card numbers of persons, written by the access-control side; read when tasks are made.
CREATE TABLE TAB_PERSON_CARD (
    S_PERSON_ID TEXT NOT NULL,
    S_CARD_NO   TEXT
);
CREATE INDEX IDX_PERSON_CARD_PERSON ON TAB_PERSON_CARD (S_PERSON_ID);

-- I_STATUS: synchronisation state; 2 and 4 need no synchronisation, 3 is set when a failed task
-- is queued again, 1 counts as bound.
CREATE TABLE TAB_FACELIB_CHANNEL_REL (
    S_ID             TEXT PRIMARY KEY NOT NULL,
    S_FACELIB_ID     TEXT NOT NULL,
    S_HOST_ID        TEXT,
    S_CHANNEL_ID     TEXT NOT NULL,
    I_SIMILARITY     INTEGER,
    I_ENABLE         INTEGER,
    I_STATUS         INTEGER,
    S_STATUS_CAPTION TEXT DEFAULT '--',
    UNIQUE (S_FACELIB_ID, S_CHANNEL_ID)
);
CREATE INDEX IDX_FACELIB_CHANNEL_REL_CHANNEL ON TAB_FACELIB_CHANNEL_REL (S_CHANNEL_ID);
CREATE INDEX IDX_FACELIB_CHANNEL_REL_HOST ON TAB_FACELIB_CHANNEL_REL (S_HOST_ID, S_FACELIB_ID);

CREATE TABLE TAB_CONFIG_CHANNEL_FACE (
    S_ID               TEXT PRIMARY KEY NOT NULL,
    S_HOST_ID          TEXT NOT NULL,
    I_DISTINGUISH_TYPE INTEGER
);
CREATE INDEX IDX_CONFIG_CHANNEL_FACE_HOST ON TAB_CONFIG_CHANNEL_FACE (S_HOST_ID);

-- I_OPT_CMD / I_SUB_CMD: what the device is to do with the person (1 / 2 for every member of a
-- newly bound library; 4 and 5 need no person row).
CREATE TABLE TAB_FACELIB_HOST_SYNC_TASK (
    S_ID                TEXT PRIMARY KEY NOT NULL,
    S_TARGETLIB_ID      TEXT,
    S_HOST_ID           TEXT,
    S_CHAN_ID           TEXT,
    S_FINGER_OR_CARD_ID TEXT,
    S_PERSON_ID         TEXT,
    S_NAME              TEXT,
    I_OPT_CMD           INTEGER,
    I_SUB_CMD           INTEGER,
    DT_OPT_TIME         TEXT
);
CREATE INDEX IDX_FACELIB_HOST_SYNC_TASK_BINDING
    ON TAB_FACELIB_HOST_SYNC_TASK (S_HOST_ID, S_TARGETLIB_ID, S_CHAN_ID);
CREATE INDEX IDX_FACELIB_HOST_SYNC_TASK_LIB ON TAB_FACELIB_HOST_SYNC_TASK (S_TARGETLIB_ID, S_CHAN_ID);

-- A failed task keeps the id it had in the queue.
CREATE TABLE TAB_FACELIB_HOST_SYNC_FAIL (
    S_ID                TEXT PRIMARY KEY NOT NULL,
    S_TARGETLIB_ID      TEXT,
    S_HOST_ID           TEXT,
    S_CHAN_ID           TEXT,
    S_FINGER_OR_CARD_ID TEXT,
    S_PERSON_ID         TEXT,
    S_NAME              TEXT,
    I_OPT_CMD           INTEGER,
    I_SUB_CMD           INTEGER,
    DT_OPT_TIME         TEXT,
    S_ERROR             TEXT
);
CREATE INDEX IDX_FACELIB_HOST_SYNC_FAIL_LIB ON TAB_FACELIB_HOST_SYNC_FAIL (S_TARGETLIB_ID, S_CHAN_ID);
