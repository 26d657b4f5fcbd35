-- Settings and the dictionary tables they refer to, with their default rows.
--
-- A setting is a row (group S_MAIN_TYPE, key S_SUB_TYPE, value S_VALUE, optional S_USERID).
-- The client only ever updates rows, so every key it saves has its row here: common keys in
-- TAB_CONFIG_USER_COMMON, personal keys in the template TAB_CONFIG_USER_PERSONAL, from which
-- each client system gets its own copy TAB_CONFIG_USER_PERSONAL<SysId> when it first needs it.
-- Paths are seeded empty: an empty path means the client's own default folder.

CREATE TABLE TAB_CONFIG_USER_COMMON (
    S_MAIN_TYPE TEXT NOT NULL,
    S_SUB_TYPE  TEXT NOT NULL,
    S_VALUE     TEXT,
    S_USERID    TEXT
);
CREATE UNIQUE INDEX IDX_CONFIG_USER_COMMON_KEY
    ON TAB_CONFIG_USER_COMMON (S_MAIN_TYPE, S_SUB_TYPE, IFNULL(S_USERID, ''));

CREATE TABLE TAB_CONFIG_USER_PERSONAL (
    S_MAIN_TYPE TEXT NOT NULL,
    S_SUB_TYPE  TEXT NOT NULL,
    S_VALUE     TEXT,
    S_USERID    TEXT
);
CREATE UNIQUE INDEX IDX_CONFIG_USER_PERSONAL_KEY
    ON TAB_CONFIG_USER_PERSONAL (S_MAIN_TYPE, S_SUB_TYPE, IFNULL(S_USERID, ''));

-- The dynamic-DNS server (first row). Left empty: the client falls back to its built-in
-- default until the operator's server is entered here.
CREATE TABLE TAB_DOMAIN_SEVER_INFO (
    S_DOMAIN TEXT,
    I_PORT   INTEGER
);

CREATE TABLE TAB_DD_DISPLAYFLAG (
    S_CAPTION TEXT NOT NULL,
    S_ABBR    TEXT PRIMARY KEY NOT NULL
);

CREATE TABLE TAB_DD_Skin (
    S_CAPTION TEXT NOT NULL,
    S_ABBR    TEXT PRIMARY KEY NOT NULL
);

CREATE TABLE TAB_DD_LANG (
    S_CAPTION     TEXT NOT NULL,
    S_ABBR        TEXT PRIMARY KEY NOT NULL,
    I_LOCALEVALUE INTEGER,  -- QLocale::Language
    S_FONTFAMILY  TEXT
);

-- Translated texts by language (S_LANG_TYPE is a TAB_DD_LANG.S_ABBR) and entry number.
CREATE TABLE TAB_DD_LANG_DICTIONARY (
    I_ID        INTEGER NOT NULL,
    S_CAPTION   TEXT,
    S_LANG_TYPE TEXT NOT NULL,
    PRIMARY KEY (I_ID, S_LANG_TYPE)
);

CREATE TABLE TAB_DD_HOMEMODULES (
    S_TITLE    TEXT,
    S_DES      TEXT,
    S_ICONPATH TEXT,
    S_TYPE     TEXT PRIMARY KEY NOT NULL
);

-- ---- common settings ----
INSERT INTO TAB_CONFIG_USER_COMMON (S_MAIN_TYPE, S_SUB_TYPE, S_VALUE) VALUES
    ('MAINTYPE_SYSCONFIG', 'handleLogPersistentTime', '30'),
    ('MAINTYPE_SYSCONFIG', 'warningLogPersistentTime', '30'),
    ('MAINTYPE_SYSCONFIG', 'PicSaveDays', '30'),
    ('MAINTYPE_SYSCONFIG', 'PassengerFlowSaveMonths', '12'),
    ('MAINTYPE_SYSCONFIG', 'CaptureList', '[]'),
    ('MAINTYPE_SYSCONFIG', 'FlowList', '[]'),
    ('MAINTYPE_SYSCONFIG', 'ExitNormally', '1'),
    ('MAINTYPE_SYSCONFIG', 'R480NvrFirst', '0'),
    ('MAINTYPE_SYSCONFIG', 'AliLoginInfo', ''),
    -- "r480" (also what a missing row means) would switch off storing alarm records, face
    -- captures and passenger-flow counts; this database is a full installation that stores them.
    ('MAINTYPE_SYSCONFIG', 'SoftwareType', 'standard'),
    ('MAINTYPE_SYSCONFIG', 'SecurityQuestion', '{"Problems":[]}'),
    ('MAINTYPE_SYSCONFIG', 'SecurityAnswer', '{"Answer":[]}'),
    ('MAINTYPE_VERSIONINFO', 'VERSION', '0.1.0'),
    ('MAINTYPE_VERSIONINFO', 'DATE', '2026-12-10'),
    ('MAINTYPE_DEVICEADDCONFIG', 'userName', 'admin'),
    ('MAINTYPE_DEVICEADDCONFIG', 'password', ''),
    ('MAINTYPE_DEVICEADDCONFIG', 'addToGroup', 'false');

-- ---- personal settings (template) ----
INSERT INTO TAB_CONFIG_USER_PERSONAL (S_MAIN_TYPE, S_SUB_TYPE, S_VALUE) VALUES
    ('MAINTYPE_SYSCONFIG', 'autoLogin', 'false'),
    ('MAINTYPE_SYSCONFIG', 'userName', 'admin'),
    ('MAINTYPE_SYSCONFIG', 'password', ''),
    ('MAINTYPE_SYSCONFIG', 'savePwd', 'false'),
    ('MAINTYPE_SYSCONFIG', 'language', 'EN'),
    ('MAINTYPE_SYSCONFIG', 'skin', 'dark'),
    ('MAINTYPE_SYSCONFIG', 'DisplayFlag', 'system'),
    ('MAINTYPE_SYSCONFIG', 'picturePath', ''),
    ('MAINTYPE_SYSCONFIG', 'recordPath', ''),
    ('MAINTYPE_SYSCONFIG', 'need', 'false'),
    ('MAINTYPE_SYSCONFIG', 'autocode', 'true'),
    ('MAINTYPE_SYSCONFIG', 'channelnum', '1'),
    ('MAINTYPE_SYSCONFIG', 'codetype', '1'),
    ('MAINTYPE_SYSCONFIG', 'downpath', ''),
    ('MAINTYPE_SYSCONFIG', 'backuppath', ''),
    ('MAINTYPE_SYSCONFIG', 'lockApp', 'false'),
    ('MAINTYPE_SYSCONFIG', 'showFrameMode', '1'),
    ('MAINTYPE_SYSCONFIG', 'downloadFormat', 'sdv'),
    ('MAINTYPE_SYSCONFIG', 'recordFormat', 'sdv'),
    ('MAINTYPE_SYSCONFIG', 'alarmGlobalSound', '0'),
    ('MAINTYPE_SYSCONFIG', 'IntelligentNetPicStream', 'false'),
    ('MAINTYPE_SYSCONFIG', 'DiskDriverName', '[]'),
    ('MAINTYPE_SYSCONFIG', 'CurrDisk', ''),
    ('MAINTYPE_SYSCONFIG', 'UseIntelligent', '1'),
    ('MAINTYPE_SYSCONFIG', 'UsePassengerFlow', '1'),
    ('MAINTYPE_SYSCONFIG', 'IntelligentLoopDelCount', '10'),
    ('MAINTYPE_SYSCONFIG', 'DelSizeEach', '2'),
    ('MAINTYPE_SYSCONFIG', 'MinStorageType', '0'),
    ('MAINTYPE_SYSCONFIG', 'MinStorageValue', '5'),
    ('MAINTYPE_SYSCONFIG', 'StorageStrategyAction', '1'),
    ('MAINTYPE_SYSCONFIG', 'StreamType', '0'),
    ('MAINTYPE_SYSCONFIG', 'iContinuousRecording', '30'),
    ('MAINTYPE_SYSCONFIG', 'VideoType', '0'),
    ('MAINTYPE_SYSCONFIG', 'decodeType', '0'),
    ('MAINTYPE_SYSCONFIG', 'StoredP2PRegionalInfo', ''),
    ('MAINTYPE_SYSCONFIG', 'P2PRegional', '0'),
    ('MAINTYPE_SYSCONFIG', 'P2PUrl', ''),
    ('MAINTYPE_SYSCONFIG', 'P2PConfigSet', ''),
    ('MAINTYPE_SYSCONFIG', 'ShowFps', 'false'),
    ('MAINTYPE_SYSCONFIG', 'P2PLoginInfo', ''),
    ('MAINTYPE_SYSCONFIG', 'InstantPlaybackTime', '0'),
    ('MAINTYPE_VIEWCONFIG', 'LastOpenModules', '{"lastopenmodules":[]}');

-- ---- dictionaries ----
INSERT INTO TAB_DD_DISPLAYFLAG (S_CAPTION, S_ABBR) VALUES
    ('System', 'system'),
    ('Small', 'small'),
    ('Big', 'big');

INSERT INTO TAB_DD_Skin (S_CAPTION, S_ABBR) VALUES
    ('Dark', 'dark'),
    ('Light', 'light');

INSERT INTO TAB_DD_LANG (S_CAPTION, S_ABBR, I_LOCALEVALUE, S_FONTFAMILY) VALUES
    ('简体中文', 'CN', 25, 'Microsoft YaHei'),
    ('繁體中文', 'TradCHS', 25, 'Microsoft JhengHei'),
    ('English', 'EN', 31, 'Arial'),
    ('فارسی', 'Farsi', 89, 'Tahoma'),
    ('Italiano', 'Italian', 58, 'Arial'),
    ('한국어', 'Korean', 66, 'Malgun Gothic'),
    ('Nederlands', 'Dutch', 30, 'Arial'),
    ('Русский', 'Russian', 96, 'Arial'),
    ('Türkçe', 'Turkish', 125, 'Arial');

-- Titles of the home modules (entries 1 to 5), in English and simplified Chinese.
INSERT INTO TAB_DD_LANG_DICTIONARY (I_ID, S_CAPTION, S_LANG_TYPE) VALUES
    (1, 'Live View', 'EN'),
    (2, 'Playback', 'EN'),
    (3, 'Device Management', 'EN'),
    (4, 'Alarm Center', 'EN'),
    (5, 'E-Map', 'EN'),
    (1, '实时预览', 'CN'),
    (2, '录像回放', 'CN'),
    (3, '设备管理', 'CN'),
    (4, '报警中心', 'CN'),
    (5, '电子地图', 'CN');

INSERT INTO TAB_DD_HOMEMODULES (S_TITLE, S_DES, S_ICONPATH, S_TYPE) VALUES
    ('Live View', 'Live video of the channels', ':/home/liveview.png', 'liveview'),
    ('Playback', 'Search and play recordings', ':/home/playback.png', 'playback'),
    ('Device Management', 'Add and configure devices', ':/home/devices.png', 'devices'),
    ('Alarm Center', 'Alarm records and linkage rules', ':/home/alarms.png', 'alarms'),
    ('E-Map', 'Devices on electronic maps', ':/home/emap.png', 'emap');
