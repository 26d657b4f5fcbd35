-- Views over the device tables (10-devices.sql), the membership and dictionary tables they
-- read when the users and settings parts have not made them, and the host-type captions.

-- Membership of users in roles (normally made by 20-users.sql).
CREATE TABLE IF NOT EXISTS TAB_USER_ROLE (
    S_USER_ID TEXT NOT NULL,
    S_ROLE_ID TEXT NOT NULL,
    PRIMARY KEY (S_USER_ID, S_ROLE_ID)
);

-- Translated captions by language (normally made by the settings part).
CREATE TABLE IF NOT EXISTS TAB_DD_LANG_DICTIONARY (
    I_ID        INTEGER NOT NULL,
    S_LANG_TYPE TEXT NOT NULL,
    S_CAPTION   TEXT,
    PRIMARY KEY (I_ID, S_LANG_TYPE)
);

-- Captions of the host types (ids 40001 and up belong to the device tables).
INSERT OR IGNORE INTO TAB_DD_LANG_DICTIONARY (I_ID, S_LANG_TYPE, S_CAPTION) VALUES
    (40001, 'EN', 'Network video recorder'),
    (40001, 'CN', '网络硬盘录像机'),
    (40002, 'EN', 'Hybrid video recorder'),
    (40002, 'CN', '混合硬盘录像机'),
    (40003, 'EN', 'Network camera'),
    (40003, 'CN', '网络摄像机'),
    (40004, 'EN', 'Video encoder'),
    (40004, 'CN', '视频编码器');

-- A video host with its object row and how it is reached. The host type name is its English
-- caption, or the dictionary key when there is none.
CREATE VIEW VIEW_DEV_HOST AS
SELECT v.S_ID, v.S_IP, v.I_PORT, v.S_USERNAME, v.S_PASSWORD, v.S_DESCRIPTION, v.I_DEVTYPE,
       v.I_VIDEO_HOST_TYPE_ID, v.S_DNS_IP, v.I_DNS_PORT, v.I_DNS_TYPE, v.S_PRODUCT_ID, v.S_DOMAIN,
       v.I_HTTP_PORT, v.S_ITS_NUMBER,
       h.I_PROXY_TYPE, h.S_PROXY1_ID, h.S_PROXY1_IP, h.I_PROXY1_PORT, h.S_PROXY1_CAPTION,
       h.S_PROXY2_ID, h.S_PROXY2_IP, h.I_PROXY2_PORT, h.S_PROXY2_CAPTION, h.S_DNS_USER, h.S_DNS_PASSWORD,
       h.I_ENABLE_DEFENCE,
       o.S_CAPTION, o.S_PARENT_ID, o.S_DOMAIN_ID,
       CAST(v.I_VIDEO_HOST_TYPE_ID AS TEXT) AS S_VIDEO_HOST_TYPE_ID,
       COALESCE((SELECT d.S_CAPTION FROM TAB_DD_LANG_DICTIONARY d
                  WHERE d.I_ID = t.S_CAPTION AND d.S_LANG_TYPE = 'EN'), t.S_CAPTION) AS S_VIDEO_HOST_TYPE_NAME
  FROM TAB_DEV_VIDEO_HOST v
  JOIN TAB_OBJ o ON o.S_ID = v.S_ID
  LEFT JOIN TAB_HOST h ON h.S_ID = v.S_ID
  LEFT JOIN TAB_VIDEO_HOST_TYPE t ON t.I_ID = v.I_VIDEO_HOST_TYPE_ID;

-- A channel with its object row; the PTZ protocol name comes from the data dictionary.
CREATE VIEW VIEW_DEV_CHANNEL AS
SELECT c.S_ID, c.I_NUM, c.S_DESCRIPTION, c.I_BINDINGDEVTYPE, c.I_LINK_TYPE_ID, c.I_BUF_NUM, c.I_DELAY_NUM,
       c.I_PROTOCOL_TYPE, c.I_PTZ_ADDR, c.I_COM_PORT, c.I_BAUDRATE,
       ch.I_CONTROL_TYPE, ch.I_SPEED_X, ch.I_SPEED_Y, ch.I_DATA_TYPE, ch.I_ENCRYPT_ENABLED, ch.S_DECRYPT_CODE,
       ch.I_ENABLE_DEFENCE,
       o.S_CAPTION, o.S_PARENT_ID, o.S_DOMAIN_ID,
       COALESCE((SELECT p.S_VALUE FROM TAB_DATA_DICTIONARY p
                  WHERE p.S_CODE = 'PTZ_PROTOCOL' AND p.I_HASCHILD = 0
                    AND p.S_KEY = CAST(c.I_PROTOCOL_TYPE AS TEXT)), '') AS S_PROTOCOL_NAME
  FROM TAB_DEV_CAMERA c
  JOIN TAB_OBJ o ON o.S_ID = c.S_ID
  LEFT JOIN TAB_CHANNEL ch ON ch.S_ID = c.S_ID;

-- An alarm input or output with its object row.
CREATE VIEW VIEW_DEV_ALARM_IN AS
SELECT a.S_ID, a.I_NUM, a.S_DESCRIPTION, a.I_ENABLE_DEFENCE, o.S_CAPTION, o.S_PARENT_ID
  FROM TAB_DEV_ALARM_IN a
  JOIN TAB_OBJ o ON o.S_ID = a.S_ID;

CREATE VIEW VIEW_DEV_ALARM_OUT AS
SELECT a.S_ID, a.I_NUM, a.S_DESCRIPTION, o.S_CAPTION, o.S_PARENT_ID
  FROM TAB_DEV_ALARM_OUT a
  JOIN TAB_OBJ o ON o.S_ID = a.S_ID;

-- The channels a user may view: those of the hosts on which a role of the user holds
-- authority type 1 (visibility) with status 1; once per user and channel.
CREATE VIEW VIEW_VIEWCAMERA AS
SELECT DISTINCT ur.S_USER_ID, c.S_ID, c.I_NUM, o.S_CAPTION, c.S_PARENT_ID
  FROM TAB_USER_ROLE ur
  JOIN TAB_OBJ_ROLE_AUTHORITY r
    ON r.S_ROLE_ID = ur.S_ROLE_ID AND r.I_AUTHORITY_TYPE_ID = 1 AND r.I_STATUS = 1
  JOIN TAB_DEV_CAMERA c ON c.S_PARENT_ID = r.S_OBJ_ID
  JOIN TAB_OBJ o ON o.S_ID = c.S_ID;
