-- Views (saved window arrangements) with their channels and layout membership, the users'
-- view cruises and group switching.

-- A view: caption, the client's parameter text, kind and template flag.
CREATE TABLE TAB_VIEW (
    S_ID         TEXT PRIMARY KEY NOT NULL,
    S_CAPTION    TEXT,
    S_PARAM      TEXT,
    I_TYPE       INTEGER NOT NULL DEFAULT 0,
    I_ISTEMPLATE INTEGER NOT NULL DEFAULT 0
);
CREATE INDEX IDX_VIEW_TYPE ON TAB_VIEW (I_TYPE);
CREATE INDEX IDX_VIEW_CAPTION ON TAB_VIEW (S_CAPTION);

-- One window of a view: the channel, its stream type, the panel and the tree node it came from.
CREATE TABLE TAB_VIEW_CHANNEL (
    S_ID          TEXT PRIMARY KEY NOT NULL,
    S_CAMERA_ID   TEXT,
    I_DATA_TYPE   INTEGER NOT NULL DEFAULT 0,
    I_PANEL_NUM   INTEGER NOT NULL DEFAULT 0,
    S_VIEW_ID     TEXT NOT NULL,
    S_TREENODE_ID TEXT
);
CREATE INDEX IDX_VIEW_CHANNEL_VIEW ON TAB_VIEW_CHANNEL (S_VIEW_ID);

-- Membership of a view in a TV-wall layout.
CREATE TABLE TAB_LAYOUT_VIEW (
    S_ID        TEXT PRIMARY KEY NOT NULL,
    S_VIEW_ID   TEXT NOT NULL,
    S_LAYOUT_ID TEXT NOT NULL
);
CREATE INDEX IDX_LAYOUT_VIEW_VIEW ON TAB_LAYOUT_VIEW (S_VIEW_ID);
CREATE INDEX IDX_LAYOUT_VIEW_LAYOUT ON TAB_LAYOUT_VIEW (S_LAYOUT_ID);

-- One entry of a user's view cruise: the view, its dwell time in seconds and its place.
CREATE TABLE TAB_VIEW_CRUISE (
    S_ID       TEXT PRIMARY KEY NOT NULL,
    S_USER_ID  TEXT NOT NULL,
    S_VIEW_ID  TEXT NOT NULL,
    I_TIME     INTEGER NOT NULL DEFAULT 10,
    I_SEQUENCE INTEGER NOT NULL DEFAULT 1
);
CREATE INDEX IDX_VIEW_CRUISE_USER ON TAB_VIEW_CRUISE (S_USER_ID, I_SEQUENCE);
CREATE INDEX IDX_VIEW_CRUISE_VIEW ON TAB_VIEW_CRUISE (S_VIEW_ID);

-- One group of a user's group switching with its screen style; the switch time is per user and
-- repeated on each of the user's rows.
CREATE TABLE TAB_GROUP_SWITCH (
    S_GROUP_ID     TEXT NOT NULL,
    I_SCREEN_STYLE INTEGER NOT NULL DEFAULT 0,
    I_SWITCH_TIME  INTEGER NOT NULL DEFAULT 0,
    S_USER_ID      TEXT NOT NULL,
    PRIMARY KEY (S_USER_ID, S_GROUP_ID)
);
CREATE INDEX IDX_GROUP_SWITCH_GROUP ON TAB_GROUP_SWITCH (S_GROUP_ID);
