-- Decoders and the TV wall: decoders with their inputs, outputs and output regions, TVs and
-- their outputs, screen units, TV-wall layouts with their members, and join templates. Every
-- decoder, output, region and layout also has its TAB_OBJ row (caption, owner as S_PARENT_ID).
-- The views over these tables are in 91-decoder-views.sql.

-- Decoders. The password is stored as given.
CREATE TABLE TAB_DEV_DECODER (
    S_ID              TEXT PRIMARY KEY NOT NULL,
    S_IP              TEXT,
    I_PORT            INTEGER NOT NULL DEFAULT 3000,
    S_USERNAME        TEXT,
    S_PASSWORD        TEXT,
    S_DESCRIPTION     TEXT,
    I_DECODER_TYPE_ID INTEGER NOT NULL DEFAULT 0,
    I_HTTP_PORT       INTEGER NOT NULL DEFAULT 80
);
CREATE INDEX IDX_DEV_DECODER_IP ON TAB_DEV_DECODER (S_IP, I_PORT);

-- Numbered inputs of a decoder, written when a decoder is added with its inputs.
CREATE TABLE TAB_DECODER_IN (
    S_ID             TEXT PRIMARY KEY NOT NULL,
    S_CAPTION        TEXT,
    I_DECODER_IN_NUM INTEGER NOT NULL DEFAULT 0,
    I_TYPE           INTEGER NOT NULL DEFAULT 1
);

-- Decoder outputs (the decoder is the TAB_OBJ parent); I_NUM is the output number.
CREATE TABLE TAB_DEV_DECODER_OUT (
    S_ID  TEXT PRIMARY KEY NOT NULL,
    I_NUM INTEGER NOT NULL DEFAULT 0
);

-- Regions of an output, as fractions of the output's area.
CREATE TABLE TAB_DEV_DECODER_OUT_REGION (
    S_ID     TEXT PRIMARY KEY NOT NULL,
    I_NUM    INTEGER NOT NULL DEFAULT 0,
    F_TOP    REAL NOT NULL DEFAULT 0,
    F_LEFT   REAL NOT NULL DEFAULT 0,
    F_WIDTH  REAL NOT NULL DEFAULT 0,
    F_HEIGHT REAL NOT NULL DEFAULT 0
);

-- TVs (monitors reached over the network) and their outputs, each shown on a decoder output
-- region. Caption and owner live in TAB_OBJ.
CREATE TABLE TAB_DEV_TV (
    S_ID   TEXT PRIMARY KEY NOT NULL,
    S_IP   TEXT,
    I_PORT INTEGER NOT NULL DEFAULT 0
);
CREATE TABLE TAB_DEV_TV_OUT (
    S_ID                    TEXT PRIMARY KEY NOT NULL,
    S_DECODER_OUT_REGION_ID TEXT,
    I_NUM                   INTEGER NOT NULL DEFAULT 0
);
CREATE INDEX IDX_DEV_TV_OUT_REGION ON TAB_DEV_TV_OUT (S_DECODER_OUT_REGION_ID);

-- Screen units of the TV wall. I_TYPE 1 is a joined screen; its member units carry it as
-- S_PARENT_ID. I_STYLE_X/I_STYLE_Y are the split (columns, rows), F_X..F_H the place on the
-- layout, S_PARAM a JSON object whose "order" holds the unit's order number as text.
CREATE TABLE TAB_DEV_SCREEN_UNIT (
    S_ID              TEXT PRIMARY KEY NOT NULL,
    I_TYPE            INTEGER NOT NULL DEFAULT 0,
    S_PARENT_ID       TEXT,
    I_NUM             INTEGER NOT NULL DEFAULT 0,
    S_DECODER_OUT_ID  TEXT,
    I_DECODER_OUT_NUM INTEGER NOT NULL DEFAULT 0,
    I_STYLE_X         INTEGER NOT NULL DEFAULT 1,
    I_STYLE_Y         INTEGER NOT NULL DEFAULT 1,
    S_PARAM           TEXT,
    S_CAPTION         TEXT,
    F_X               REAL NOT NULL DEFAULT 0,
    F_Y               REAL NOT NULL DEFAULT 0,
    F_W               REAL NOT NULL DEFAULT 0,
    F_H               REAL NOT NULL DEFAULT 0
);
CREATE INDEX IDX_DEV_SCREEN_UNIT_OUT ON TAB_DEV_SCREEN_UNIT (S_DECODER_OUT_ID);
CREATE INDEX IDX_DEV_SCREEN_UNIT_PARENT ON TAB_DEV_SCREEN_UNIT (S_PARENT_ID);
CREATE INDEX IDX_DEV_SCREEN_UNIT_TYPE ON TAB_DEV_SCREEN_UNIT (I_TYPE);

-- A TV-wall layout (TAB_OBJ type 44) and its background image.
CREATE TABLE TAB_TV_LAYOUT (
    S_ID  TEXT PRIMARY KEY NOT NULL,
    S_IMG TEXT
);

-- Membership of screen units (or TV outputs) in a layout, with their place.
CREATE TABLE TAB_LAYOUT_TVOUT (
    S_ID        TEXT PRIMARY KEY NOT NULL,
    S_LAYOUT_ID TEXT NOT NULL,
    S_SCREEN_ID TEXT,
    S_TV_OUT_ID TEXT,
    F_X         REAL NOT NULL DEFAULT 0,
    F_Y         REAL NOT NULL DEFAULT 0,
    F_W         REAL NOT NULL DEFAULT 0,
    F_H         REAL NOT NULL DEFAULT 0
);
CREATE INDEX IDX_LAYOUT_TVOUT_LAYOUT ON TAB_LAYOUT_TVOUT (S_LAYOUT_ID);
CREATE INDEX IDX_LAYOUT_TVOUT_SCREEN ON TAB_LAYOUT_TVOUT (S_SCREEN_ID);
CREATE INDEX IDX_LAYOUT_TVOUT_TVOUT ON TAB_LAYOUT_TVOUT (S_TV_OUT_ID);

-- Join templates of a decoder output and their regions (S_CHAN_ID NULL: no channel shown).
CREATE TABLE TAB_TV_JOIN_TEMPLATE (
    S_ID             TEXT PRIMARY KEY NOT NULL,
    S_CAPTION        TEXT,
    S_DECODER_OUT_ID TEXT
);
CREATE INDEX IDX_TV_JOIN_TEMPLATE_OUT ON TAB_TV_JOIN_TEMPLATE (S_DECODER_OUT_ID);
CREATE TABLE TAB_TV_JOIN_REGION (
    S_ID          TEXT PRIMARY KEY NOT NULL,
    S_TEMPLATE_ID TEXT NOT NULL,
    I_REGION_NO   INTEGER NOT NULL DEFAULT 0,
    F_LEFT        REAL NOT NULL DEFAULT 0,
    F_TOP         REAL NOT NULL DEFAULT 0,
    F_WIDTH       REAL NOT NULL DEFAULT 0,
    F_HEIGHT      REAL NOT NULL DEFAULT 0,
    S_CHAN_ID     TEXT
);
CREATE INDEX IDX_TV_JOIN_REGION_TEMPLATE ON TAB_TV_JOIN_REGION (S_TEMPLATE_ID, I_REGION_NO);

-- The join templates kept as a setting: a JSON array of template objects, empty at first.
INSERT OR IGNORE INTO TAB_CONFIG_USER_COMMON (S_MAIN_TYPE, S_SUB_TYPE, S_VALUE)
VALUES ('MAINTYPE_VIEWCONFIG', 'JoinTemplate', '[]');
