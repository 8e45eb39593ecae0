-- The call centre's database NEW_XAN as the agent program uses it (MariaDB 10.11,
-- MySQL dialect). Safe to run again: it creates only what is missing.
--
-- Texts are utf8mb4. Free texts (customer information, memos) compare with
-- utf8mb4_unicode_ci; identities and keys (user ID, agent name, password, phone
-- numbers, codes) compare exactly (utf8mb4_bin), so the sign-in matches the same
-- account whichever database form of its statements is used, and the day's
-- statistics count exactly the name that was stamped on the calls.
-- Sizes are in characters: a Korean agent name of up to 20 syllables fits.

CREATE DATABASE IF NOT EXISTS NEW_XAN CHARACTER SET utf8mb4 COLLATE utf8mb4_unicode_ci;
USE NEW_XAN;

-- One row per desk (service and phone number). The call-centre side writes a
-- transfer into it; the agent's program polls it once a second by primary key and
-- writes its readiness.
CREATE TABLE IF NOT EXISTS TRANSFER_NUM_INFO (
    SVC_ID            INT          NOT NULL,
    TEL_NUM           VARCHAR(20)  COLLATE utf8mb4_bin NOT NULL,
    USER_ID           VARCHAR(20)  COLLATE utf8mb4_bin NOT NULL,
    IS_READY          INT          NOT NULL DEFAULT 1,  -- 0 ready, 1 on break or signed out
    STATUS_START_TIME VARCHAR(14)  NOT NULL DEFAULT '00000000000000',
    XAN_ID            BIGINT       NULL,                -- the call transferred to the desk
    RECV_PHONE        VARCHAR(20)  NULL,                -- the caller's number
    CUST_INFO         VARCHAR(100) NULL,
    TRANSFER_STATUS   INT          NOT NULL DEFAULT 0,  -- 1 while a call is transferred
    PRIMARY KEY (SVC_ID, TEL_NUM),
    KEY IX_TRANSFER_NUM_INFO_USER (USER_ID)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_unicode_ci;

-- One row per call request, with the customer information shown to the agent.
CREATE TABLE IF NOT EXISTS REQ_XAN (
    XAN_ID      BIGINT       NOT NULL AUTO_INCREMENT,
    SVC_ID      INT          NOT NULL,
    RECV_PHONE  VARCHAR(20)  NOT NULL DEFAULT '',
    CUST_INFO   VARCHAR(100) NULL,
    CUST_INFO2  VARCHAR(50)  NULL,
    CUST_INFO3  VARCHAR(50)  NULL,
    CUST_INFO4  VARCHAR(50)  NULL,
    REQ_DT      CHAR(8)      NOT NULL DEFAULT (DATE_FORMAT(NOW(), '%Y%m%d')),
    REQ_TIME    CHAR(6)      NOT NULL DEFAULT (DATE_FORMAT(NOW(), '%H%i%s')),
    PRIMARY KEY (XAN_ID),
    KEY IX_REQ_XAN_SVC (SVC_ID, REQ_DT)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_unicode_ci;

-- One row per transferred call: who took it, how long it lasted, its outcome.
CREATE TABLE IF NOT EXISTS TRANSFER_HIST (
    XAN_ID         BIGINT       NOT NULL,
    SVC_ID         INT          NOT NULL,
    TEL_NUM        VARCHAR(20)  COLLATE utf8mb4_bin NOT NULL DEFAULT '',
    RECV_PHONE     VARCHAR(20)  NOT NULL DEFAULT '',
    CONF_DT        CHAR(8)      NOT NULL DEFAULT '',    -- yyyymmdd of the call
    START_TIME     VARCHAR(14)  NULL,                   -- yyyymmddhhmmss
    END_TIME       VARCHAR(14)  NULL,
    CONF_TIME      INT          NOT NULL DEFAULT 0,     -- call time in whole seconds
    AGENT_NM       VARCHAR(20)  COLLATE utf8mb4_bin NOT NULL DEFAULT '',
    CONSULT_RESULT CHAR(2)      NULL,                   -- response grade '00'..'07'
    COMMENT        VARCHAR(250) NULL,                   -- the agent's memo
    PRIMARY KEY (XAN_ID),
    KEY IX_TRANSFER_HIST_STATS (SVC_ID, CONF_DT, AGENT_NM)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_unicode_ci;

-- Sign-in accounts: one password per user ID and agent name.
CREATE TABLE IF NOT EXISTS USER_AGENT_INFO (
    USER_ID  VARCHAR(20) COLLATE utf8mb4_bin NOT NULL,
    AGENT_NM VARCHAR(20) COLLATE utf8mb4_bin NOT NULL,
    PASSWORD VARCHAR(128) COLLATE utf8mb4_bin NOT NULL,
    PRIMARY KEY (USER_ID, AGENT_NM)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_unicode_ci;
-- Room for a one-way hash (about 100 characters) in a table made with the old width.
-- Nothing changes where the column is wide enough, nor where USER_AGENT_INFO is a view
-- (the database of views keeps the table elsewhere).
SET @zel_widen = (SELECT IF(COUNT(*) = 0, 'DO 0',
    'ALTER TABLE USER_AGENT_INFO MODIFY PASSWORD VARCHAR(128) COLLATE utf8mb4_bin NOT NULL')
  FROM information_schema.COLUMNS c JOIN information_schema.TABLES t
    ON t.TABLE_SCHEMA = c.TABLE_SCHEMA AND t.TABLE_NAME = c.TABLE_NAME
  WHERE c.TABLE_SCHEMA = DATABASE() AND c.TABLE_NAME = 'USER_AGENT_INFO'
    AND c.COLUMN_NAME = 'PASSWORD' AND c.CHARACTER_MAXIMUM_LENGTH < 128
    AND t.TABLE_TYPE = 'BASE TABLE');
PREPARE zel_widen FROM @zel_widen;
EXECUTE zel_widen;
DEALLOCATE PREPARE zel_widen;

-- System codes; the program reads the database type from it.
CREATE TABLE IF NOT EXISTS CODE_INFO (
    CD_GRP VARCHAR(20)  COLLATE utf8mb4_bin NOT NULL,
    CD_ID  VARCHAR(20)  COLLATE utf8mb4_bin NOT NULL,
    CD_NM  VARCHAR(100) COLLATE utf8mb4_bin NOT NULL,
    PRIMARY KEY (CD_GRP, CD_ID)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_unicode_ci;

-- Indexes added after the tables first shipped, so that a database made by an older
-- script gets them too. The sign-in compares the user ID as binary, which no index on
-- USER_ID can serve: without this one every sign-in reads the whole account table.
-- Only where USER_AGENT_INFO is a table: a database of views keeps it elsewhere.
SET @zel_index = (SELECT IF(COUNT(*) = 0, 'DO 0',
    'CREATE INDEX IF NOT EXISTS IX_USER_AGENT_INFO_NAME ON USER_AGENT_INFO (AGENT_NM)')
  FROM information_schema.TABLES
  WHERE TABLE_SCHEMA = DATABASE() AND TABLE_NAME = 'USER_AGENT_INFO'
    AND TABLE_TYPE = 'BASE TABLE');
PREPARE zel_index FROM @zel_index;
EXECUTE zel_index;
DEALLOCATE PREPARE zel_index;

INSERT IGNORE INTO CODE_INFO (CD_GRP, CD_ID, CD_NM) VALUES ('SYSTEM_VALUE', 'DB_TYPE', 'MYSQL');

-- The history of the desks' states, kept only where the floor switches it on
-- (CODE_INFO 'SYSTEM_VALUE' / 'STATE_HIST' = 'Y'): one row per change of a desk's
-- state, written by the console after its own statement; a state lasts until the
-- desk's next row. STATE is the console's mode: 1 signed out, 2 signed in, 3 ready,
-- 4 on break, 5 after-call work, 7 in a call. REASON_CD is the break's reason (a
-- CD_ID of the group 'BREAK_REASON'), '' for anything else. START_TIME is the desk's
-- own clock when the state began, also for a row written later after an outage; a
-- row sent twice is stored once (the unique key).
CREATE TABLE IF NOT EXISTS AGENT_STATE_HIST (
    HIST_SEQ   BIGINT      NOT NULL AUTO_INCREMENT,
    USER_ID    VARCHAR(20) COLLATE utf8mb4_bin NOT NULL,
    AGENT_NM   VARCHAR(20) COLLATE utf8mb4_bin NOT NULL DEFAULT '',
    SVC_ID     INT         NOT NULL,
    TEL_NUM    VARCHAR(20) COLLATE utf8mb4_bin NOT NULL,
    STATE      INT         NOT NULL,
    REASON_CD  VARCHAR(20) COLLATE utf8mb4_bin NOT NULL DEFAULT '',
    START_TIME DATETIME(3) NOT NULL,
    PRIMARY KEY (HIST_SEQ),
    UNIQUE KEY UX_AGENT_STATE_HIST_DESK (SVC_ID, TEL_NUM, START_TIME, STATE),
    KEY IX_AGENT_STATE_HIST_START (START_TIME)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_unicode_ci;

-- Off until the floor sets it to 'Y'. Break reasons are rows of the group
-- 'BREAK_REASON' (code, Korean name), offered in the order of their codes; with none
-- the console's break works as it always has.
INSERT IGNORE INTO CODE_INFO (CD_GRP, CD_ID, CD_NM) VALUES ('SYSTEM_VALUE', 'STATE_HIST', 'N');

-- yyyymmdd and hhmmss of a time: concatenated, the 14-character STATUS_START_TIME.
CREATE FUNCTION IF NOT EXISTS F_MY_DATE(d DATETIME) RETURNS CHAR(8) CHARSET utf8mb4
    DETERMINISTIC NO SQL
    RETURN DATE_FORMAT(d, '%Y%m%d');

CREATE FUNCTION IF NOT EXISTS F_MY_TIME(d DATETIME) RETURNS CHAR(6) CHARSET utf8mb4
    DETERMINISTIC NO SQL
    RETURN DATE_FORMAT(d, '%H%i%s');
