-- The privileges of the account the agents' consoles use, and no more: each column
-- the console reads or writes, and the two time functions. Run as the database's
-- administrator after schema.sql, with your account name and password in place of
-- the placeholders, filled in by the shell itself so that the password never stands on
-- a command line (the README shows how: read, escape, substitute, pipe into mariadb).
--
-- '%' lets the account in from any desk; name the desks' network instead where you
-- can (for example '10.1.2.%').
-- Agents read the passwords of USER_AGENT_INFO to check the sign-in: every agent's
-- password is visible to this account, so give it to the consoles only.

CREATE USER IF NOT EXISTS '@ACCOUNT@'@'%' IDENTIFIED BY '@PASSWORD@';

-- Sign-in: the password of the user and agent name, the desk of the user, and the
-- database type.
GRANT SELECT (USER_ID, AGENT_NM, PASSWORD) ON NEW_XAN.USER_AGENT_INFO TO '@ACCOUNT@'@'%';
GRANT SELECT (CD_GRP, CD_ID, CD_NM) ON NEW_XAN.CODE_INFO TO '@ACCOUNT@'@'%';

-- The desk: the once-a-second poll for a transferred call, and the desk's readiness.
GRANT SELECT (SVC_ID, TEL_NUM, USER_ID, XAN_ID, RECV_PHONE, CUST_INFO, TRANSFER_STATUS),
      UPDATE (IS_READY, STATUS_START_TIME)
    ON NEW_XAN.TRANSFER_NUM_INFO TO '@ACCOUNT@'@'%';
GRANT EXECUTE ON FUNCTION NEW_XAN.F_MY_DATE TO '@ACCOUNT@'@'%';
GRANT EXECUTE ON FUNCTION NEW_XAN.F_MY_TIME TO '@ACCOUNT@'@'%';

-- The call: the customer's lines, the agent's name on the call, its result and memo,
-- and the day's call count and call time.
GRANT SELECT (XAN_ID, CUST_INFO, CUST_INFO2, CUST_INFO3, CUST_INFO4)
    ON NEW_XAN.REQ_XAN TO '@ACCOUNT@'@'%';
GRANT SELECT (XAN_ID, SVC_ID, CONF_DT, CONF_TIME, AGENT_NM),
      UPDATE (AGENT_NM, CONSULT_RESULT, COMMENT)
    ON NEW_XAN.TRANSFER_HIST TO '@ACCOUNT@'@'%';

-- The history of the desk's states (written only where it is switched on): rows are
-- appended, never read, changed or removed by a console. The break reasons and the
-- switch are rows of CODE_INFO, already readable above.
GRANT INSERT ON NEW_XAN.AGENT_STATE_HIST TO '@ACCOUNT@'@'%';
