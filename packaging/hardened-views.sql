-- NEW_XAN as the agents see it when each agent has a database account of their own:
-- views with the tables' names over the real tables in NEW_XAN_DATA, each showing the
-- connected agent only their own rows. The consoles' statements run unchanged.
--
-- Run by `zelagent-agent-account setup`, after it has moved the tables from NEW_XAN to
-- NEW_XAN_DATA; safe to run again (it replaces the views and keeps the data).
--
-- Who is connected: the user name of SESSION_USER() (the account the client logged in
-- with; CURRENT_USER() inside these views names their definer), that is all before the
-- host, which never holds an '@', looked up by key in NEW_XAN_DATA.AGENT_ACCOUNT, which
-- the operator keeps and agents cannot read. An account with no row there sees nothing.
-- (The lookup is written out in each view: MariaDB refuses column grants on a view
-- that reads another view.) The views run as 'zelagent_views'@'localhost',
-- a locked account with exactly the rights the views need, so a mistake in a view can
-- never reach further than that.

CREATE TABLE IF NOT EXISTS NEW_XAN_DATA.AGENT_ACCOUNT (
    ACCOUNT_NM VARCHAR(80) COLLATE utf8mb4_bin NOT NULL, -- the database account's user name
    USER_ID    VARCHAR(20) COLLATE utf8mb4_bin NOT NULL, -- the agent's USER_AGENT_INFO.USER_ID
    PRIMARY KEY (ACCOUNT_NM)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_unicode_ci;

CREATE USER IF NOT EXISTS 'zelagent_views'@'localhost' ACCOUNT LOCK;

-- What the views' definer may do under them: read, and write only the columns the
-- agents write.
GRANT SELECT ON NEW_XAN_DATA.AGENT_ACCOUNT TO 'zelagent_views'@'localhost';
GRANT SELECT ON NEW_XAN_DATA.USER_AGENT_INFO TO 'zelagent_views'@'localhost';
GRANT SELECT ON NEW_XAN_DATA.CODE_INFO TO 'zelagent_views'@'localhost';
GRANT SELECT ON NEW_XAN_DATA.REQ_XAN TO 'zelagent_views'@'localhost';
GRANT SELECT, UPDATE (IS_READY, STATUS_START_TIME)
    ON NEW_XAN_DATA.TRANSFER_NUM_INFO TO 'zelagent_views'@'localhost';
GRANT SELECT, UPDATE (AGENT_NM, CONSULT_RESULT, COMMENT)
    ON NEW_XAN_DATA.TRANSFER_HIST TO 'zelagent_views'@'localhost';
GRANT SELECT, INSERT ON NEW_XAN_DATA.AGENT_STATE_HIST TO 'zelagent_views'@'localhost';

-- The sign-in reads the agent's own password; nobody else's row exists for them.
CREATE OR REPLACE DEFINER = 'zelagent_views'@'localhost' SQL SECURITY DEFINER
VIEW NEW_XAN.USER_AGENT_INFO AS
SELECT USER_ID, AGENT_NM, PASSWORD
  FROM NEW_XAN_DATA.USER_AGENT_INFO
 WHERE USER_ID = (SELECT a.USER_ID FROM NEW_XAN_DATA.AGENT_ACCOUNT a
            WHERE a.ACCOUNT_NM = LEFT(SESSION_USER(), CHAR_LENGTH(SESSION_USER()) -
                  CHAR_LENGTH(SUBSTRING_INDEX(SESSION_USER(), '@', -1)) - 1))
WITH CHECK OPTION;

-- System codes hold no one's data: read as they are.
CREATE OR REPLACE DEFINER = 'zelagent_views'@'localhost' SQL SECURITY DEFINER
VIEW NEW_XAN.CODE_INFO AS
SELECT CD_GRP, CD_ID, CD_NM FROM NEW_XAN_DATA.CODE_INFO;

-- The agent's own desks: polled, and their readiness written.
CREATE OR REPLACE DEFINER = 'zelagent_views'@'localhost' SQL SECURITY DEFINER
VIEW NEW_XAN.TRANSFER_NUM_INFO AS
SELECT SVC_ID, TEL_NUM, USER_ID, IS_READY, STATUS_START_TIME, XAN_ID, RECV_PHONE, CUST_INFO,
       TRANSFER_STATUS
  FROM NEW_XAN_DATA.TRANSFER_NUM_INFO
 WHERE USER_ID = (SELECT a.USER_ID FROM NEW_XAN_DATA.AGENT_ACCOUNT a
            WHERE a.ACCOUNT_NM = LEFT(SESSION_USER(), CHAR_LENGTH(SESSION_USER()) -
                  CHAR_LENGTH(SUBSTRING_INDEX(SESSION_USER(), '@', -1)) - 1))
WITH CHECK OPTION;

-- The calls of the agent's desks (the desk the call centre recorded on the call, or the
-- call on the desk now) that are stamped with one of the agent's names or untouched:
-- unstamped, no result, no memo. The check option holds every change to that, so a
-- stamp can only be the agent's own name and a result only lands on a call stamped so.
CREATE OR REPLACE DEFINER = 'zelagent_views'@'localhost' SQL SECURITY DEFINER
VIEW NEW_XAN.TRANSFER_HIST AS
SELECT XAN_ID, SVC_ID, TEL_NUM, RECV_PHONE, CONF_DT, START_TIME, END_TIME, CONF_TIME, AGENT_NM,
       CONSULT_RESULT, COMMENT
  FROM NEW_XAN_DATA.TRANSFER_HIST
 WHERE ((SVC_ID, TEL_NUM) IN
          (SELECT d.SVC_ID, d.TEL_NUM FROM NEW_XAN_DATA.TRANSFER_NUM_INFO d
            WHERE d.USER_ID = (SELECT a.USER_ID FROM NEW_XAN_DATA.AGENT_ACCOUNT a
                        WHERE a.ACCOUNT_NM = LEFT(SESSION_USER(), CHAR_LENGTH(SESSION_USER()) -
                              CHAR_LENGTH(SUBSTRING_INDEX(SESSION_USER(), '@', -1)) - 1)))
        OR XAN_ID IN
          (SELECT d.XAN_ID FROM NEW_XAN_DATA.TRANSFER_NUM_INFO d
            WHERE d.XAN_ID IS NOT NULL AND d.USER_ID = (SELECT a.USER_ID FROM NEW_XAN_DATA.AGENT_ACCOUNT a
                        WHERE a.ACCOUNT_NM = LEFT(SESSION_USER(), CHAR_LENGTH(SESSION_USER()) -
                              CHAR_LENGTH(SUBSTRING_INDEX(SESSION_USER(), '@', -1)) - 1))))
   AND (AGENT_NM IN
          (SELECT u.AGENT_NM FROM NEW_XAN_DATA.USER_AGENT_INFO u
            WHERE u.USER_ID = (SELECT a.USER_ID FROM NEW_XAN_DATA.AGENT_ACCOUNT a
                        WHERE a.ACCOUNT_NM = LEFT(SESSION_USER(), CHAR_LENGTH(SESSION_USER()) -
                              CHAR_LENGTH(SUBSTRING_INDEX(SESSION_USER(), '@', -1)) - 1)))
        OR (AGENT_NM = '' AND IFNULL(CONSULT_RESULT, '') = '' AND IFNULL(COMMENT, '') = ''))
WITH CHECK OPTION;

-- The customer lines of the agent's calls: the call on their desk, and the calls
-- stamped with their name on their desks.
CREATE OR REPLACE DEFINER = 'zelagent_views'@'localhost' SQL SECURITY DEFINER
VIEW NEW_XAN.REQ_XAN AS
SELECT XAN_ID, CUST_INFO, CUST_INFO2, CUST_INFO3, CUST_INFO4
  FROM NEW_XAN_DATA.REQ_XAN
 WHERE XAN_ID IN
         (SELECT d.XAN_ID FROM NEW_XAN_DATA.TRANSFER_NUM_INFO d
           WHERE d.XAN_ID IS NOT NULL AND d.USER_ID = (SELECT a.USER_ID FROM NEW_XAN_DATA.AGENT_ACCOUNT a
                       WHERE a.ACCOUNT_NM = LEFT(SESSION_USER(), CHAR_LENGTH(SESSION_USER()) -
                             CHAR_LENGTH(SUBSTRING_INDEX(SESSION_USER(), '@', -1)) - 1)))
    OR XAN_ID IN
         (SELECT h.XAN_ID
            FROM NEW_XAN_DATA.TRANSFER_HIST h
            JOIN NEW_XAN_DATA.TRANSFER_NUM_INFO d ON d.SVC_ID = h.SVC_ID AND d.TEL_NUM = h.TEL_NUM
            JOIN NEW_XAN_DATA.USER_AGENT_INFO u ON u.USER_ID = d.USER_ID AND u.AGENT_NM = h.AGENT_NM
           WHERE d.USER_ID = (SELECT a.USER_ID FROM NEW_XAN_DATA.AGENT_ACCOUNT a
                       WHERE a.ACCOUNT_NM = LEFT(SESSION_USER(), CHAR_LENGTH(SESSION_USER()) -
                             CHAR_LENGTH(SUBSTRING_INDEX(SESSION_USER(), '@', -1)) - 1)));

-- The history of the desks' states: rows appended for the agent's own user and desks
-- only, never read.
CREATE OR REPLACE DEFINER = 'zelagent_views'@'localhost' SQL SECURITY DEFINER
VIEW NEW_XAN.AGENT_STATE_HIST AS
SELECT HIST_SEQ, USER_ID, AGENT_NM, SVC_ID, TEL_NUM, STATE, REASON_CD, START_TIME
  FROM NEW_XAN_DATA.AGENT_STATE_HIST
 WHERE USER_ID = (SELECT a.USER_ID FROM NEW_XAN_DATA.AGENT_ACCOUNT a
            WHERE a.ACCOUNT_NM = LEFT(SESSION_USER(), CHAR_LENGTH(SESSION_USER()) -
                  CHAR_LENGTH(SUBSTRING_INDEX(SESSION_USER(), '@', -1)) - 1))
   AND (SVC_ID, TEL_NUM) IN
         (SELECT d.SVC_ID, d.TEL_NUM FROM NEW_XAN_DATA.TRANSFER_NUM_INFO d
           WHERE d.USER_ID = (SELECT a.USER_ID FROM NEW_XAN_DATA.AGENT_ACCOUNT a
                       WHERE a.ACCOUNT_NM = LEFT(SESSION_USER(), CHAR_LENGTH(SESSION_USER()) -
                             CHAR_LENGTH(SUBSTRING_INDEX(SESSION_USER(), '@', -1)) - 1)))
WITH CHECK OPTION;

-- What every agent's account may do, given to each through this role.
CREATE ROLE IF NOT EXISTS zelagent_agent;
GRANT SELECT (USER_ID, AGENT_NM, PASSWORD) ON NEW_XAN.USER_AGENT_INFO TO zelagent_agent;
GRANT SELECT (CD_GRP, CD_ID, CD_NM) ON NEW_XAN.CODE_INFO TO zelagent_agent;
GRANT SELECT (SVC_ID, TEL_NUM, USER_ID, XAN_ID, RECV_PHONE, CUST_INFO, TRANSFER_STATUS),
      UPDATE (IS_READY, STATUS_START_TIME)
    ON NEW_XAN.TRANSFER_NUM_INFO TO zelagent_agent;
GRANT SELECT (XAN_ID, CUST_INFO, CUST_INFO2, CUST_INFO3, CUST_INFO4)
    ON NEW_XAN.REQ_XAN TO zelagent_agent;
GRANT SELECT (XAN_ID, SVC_ID, CONF_DT, CONF_TIME, AGENT_NM),
      UPDATE (AGENT_NM, CONSULT_RESULT, COMMENT)
    ON NEW_XAN.TRANSFER_HIST TO zelagent_agent;
GRANT INSERT ON NEW_XAN.AGENT_STATE_HIST TO zelagent_agent;
GRANT EXECUTE ON FUNCTION NEW_XAN.F_MY_DATE TO zelagent_agent;
GRANT EXECUTE ON FUNCTION NEW_XAN.F_MY_TIME TO zelagent_agent;

