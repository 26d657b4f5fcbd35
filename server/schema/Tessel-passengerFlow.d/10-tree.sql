-- The users' passenger-flow trees: the same table as the custom trees of Tessel.db.
-- A group when S_OBJ_ID is NULL, else a reference to a channel of Tessel.db; S_PARENT_ID NULL
-- at the root. I_NUM orders siblings and is assigned here.
CREATE TABLE TAB_USER_OBJ (
    S_ID        TEXT PRIMARY KEY NOT NULL,
    S_USER_ID   TEXT,
    S_OBJ_ID    TEXT,
    S_CAPTION   TEXT,
    S_PARENT_ID TEXT,
    I_NUM       INTEGER
);
CREATE INDEX IDX_USER_OBJ_SIBLINGS ON TAB_USER_OBJ (S_USER_ID, S_PARENT_ID, I_NUM);
CREATE INDEX IDX_USER_OBJ_PARENT ON TAB_USER_OBJ (S_PARENT_ID, I_NUM);
CREATE INDEX IDX_USER_OBJ_OBJ ON TAB_USER_OBJ (S_OBJ_ID);

-- A new node without a number goes after its siblings of the same user.
CREATE TRIGGER TRG_USER_OBJ_NUM AFTER INSERT ON TAB_USER_OBJ
FOR EACH ROW WHEN NEW.I_NUM IS NULL
BEGIN
    UPDATE TAB_USER_OBJ
       SET I_NUM = (SELECT IFNULL(MAX(I_NUM), 0) + 1 FROM TAB_USER_OBJ
                     WHERE S_USER_ID IS NEW.S_USER_ID AND S_PARENT_ID IS NEW.S_PARENT_ID
                       AND S_ID <> NEW.S_ID)
     WHERE S_ID = NEW.S_ID;
END;

-- The objects live in Tessel.db, which this file cannot join: every device node of this tree
-- is a counting camera (type 5), a group has no type.
CREATE VIEW VIEW_CUSTOM_TREE AS
SELECT S_ID, S_OBJ_ID, CASE WHEN S_OBJ_ID IS NULL THEN NULL ELSE 5 END AS I_OBJ_TYPE_ID, S_CAPTION,
       S_PARENT_ID, S_USER_ID, I_NUM
  FROM TAB_USER_OBJ;
