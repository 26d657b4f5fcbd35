-- Electronic maps with the nodes placed on them, and the read-only catalogue of world areas with
-- the cloud domain servers that serve each area.
--
-- TAB_DOMAIN_SERVER (the servers an area may use) is not TAB_DOMAIN_SEVER_INFO of
-- 30-settings.sql (the one dynamic-DNS server of this installation).

-- S_MapImg: "image/" + format + ";base64:" + the picture's bytes in Base64.
CREATE TABLE TAB_ELECTRONICMAP (
    S_ID        TEXT PRIMARY KEY NOT NULL,
    S_Caption   TEXT,
    S_MapImg    TEXT,
    I_PicWidth  INTEGER,
    I_PicHeight INTEGER
);

-- One object may be a node of several maps: a node is its object id with its map.
CREATE TABLE TAB_ELECTRONICMAPNODE (
    S_ID       TEXT NOT NULL,
    S_Caption  TEXT,
    I_NodeType INTEGER,
    S_ParentID TEXT NOT NULL,
    I_NodeX    INTEGER,
    I_NodeY    INTEGER,
    PRIMARY KEY (S_ID, S_ParentID)
);
CREATE INDEX IDX_ELECTRONICMAPNODE_PARENT ON TAB_ELECTRONICMAPNODE (S_ParentID);

-- I_CAPTION: an entry of TAB_DD_LANG_DICTIONARY (entries 70001 to 70099 are the area names);
-- S_PINYIN: the sort key of the Chinese name.
CREATE TABLE TAB_AREA (
    S_ID         TEXT PRIMARY KEY NOT NULL,
    I_INDEX      INTEGER,
    S_CODE       TEXT,
    S_ISOCODE    TEXT,
    S_DOMAINABBR TEXT,
    S_PINYIN     TEXT,
    I_CAPTION    INTEGER
);

-- I_TYPE: kind of server (1 cloud platform, 2 peer-to-peer relay); I_INDEX: order of preference.
CREATE TABLE TAB_DOMAIN_SERVER (
    S_ID     TEXT PRIMARY KEY NOT NULL,
    I_TYPE   INTEGER,
    I_INDEX  INTEGER,
    S_DOMAIN TEXT
);

CREATE TABLE TAB_AREADOMAIN (
    S_AREAID   TEXT NOT NULL,
    S_DOMAINID TEXT NOT NULL,
    PRIMARY KEY (S_AREAID, S_DOMAINID)
);

INSERT INTO TAB_AREA (S_ID, I_INDEX, S_CODE, S_ISOCODE, S_DOMAINABBR, S_PINYIN, I_CAPTION) VALUES
    ('area_cn', 1, '86', 'CN', 'cn', 'zhongguo', 70001),
    ('area_us', 2, '1', 'US', 'us', 'meiguo', 70002),
    ('area_gb', 3, '44', 'GB', 'eu', 'yingguo', 70003),
    ('area_de', 4, '49', 'DE', 'eu', 'deguo', 70004),
    ('area_fr', 5, '33', 'FR', 'eu', 'faguo', 70005),
    ('area_ru', 6, '7', 'RU', 'eu', 'eluosi', 70006),
    ('area_jp', 7, '81', 'JP', 'as', 'riben', 70007),
    ('area_in', 8, '91', 'IN', 'as', 'yindu', 70008),
    ('area_sg', 9, '65', 'SG', 'as', 'xinjiapo', 70009),
    ('area_au', 10, '61', 'AU', 'as', 'aodaliya', 70010),
    ('area_br', 11, '55', 'BR', 'us', 'baxi', 70011);

INSERT INTO TAB_DD_LANG_DICTIONARY (I_ID, S_CAPTION, S_LANG_TYPE) VALUES
    (70001, 'China', 'EN'),
    (70002, 'United States', 'EN'),
    (70003, 'United Kingdom', 'EN'),
    (70004, 'Germany', 'EN'),
    (70005, 'France', 'EN'),
    (70006, 'Russia', 'EN'),
    (70007, 'Japan', 'EN'),
    (70008, 'India', 'EN'),
    (70009, 'Singapore', 'EN'),
    (70010, 'Australia', 'EN'),
    (70011, 'Brazil', 'EN'),
    (70001, '中国', 'CN'),
    (70002, '美国', 'CN'),
    (70003, '英国', 'CN'),
    (70004, '德国', 'CN'),
    (70005, '法国', 'CN'),
    (70006, '俄罗斯', 'CN'),
    (70007, '日本', 'CN'),
    (70008, '印度', 'CN'),
    (70009, '新加坡', 'CN'),
    (70010, '澳大利亚', 'CN'),
    (70011, '巴西', 'CN');

INSERT INTO TAB_DOMAIN_SERVER (S_ID, I_TYPE, I_INDEX, S_DOMAIN) VALUES
    ('domain_cn_cloud', 1, 1, 'cn.cloud.tessel.example'),
    ('domain_cn_p2p', 2, 1, 'cn.p2p.tessel.example'),
    ('domain_eu_cloud', 1, 1, 'eu.cloud.tessel.example'),
    ('domain_eu_p2p', 2, 1, 'eu.p2p.tessel.example'),
    ('domain_us_cloud', 1, 1, 'us.cloud.tessel.example'),
    ('domain_as_cloud', 1, 1, 'as.cloud.tessel.example'),
    ('domain_global_p2p', 2, 2, 'p2p.tessel.example');

INSERT INTO TAB_AREADOMAIN (S_AREAID, S_DOMAINID) VALUES
    ('area_cn', 'domain_cn_cloud'),
    ('area_cn', 'domain_cn_p2p'),
    ('area_us', 'domain_us_cloud'),
    ('area_us', 'domain_global_p2p'),
    ('area_br', 'domain_us_cloud'),
    ('area_br', 'domain_global_p2p'),
    ('area_gb', 'domain_eu_cloud'),
    ('area_gb', 'domain_eu_p2p'),
    ('area_de', 'domain_eu_cloud'),
    ('area_de', 'domain_eu_p2p'),
    ('area_fr', 'domain_eu_cloud'),
    ('area_fr', 'domain_eu_p2p'),
    ('area_ru', 'domain_eu_cloud'),
    ('area_ru', 'domain_global_p2p'),
    ('area_jp', 'domain_as_cloud'),
    ('area_jp', 'domain_global_p2p'),
    ('area_in', 'domain_as_cloud'),
    ('area_sg', 'domain_as_cloud'),
    ('area_sg', 'domain_global_p2p'),
    ('area_au', 'domain_as_cloud');
