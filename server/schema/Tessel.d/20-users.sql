-- Users, roles and their memberships, the per-user object tree, and the built-in
-- administrator role. Runs after 10-devices.sql, which creates TAB_OBJ,
-- TAB_OBJ_TYPE_AUTHORITY_TYPE and TAB_OBJ_ROLE_AUTHORITY.

-- One row per user; the user's name is the S_CAPTION of its TAB_OBJ row.
CREATE TABLE TAB_USER (
    S_ID          TEXT PRIMARY KEY NOT NULL,
    I_LEVEL       INTEGER NOT NULL DEFAULT 0,
    DT_LIMIT      TEXT NOT NULL DEFAULT '2099-12-31 00:00:00',  -- expiry, local time text
    S_DESCRIPTION TEXT DEFAULT '',
    S_PASSWORD    TEXT DEFAULT ''                               -- scrambled stored form
);

-- One row per role; the role's name is the S_CAPTION of its TAB_OBJ row.
CREATE TABLE TAB_ROLE (
    S_ID          TEXT PRIMARY KEY NOT NULL,
    S_DESCRIPTION TEXT DEFAULT '',
    I_TYPE        INTEGER NOT NULL DEFAULT 1
);

-- Membership of users in roles. The key makes the administrator's REPLACE idempotent.
CREATE TABLE TAB_USER_ROLE (
    S_USER_ID TEXT NOT NULL,
    S_ROLE_ID TEXT NOT NULL,
    PRIMARY KEY (S_USER_ID, S_ROLE_ID)
);
CREATE INDEX IDX_USER_ROLE_ROLE ON TAB_USER_ROLE (S_ROLE_ID);

-- Per-user tree nodes (the custom trees): a group when S_OBJ_ID is NULL, else a reference to
-- a TAB_OBJ object; S_PARENT_ID NULL at the root. I_NUM orders siblings and is assigned here.
CREATE TABLE TAB_USER_OBJ (
    S_ID        TEXT PRIMARY KEY NOT NULL,
    S_USER_ID   TEXT,
    S_OBJ_ID    TEXT,
    S_CAPTION   TEXT,
    S_PARENT_ID TEXT,
    I_NUM       INTEGER
);
-- Siblings are read in I_NUM order and the trigger below takes their largest I_NUM; removing a
-- node walks down by parent, removing a device by object.
CREATE INDEX IDX_USER_OBJ_SIBLINGS ON TAB_USER_OBJ (S_USER_ID, S_PARENT_ID, I_NUM);
CREATE INDEX IDX_USER_OBJ_PARENT ON TAB_USER_OBJ (S_PARENT_ID);
CREATE INDEX IDX_USER_OBJ_OBJ ON TAB_USER_OBJ (S_OBJ_ID);

-- A new node without a number goes after its siblings of the same user: one more than the
-- largest I_NUM among them (1 for the first). "IS" matches NULL parents (root nodes) as well.
CREATE TRIGGER TRG_USER_OBJ_NUM AFTER INSERT ON TAB_USER_OBJ
FOR EACH ROW WHEN NEW.I_NUM IS NULL
BEGIN
    UPDATE TAB_USER_OBJ
       SET I_NUM = (SELECT IFNULL(MAX(I_NUM), 0) + 1 FROM TAB_USER_OBJ
                     WHERE S_USER_ID IS NEW.S_USER_ID AND S_PARENT_ID IS NEW.S_PARENT_ID
                       AND S_ID <> NEW.S_ID)
     WHERE S_ID = NEW.S_ID;
END;

-- A user with its object row.
CREATE VIEW VIEW_USER AS
SELECT TAB_USER.S_ID, TAB_USER.I_LEVEL, TAB_USER.DT_LIMIT, TAB_USER.S_DESCRIPTION, TAB_USER.S_PASSWORD,
       TAB_OBJ.I_OBJ_TYPE_ID, TAB_OBJ.S_CAPTION
  FROM TAB_USER JOIN TAB_OBJ ON TAB_OBJ.S_ID = TAB_USER.S_ID;

-- A role with its object row, once per member (S_USER_ID NULL for a role without members).
CREATE VIEW VIEW_ROLE AS
SELECT TAB_ROLE.S_ID, TAB_ROLE.S_DESCRIPTION, TAB_ROLE.I_TYPE, TAB_OBJ.I_OBJ_TYPE_ID, TAB_OBJ.S_CAPTION,
       TAB_USER_ROLE.S_USER_ID
  FROM TAB_ROLE JOIN TAB_OBJ ON TAB_OBJ.S_ID = TAB_ROLE.S_ID
  LEFT JOIN TAB_USER_ROLE ON TAB_USER_ROLE.S_ROLE_ID = TAB_ROLE.S_ID;

-- A tree node with the type of the object it refers to (NULL for a group).
CREATE VIEW VIEW_CUSTOM_TREE AS
SELECT TAB_USER_OBJ.S_ID, TAB_USER_OBJ.S_OBJ_ID, TAB_OBJ.I_OBJ_TYPE_ID, TAB_USER_OBJ.S_CAPTION,
       TAB_USER_OBJ.S_PARENT_ID, TAB_USER_OBJ.S_USER_ID, TAB_USER_OBJ.I_NUM
  FROM TAB_USER_OBJ LEFT JOIN TAB_OBJ ON TAB_OBJ.S_ID = TAB_USER_OBJ.S_OBJ_ID;

-- The built-in administrator role. The first administrator ("admin", object type 13) is made
-- by the client (AddUser) and joins this role; every new device object grants it its rights.
INSERT INTO TAB_OBJ (S_ID, S_PARENT_ID, I_OBJ_TYPE_ID, S_CAPTION, I_VISIBLE)
VALUES ('admin_role', NULL, 14, 'admin_role', 1);
INSERT INTO TAB_ROLE (S_ID, S_DESCRIPTION, I_TYPE) VALUES ('admin_role', 'Administrators', 1);
