-- Passenger-flow statistics. TAB_PASSENGERFLOW_INFO is the template of the monthly counting
-- tables TAB_PASSENGERFLOW_INFO<yyyyMM> (the month of DT_DATE), which the server creates from it,
-- with these indexes, on the first write of a month.

CREATE TABLE TAB_PASSENGERFLOW_INFO (
    S_ID             TEXT PRIMARY KEY NOT NULL,
    S_CHANNEL_OBJ_ID TEXT,
    DT_DATE          TEXT,
    DT_TIME          TEXT,
    I_IN_NUMBER      INTEGER DEFAULT 0,
    I_OUT_NUMBER     INTEGER DEFAULT 0,
    I_PASS_NUMBER    INTEGER DEFAULT 0
);
-- One row per channel, day and slot (two reports of one slot racing cannot both insert it): a
-- report finds its row to add to, the statistics of a period select by channel and day range,
-- and the totals since a clear time by channel.
CREATE UNIQUE INDEX IDX_PASSENGERFLOW_INFO_SLOT ON TAB_PASSENGERFLOW_INFO (S_CHANNEL_OBJ_ID, DT_DATE, DT_TIME);

-- Regions: named groups of counting channels with a capacity limit, a surge rule and a fixed
-- base number, owned by a user. Counting for a region starts at DT_START_STATISTIC.
CREATE TABLE TAB_PASSENGERFLOW_REGION (
    S_ID                       TEXT PRIMARY KEY NOT NULL,
    S_REGION_NAME              TEXT,
    DT_START                   TEXT,
    DT_END                     TEXT,
    I_MAXCAPACITY_NUMBER       INTEGER DEFAULT 0,
    I_MAXCAPACITY_ALARM_ENABLE INTEGER DEFAULT 0,
    I_SHOOTUP_NUMBER           INTEGER DEFAULT 0,
    I_SHOOTUP_TIME             INTEGER DEFAULT 0,
    I_SHOOTUP_ALARM_ENABLE     INTEGER DEFAULT 0,
    I_FIX_NUMBER               INTEGER DEFAULT 0,
    I_ALARM_INTERVAL           INTEGER DEFAULT 0,
    S_USER_ID                  TEXT,
    DT_START_STATISTIC         TEXT
);
CREATE INDEX IDX_PASSENGERFLOW_REGION_USER ON TAB_PASSENGERFLOW_REGION (S_USER_ID);

-- The channels of a region in their order (I_SEQ).
CREATE TABLE TAB_PASSENGERFLOW_REGION_CHANNEL (
    S_ID             TEXT PRIMARY KEY NOT NULL,
    S_REGION_ID      TEXT,
    S_CHANNEL_OBJ_ID TEXT,
    I_SEQ            INTEGER DEFAULT 0,
    S_USER_ID        TEXT
);
CREATE INDEX IDX_PASSENGERFLOW_REGION_CHANNEL_REGION ON TAB_PASSENGERFLOW_REGION_CHANNEL (S_REGION_ID, I_SEQ);
CREATE INDEX IDX_PASSENGERFLOW_REGION_CHANNEL_OBJ ON TAB_PASSENGERFLOW_REGION_CHANNEL (S_CHANNEL_OBJ_ID);
