-- Devices: the shared object table with its rights, video hosts with their channels, alarm
-- inputs and outputs, encoder inputs of decoders, host types, generic devices and the data
-- dictionary. The views over these tables are in 90-device-views.sql.

-- Every object of the system (devices, channels, alarm points, users, roles, views, layouts):
-- its identifier, parent, type and caption. Hosts have no parent.
CREATE TABLE TAB_OBJ (
    S_ID          TEXT PRIMARY KEY NOT NULL,
    S_PARENT_ID   TEXT,
    I_OBJ_TYPE_ID INTEGER NOT NULL DEFAULT 0,  -- 4 host, 5 channel, 6 alarm input, 7 alarm output, ...
    S_CAPTION     TEXT,
    I_VISIBLE     INTEGER NOT NULL DEFAULT 1,
    S_DOMAIN_ID   TEXT
);
CREATE INDEX IDX_OBJ_PARENT ON TAB_OBJ (S_PARENT_ID);
CREATE INDEX IDX_OBJ_TYPE ON TAB_OBJ (I_OBJ_TYPE_ID);

-- The kinds of right that exist for an object type. Read only.
CREATE TABLE TAB_OBJ_TYPE_AUTHORITY_TYPE (
    I_OBJ_TYPE_ID       INTEGER NOT NULL,
    I_AUTHORITY_TYPE_ID INTEGER NOT NULL,
    PRIMARY KEY (I_OBJ_TYPE_ID, I_AUTHORITY_TYPE_ID)
);

-- The rights of a role on an object. The key makes REPLACE replace the right of the same
-- object, role and authority type.
CREATE TABLE TAB_OBJ_ROLE_AUTHORITY (
    S_OBJ_ID            TEXT NOT NULL,
    S_ROLE_ID           TEXT NOT NULL,
    I_AUTHORITY_TYPE_ID INTEGER NOT NULL,
    I_STATUS            INTEGER NOT NULL DEFAULT 0,  -- 1 granted, 0 withheld
    S_PARENT_ID         TEXT,
    PRIMARY KEY (S_OBJ_ID, S_ROLE_ID, I_AUTHORITY_TYPE_ID)
);
CREATE INDEX IDX_OBJ_ROLE_AUTHORITY_ROLE ON TAB_OBJ_ROLE_AUTHORITY (S_ROLE_ID, I_AUTHORITY_TYPE_ID, I_STATUS);

-- Video hosts: the address and credentials (password scrambled), device and host type, dynamic
-- DNS, serial number and domain.
CREATE TABLE TAB_DEV_VIDEO_HOST (
    S_ID                 TEXT PRIMARY KEY NOT NULL,
    S_IP                 TEXT,
    I_PORT               INTEGER NOT NULL DEFAULT 3000,
    S_USERNAME           TEXT,
    S_PASSWORD           TEXT,
    S_DESCRIPTION        TEXT,
    I_DEVTYPE            INTEGER NOT NULL DEFAULT 0,  -- 0: the local recorder model (R480)
    I_VIDEO_HOST_TYPE_ID INTEGER NOT NULL DEFAULT 0,
    S_DNS_IP             TEXT,
    I_DNS_PORT           INTEGER NOT NULL DEFAULT 0,
    I_DNS_TYPE           INTEGER NOT NULL DEFAULT 0,
    S_PRODUCT_ID         TEXT,
    S_DOMAIN             TEXT,
    I_HTTP_PORT          INTEGER NOT NULL DEFAULT 80,
    S_ITS_NUMBER         TEXT
);
CREATE INDEX IDX_DEV_VIDEO_HOST_DEVTYPE ON TAB_DEV_VIDEO_HOST (I_DEVTYPE);
CREATE INDEX IDX_DEV_VIDEO_HOST_IP ON TAB_DEV_VIDEO_HOST (S_IP);
CREATE INDEX IDX_DEV_VIDEO_HOST_PRODUCT ON TAB_DEV_VIDEO_HOST (S_PRODUCT_ID);
CREATE INDEX IDX_DEV_VIDEO_HOST_DOMAIN ON TAB_DEV_VIDEO_HOST (S_DOMAIN);

-- How a host is reached (directly or through up to two proxies), its dynamic-DNS account and
-- whether it is armed.
CREATE TABLE TAB_HOST (
    S_ID             TEXT PRIMARY KEY NOT NULL,
    I_PROXY_TYPE     INTEGER NOT NULL DEFAULT 1,  -- 4: the peer-to-peer cloud service
    S_PROXY1_ID      TEXT,
    S_PROXY1_IP      TEXT,
    I_PROXY1_PORT    INTEGER NOT NULL DEFAULT 0,
    S_PROXY1_CAPTION TEXT,
    S_PROXY2_ID      TEXT,
    S_PROXY2_IP      TEXT,
    I_PROXY2_PORT    INTEGER NOT NULL DEFAULT 0,
    S_PROXY2_CAPTION TEXT,
    S_DNS_USER       TEXT,
    S_DNS_PASSWORD   TEXT,
    I_ENABLE_DEFENCE INTEGER NOT NULL DEFAULT 1
);
CREATE INDEX IDX_HOST_PROXY_TYPE ON TAB_HOST (I_PROXY_TYPE);

-- Channels: number, stream and PTZ settings. I_BINDINGDEVTYPE is written by updates only.
CREATE TABLE TAB_DEV_CAMERA (
    S_ID             TEXT PRIMARY KEY NOT NULL,
    I_NUM            INTEGER NOT NULL DEFAULT 0,
    S_DESCRIPTION    TEXT,
    I_BINDINGDEVTYPE INTEGER NOT NULL DEFAULT -1,
    I_LINK_TYPE_ID   INTEGER NOT NULL DEFAULT 0,
    I_BUF_NUM        INTEGER NOT NULL DEFAULT 20,
    I_DELAY_NUM      INTEGER NOT NULL DEFAULT 1,
    I_PROTOCOL_TYPE  INTEGER NOT NULL DEFAULT 0,
    I_PTZ_ADDR       INTEGER NOT NULL DEFAULT 0,
    I_COM_PORT       INTEGER NOT NULL DEFAULT 1,
    I_BAUDRATE       INTEGER NOT NULL DEFAULT 9600,
    S_PARENT_ID      TEXT
);
CREATE INDEX IDX_DEV_CAMERA_PARENT ON TAB_DEV_CAMERA (S_PARENT_ID, I_NUM);

-- Channels: control, PTZ speeds, encryption and whether the channel is armed (a single channel
-- insert leaves it to the default).
CREATE TABLE TAB_CHANNEL (
    S_ID              TEXT PRIMARY KEY NOT NULL,
    I_CONTROL_TYPE    INTEGER NOT NULL DEFAULT 0,
    I_SPEED_X         INTEGER NOT NULL DEFAULT 50,
    I_SPEED_Y         INTEGER NOT NULL DEFAULT 50,
    I_DATA_TYPE       INTEGER NOT NULL DEFAULT 0,
    I_ENCRYPT_ENABLED INTEGER NOT NULL DEFAULT 0,
    S_DECRYPT_CODE    TEXT,
    S_PARENT_ID       TEXT,
    I_ENABLE_DEFENCE  INTEGER NOT NULL DEFAULT 1
);
CREATE INDEX IDX_CHANNEL_PARENT ON TAB_CHANNEL (S_PARENT_ID);

-- Alarm inputs and outputs of hosts (their host is the TAB_OBJ parent).
CREATE TABLE TAB_DEV_ALARM_IN (
    S_ID             TEXT PRIMARY KEY NOT NULL,
    I_NUM            INTEGER NOT NULL DEFAULT 0,
    S_DESCRIPTION    TEXT,
    I_ENABLE_DEFENCE INTEGER NOT NULL DEFAULT 1
);

CREATE TABLE TAB_DEV_ALARM_OUT (
    S_ID          TEXT PRIMARY KEY NOT NULL,
    I_NUM         INTEGER NOT NULL DEFAULT 0,
    S_DESCRIPTION TEXT
);

-- Encoder inputs of decoders (their decoder is the TAB_OBJ parent).
CREATE TABLE TAB_DEV_ENCODE_IN (
    S_ID           TEXT PRIMARY KEY NOT NULL,
    I_NUM          INTEGER NOT NULL DEFAULT 0,
    I_DISPLAY_TYPE INTEGER NOT NULL DEFAULT 0
);

-- Host types by device type; S_CAPTION is the I_ID of the caption in TAB_DD_LANG_DICTIONARY
-- (seeded with the views, 90-device-views.sql).
CREATE TABLE TAB_VIDEO_HOST_TYPE (
    I_ID      INTEGER PRIMARY KEY NOT NULL,
    S_CAPTION TEXT NOT NULL,
    I_DEVTYPE INTEGER NOT NULL DEFAULT 0
);
CREATE INDEX IDX_VIDEO_HOST_TYPE_DEVTYPE ON TAB_VIDEO_HOST_TYPE (I_DEVTYPE);

-- Generic devices other than video hosts. The password is stored as given.
CREATE TABLE TAB_DEV (
    S_ID             TEXT PRIMARY KEY NOT NULL,
    S_NAME           TEXT,
    I_TYPE           INTEGER NOT NULL DEFAULT 0,
    S_BRAND          TEXT,
    S_VERSION        TEXT,
    S_USE            TEXT,
    S_SN             TEXT,
    S_IP             TEXT,
    S_MAC            TEXT,
    I_PORT           INTEGER NOT NULL DEFAULT 0,
    I_HTTPPORT       INTEGER NOT NULL DEFAULT 0,
    I_HTTPSPORT      INTEGER NOT NULL DEFAULT 0,
    S_USERNAME       TEXT,
    S_PASSWORD       TEXT,
    S_LASTMODIFYTIME TEXT,
    S_DESCRIPTION    TEXT
);
CREATE INDEX IDX_DEV_TYPE_IP ON TAB_DEV (I_TYPE, S_IP);
CREATE INDEX IDX_DEV_SN_TYPE ON TAB_DEV (S_SN, I_TYPE);

-- A tree of coded values: S_CODE names the tree, S_PARENTID the parent node, leaves have
-- I_HASCHILD 0. Read only.
CREATE TABLE TAB_DATA_DICTIONARY (
    S_ID       TEXT PRIMARY KEY NOT NULL,
    S_PARENTID TEXT,
    S_CODE     TEXT NOT NULL,
    S_KEY      TEXT,
    S_VALUE    TEXT,
    I_HASCHILD INTEGER NOT NULL DEFAULT 0
);
CREATE INDEX IDX_DATA_DICTIONARY_CODE ON TAB_DATA_DICTIONARY (S_CODE, I_HASCHILD, S_KEY);

-- ---- seed rows ----

-- Rights per object type. Authority type 1 is visibility: a role holding it with status 1 on a
-- host sees the host and its children. The other numbers are the client's.
INSERT INTO TAB_OBJ_TYPE_AUTHORITY_TYPE (I_OBJ_TYPE_ID, I_AUTHORITY_TYPE_ID) VALUES
    (4, 1), (4, 2), (4, 3),
    (5, 1), (5, 4), (5, 5), (5, 6),
    (6, 1), (6, 7),
    (7, 1), (7, 8);

-- Host types of the local recorder model (device type 0), and one of another device type.
INSERT INTO TAB_VIDEO_HOST_TYPE (I_ID, S_CAPTION, I_DEVTYPE) VALUES
    (1, '40001', 0),
    (2, '40002', 0),
    (3, '40003', 0),
    (4, '40004', 1);

-- Product codes: the tree "PRODUCT" with two series and their models (the leaves).
INSERT INTO TAB_DATA_DICTIONARY (S_ID, S_PARENTID, S_CODE, S_KEY, S_VALUE, I_HASCHILD) VALUES
    ('product',        NULL,             'PRODUCT', 'PRODUCT', 'Products',            1),
    ('product-nvr',    'product',        'PRODUCT', 'NVR',     'Network recorders',   1),
    ('product-nvr-08', 'product-nvr',    'PRODUCT', 'R480-08', 'R480 8 channels',     0),
    ('product-nvr-16', 'product-nvr',    'PRODUCT', 'R480-16', 'R480 16 channels',    0),
    ('product-ipc',    'product',        'PRODUCT', 'IPC',     'Network cameras',     1),
    ('product-ipc-b',  'product-ipc',    'PRODUCT', 'IPC-B2',  'Bullet camera 2 MP',  0),
    ('product-ipc-d',  'product-ipc',    'PRODUCT', 'IPC-D4',  'Dome camera 4 MP',    0);

-- PTZ protocols by number (I_PROTOCOL_TYPE of a channel), shown as S_PROTOCOL_NAME.
INSERT INTO TAB_DATA_DICTIONARY (S_ID, S_PARENTID, S_CODE, S_KEY, S_VALUE, I_HASCHILD) VALUES
    ('ptz-0', NULL, 'PTZ_PROTOCOL', '0', 'PELCO-D', 0),
    ('ptz-1', NULL, 'PTZ_PROTOCOL', '1', 'PELCO-P', 0),
    ('ptz-2', NULL, 'PTZ_PROTOCOL', '2', 'ONVIF',   0);
