-- Alarms: the read-only catalogue (levels, main, sub and adapter alarm types, the adjustable
-- level of each adapter type, device host types), the template of the per-system linkage
-- table, the alarm log and the template of the per-system cached events.

-- ---- catalogue ----

-- Alarm levels 1 (lowest) to 5 (highest).
CREATE TABLE TAB_ALARM_LEVEL (
    I_LEVEL   INTEGER PRIMARY KEY NOT NULL,
    S_CAPTION TEXT
);

-- Device plug-ins by host type.
CREATE TABLE TAB_DD_QXHOST_CONFIG (
    I_HOSTTYPEID    INTEGER PRIMARY KEY NOT NULL,
    S_FILE_NAME     TEXT,
    S_CAPTION       TEXT,
    S_PATH_MAC      TEXT,
    S_PATH_WINDOWS  TEXT,
    S_DLL_LOADTOKEN TEXT
);

-- Alarm kinds as the client handles them; the caption is the entry I_LANG_DICTIONARY_ID of
-- TAB_DD_LANG_DICTIONARY (entries 50001 and up).
CREATE TABLE TAB_DD_ADAPTER_ALARM_TYPE (
    I_ID                 INTEGER PRIMARY KEY NOT NULL,
    S_CAPTION            TEXT,
    I_IS_FILTERALARMING  INTEGER NOT NULL DEFAULT 0,
    I_IS_DEAL            INTEGER NOT NULL DEFAULT 0,
    I_LANG_DICTIONARY_ID INTEGER NOT NULL
);

-- The level of each adapter alarm type (the one value of the catalogue a user may change).
CREATE TABLE TAB_ALARM_TYPE_LEVEL (
    I_ALARM_TYPE INTEGER PRIMARY KEY NOT NULL,  -- TAB_DD_ADAPTER_ALARM_TYPE.I_ID
    I_LEVEL      INTEGER NOT NULL DEFAULT 3
);

-- Main alarm types a host type reports, with the kinds of alarm it is asked for.
CREATE TABLE TAB_DD_MAIN_ALARM_TYPE (
    I_ID                       INTEGER PRIMARY KEY NOT NULL,
    S_CAPTION                  TEXT,
    I_HOST_TYPE_ID             INTEGER NOT NULL,  -- TAB_DD_QXHOST_CONFIG.I_HOSTTYPEID
    I_IS_GET_VCA_ALARM         INTEGER NOT NULL DEFAULT 0,
    I_MAIN_ALARM_TYPE          INTEGER NOT NULL,
    I_HOST_ITEM_TYPE_ID        INTEGER NOT NULL DEFAULT 0,  -- object type raising it (4 host, 5 channel, 6 alarm input)
    I_IS_GET_FACE_ALARM        INTEGER NOT NULL DEFAULT 0,
    I_IS_GET_EXCEPT_ALARM      INTEGER NOT NULL DEFAULT 0,
    I_IS_GET_UNIQUEALERT_ALARM INTEGER NOT NULL DEFAULT 0
);
CREATE INDEX IDX_DD_MAIN_ALARM_TYPE_HOST ON TAB_DD_MAIN_ALARM_TYPE (I_HOST_TYPE_ID);

-- Sub alarm types of a main type, each mapped to one adapter alarm type.
CREATE TABLE TAB_DD_SUB_ALARM_TYPE (
    I_ID                   INTEGER PRIMARY KEY NOT NULL,
    S_CAPTION              TEXT,
    I_SUB_ALARM_TYPE       INTEGER NOT NULL,
    I_ADAPTER_ALARM_ID     INTEGER NOT NULL,  -- TAB_DD_ADAPTER_ALARM_TYPE.I_ID
    I_MAIN_ALARM_TYPE_ID   INTEGER NOT NULL,  -- TAB_DD_MAIN_ALARM_TYPE.I_ID
    I_IS_DELAYCANCELALARM  INTEGER NOT NULL DEFAULT 0,
    I_IS_FILTERREPEATALARM INTEGER NOT NULL DEFAULT 0
);
CREATE INDEX IDX_DD_SUB_ALARM_TYPE_MAIN ON TAB_DD_SUB_ALARM_TYPE (I_MAIN_ALARM_TYPE_ID);
CREATE INDEX IDX_DD_SUB_ALARM_TYPE_ADAPTER ON TAB_DD_SUB_ALARM_TYPE (I_ADAPTER_ALARM_ID);

-- ---- linkage rules ----

-- Template of the per-system table TAB_OBJ_ALARM_ACTION<SysId>, made from it by
-- "CREATE TABLE ... AS SELECT *"; the template itself stays empty.
CREATE TABLE TAB_OBJ_ALARM_ACTION (
    S_ID                    TEXT,
    S_SRC_OBJ_ID            TEXT,     -- TAB_OBJ.S_ID raising the alarm
    I_ADAPTER_ALARM_ID      INTEGER,  -- TAB_DD_ADAPTER_ALARM_TYPE.I_ID
    I_ENABLE                INTEGER,
    S_DES_OBJ_ID            TEXT,     -- object the action aims at
    I_ACTION_TYPE_ID        INTEGER,  -- 2 sound, 3 record, 11 e-mail, 18 balloon tip, 19 alarm video, ...
    S_PARAM                 TEXT,     -- JSON parameters of the action
    S_USER_ID               TEXT,
    I_CTRL_WITHDRAW_DEFENCE INTEGER
);

-- ---- alarm log ----

CREATE TABLE TAB_ALARM_RECORD (
    S_ID             TEXT PRIMARY KEY NOT NULL,
    DT_ALARM         TEXT NOT NULL,  -- "yyyy-MM-dd hh:mm:ss", local time of writing
    S_CAMERA_ID      TEXT,
    S_CAMERA_CAPTION TEXT,
    I_CAMERA_TYPE    INTEGER NOT NULL DEFAULT -1,
    I_ALARM_TYPE     INTEGER NOT NULL DEFAULT 0,
    I_RULE_ID        INTEGER NOT NULL DEFAULT -1,
    I_IS_ALARM       INTEGER NOT NULL DEFAULT 0,
    I_LEVEL          INTEGER NOT NULL DEFAULT -1,
    S_USER_ID        TEXT,
    I_DEAL_STATE     INTEGER NOT NULL DEFAULT 0,
    S_DEAL_USER_ID   TEXT,
    DT_DEAL          TEXT,
    S_DEAL_CAPTION   TEXT,
    I_SEQ            INTEGER NOT NULL DEFAULT 0  -- order within one second of DT_ALARM
);
-- The listing order (newest first), time ranges and the purge by date.
CREATE INDEX IDX_ALARM_RECORD_TIME ON TAB_ALARM_RECORD (DT_ALARM, I_SEQ);
-- Counts and pages of one handling state within a time range.
CREATE INDEX IDX_ALARM_RECORD_DEAL ON TAB_ALARM_RECORD (I_DEAL_STATE, DT_ALARM, I_LEVEL);

-- ---- cached events ----

-- Template of the per-system table TAB_CACHE_EVENT<SysId>.
CREATE TABLE TAB_CACHE_EVENT (
    S_ID    TEXT,
    I_TYPE  INTEGER,
    S_DATA  TEXT,
    DT_TIME TEXT,
    I_PARAM INTEGER
);

-- ---- seed rows ----

INSERT INTO TAB_ALARM_LEVEL (I_LEVEL, S_CAPTION) VALUES
    (1, 'Lowest'),
    (2, 'Low'),
    (3, 'Medium'),
    (4, 'High'),
    (5, 'Highest');

-- Plug-ins of the host types of TAB_VIDEO_HOST_TYPE (10-devices.sql).
INSERT INTO TAB_DD_QXHOST_CONFIG (I_HOSTTYPEID, S_FILE_NAME, S_CAPTION, S_PATH_MAC, S_PATH_WINDOWS, S_DLL_LOADTOKEN) VALUES
    (1, 'NvrDevice', 'Network video recorder', 'plugins/libNvrDevice.dylib', 'plugins\NvrDevice.dll', 'nvr'),
    (2, 'HvrDevice', 'Hybrid video recorder', 'plugins/libHvrDevice.dylib', 'plugins\HvrDevice.dll', 'hvr'),
    (3, 'IpcDevice', 'Network camera', 'plugins/libIpcDevice.dylib', 'plugins\IpcDevice.dll', 'ipc');

INSERT INTO TAB_DD_ADAPTER_ALARM_TYPE (I_ID, S_CAPTION, I_IS_FILTERALARMING, I_IS_DEAL, I_LANG_DICTIONARY_ID) VALUES
    (1,  'Motion detection',      1, 1, 50001),
    (2,  'Video loss',            0, 1, 50002),
    (3,  'Alarm input',           0, 1, 50003),
    (4,  'Video tampering',       1, 1, 50004),
    (5,  'Line crossing',         1, 1, 50005),
    (6,  'Intrusion',             1, 1, 50006),
    (7,  'Face detected',         1, 0, 50007),
    (8,  'Face matched',          0, 1, 50008),
    (9,  'Disk full',             0, 1, 50009),
    (10, 'Disk error',            0, 1, 50010),
    (11, 'Network disconnected',  0, 1, 50011),
    (12, 'Stranger alert',        0, 1, 50012);

INSERT INTO TAB_ALARM_TYPE_LEVEL (I_ALARM_TYPE, I_LEVEL) VALUES
    (1, 2), (2, 4), (3, 4), (4, 3), (5, 3), (6, 4), (7, 1), (8, 3), (9, 3), (10, 5), (11, 4), (12, 5);

INSERT INTO TAB_DD_LANG_DICTIONARY (I_ID, S_CAPTION, S_LANG_TYPE) VALUES
    (50001, 'Motion detection', 'EN'),      (50001, '移动侦测', 'CN'),
    (50002, 'Video loss', 'EN'),            (50002, '视频丢失', 'CN'),
    (50003, 'Alarm input', 'EN'),           (50003, '报警输入', 'CN'),
    (50004, 'Video tampering', 'EN'),       (50004, '视频遮挡', 'CN'),
    (50005, 'Line crossing', 'EN'),         (50005, '越界侦测', 'CN'),
    (50006, 'Intrusion', 'EN'),             (50006, '区域入侵', 'CN'),
    (50007, 'Face detected', 'EN'),         (50007, '人脸检测', 'CN'),
    (50008, 'Face matched', 'EN'),          (50008, '人脸比对', 'CN'),
    (50009, 'Disk full', 'EN'),             (50009, '磁盘满', 'CN'),
    (50010, 'Disk error', 'EN'),            (50010, '磁盘错误', 'CN'),
    (50011, 'Network disconnected', 'EN'),  (50011, '网络断开', 'CN'),
    (50012, 'Stranger alert', 'EN'),        (50012, '陌生人告警', 'CN');

-- Main types: recorders (host types 1 and 2) and cameras (3). I_MAIN_ALARM_TYPE is the
-- device's own code: 1 video, 2 alarm input, 3 intelligent analysis, 4 face, 5 exception.
INSERT INTO TAB_DD_MAIN_ALARM_TYPE (I_ID, S_CAPTION, I_HOST_TYPE_ID, I_IS_GET_VCA_ALARM, I_MAIN_ALARM_TYPE,
                                    I_HOST_ITEM_TYPE_ID, I_IS_GET_FACE_ALARM, I_IS_GET_EXCEPT_ALARM,
                                    I_IS_GET_UNIQUEALERT_ALARM) VALUES
    (1,  'Video',                 1, 0, 1, 5, 0, 0, 0),
    (2,  'Alarm input',           1, 0, 2, 6, 0, 0, 0),
    (3,  'Intelligent analysis',  1, 1, 3, 5, 0, 0, 0),
    (4,  'Face',                  1, 0, 4, 5, 1, 0, 1),
    (5,  'Exception',             1, 0, 5, 4, 0, 1, 0),
    (6,  'Video',                 2, 0, 1, 5, 0, 0, 0),
    (7,  'Alarm input',           2, 0, 2, 6, 0, 0, 0),
    (8,  'Exception',             2, 0, 5, 4, 0, 1, 0),
    (9,  'Video',                 3, 0, 1, 5, 0, 0, 0),
    (10, 'Intelligent analysis',  3, 1, 3, 5, 0, 0, 0),
    (11, 'Face',                  3, 0, 4, 5, 1, 0, 0);

INSERT INTO TAB_DD_SUB_ALARM_TYPE (I_ID, S_CAPTION, I_SUB_ALARM_TYPE, I_ADAPTER_ALARM_ID, I_MAIN_ALARM_TYPE_ID,
                                   I_IS_DELAYCANCELALARM, I_IS_FILTERREPEATALARM) VALUES
    (1,  'Motion detection',     1, 1,  1,  1, 1),
    (2,  'Video loss',           2, 2,  1,  0, 1),
    (3,  'Video tampering',      3, 4,  1,  1, 1),
    (4,  'Alarm input',          1, 3,  2,  0, 0),
    (5,  'Line crossing',        1, 5,  3,  0, 1),
    (6,  'Intrusion',            2, 6,  3,  0, 1),
    (7,  'Face detected',        1, 7,  4,  0, 1),
    (8,  'Face matched',         2, 8,  4,  0, 0),
    (9,  'Stranger alert',       3, 12, 4,  0, 0),
    (10, 'Disk full',            1, 9,  5,  0, 1),
    (11, 'Disk error',           2, 10, 5,  0, 1),
    (12, 'Network disconnected', 3, 11, 5,  1, 0),
    (13, 'Motion detection',     1, 1,  6,  1, 1),
    (14, 'Video loss',           2, 2,  6,  0, 1),
    (15, 'Alarm input',          1, 3,  7,  0, 0),
    (16, 'Disk full',            1, 9,  8,  0, 1),
    (17, 'Disk error',           2, 10, 8,  0, 1),
    (18, 'Motion detection',     1, 1,  9,  1, 1),
    (19, 'Video tampering',      3, 4,  9,  1, 1),
    (20, 'Line crossing',        1, 5,  10, 0, 1),
    (21, 'Intrusion',            2, 6,  10, 0, 1),
    (22, 'Face detected',        1, 7,  11, 0, 1);
