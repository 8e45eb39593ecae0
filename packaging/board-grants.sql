-- The account of the supervisors' status board (zelagent-board): it reads the desks,
-- the calls of the day, the waiting requests and the agents' names, and nothing else.
-- It cannot write, and it cannot read the agents' passwords. Run as the database's
-- administrator after schema.sql, with your account name and password in place of the
-- placeholders:
--
--   sed -e "s/@ACCOUNT@/zelboard/g" -e "s/@PASSWORD@/secret/g" board-grants.sql | mariadb
--
-- '%' lets the board in from any host; name the board's host instead where you can.

CREATE USER IF NOT EXISTS '@ACCOUNT@'@'%' IDENTIFIED BY '@PASSWORD@';

GRANT SELECT (SVC_ID, TEL_NUM, USER_ID, IS_READY, STATUS_START_TIME, TRANSFER_STATUS, XAN_ID)
    ON NEW_XAN.TRANSFER_NUM_INFO TO '@ACCOUNT@'@'%';
GRANT SELECT (XAN_ID, SVC_ID, CONF_DT, START_TIME, END_TIME, CONF_TIME, AGENT_NM)
    ON NEW_XAN.TRANSFER_HIST TO '@ACCOUNT@'@'%';
GRANT SELECT (XAN_ID, SVC_ID, REQ_DT) ON NEW_XAN.REQ_XAN TO '@ACCOUNT@'@'%';
GRANT SELECT (USER_ID, AGENT_NM) ON NEW_XAN.USER_AGENT_INFO TO '@ACCOUNT@'@'%';
-- Why a desk is on break, where the state history is switched on: the switch and the
-- reasons' names in CODE_INFO, and the desks' latest rows of the history.
GRANT SELECT (CD_GRP, CD_ID, CD_NM) ON NEW_XAN.CODE_INFO TO '@ACCOUNT@'@'%';
GRANT SELECT (SVC_ID, TEL_NUM, STATE, REASON_CD, START_TIME, HIST_SEQ)
    ON NEW_XAN.AGENT_STATE_HIST TO '@ACCOUNT@'@'%';
