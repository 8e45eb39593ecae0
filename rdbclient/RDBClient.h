/*
 * RDBClient.h - the database client library of the agent.
 *
 * Four C functions carry SQL text to the call centre's database server and bring
 * back the first record of a result as one text in which every column value is
 * followed by the two characters ":;".
 *
 * Choices of this implementation (over MariaDB Connector/C):
 *  - A handle is a small positive number indexing a process-wide table of
 *    connections; 0 means "no connection". Handles are never reused.
 *  - Every connection has its own mutex, held for the whole of each call, so two
 *    threads may share one handle.
 *  - The database name is selected on every query and statement.
 *  - The server is always reached over TCP at address:port, also for "localhost".
 *  - Connect, read and write timeouts of a few seconds keep a dead server from
 *    blocking the caller for long; after a server restart the next call
 *    reconnects on its own.
 *  - Credentials never live in code: they come from "Env/rdbclient.cnf" under the
 *    working directory when that file exists, else from the standard MariaDB
 *    option files, groups [client] and [zelagent].
 *  - Texts are UTF-8 (the connection uses utf8mb4).
 *  - A NULL column value is written as the empty value.
 *  - A record that does not fit the 4096-byte buffer, or a value that itself
 *    contains ":;", is reported as an error status (code RDB_ERR_RECORD_*),
 *    never cut or shifted.
 *  - Client-side errors use the server library's own codes (2002, 2006, ...);
 *    errors of this library use the codes below.
 */
#ifndef ZELAGENT_RDBCLIENT_H
#define ZELAGENT_RDBCLIENT_H

#ifdef __cplusplus
extern "C" {
#endif

/* Size of the record buffer the caller passes to RDBQueryFirstRecord. */
#define RDB_RECORD_SIZE 4096
/* Size of the message field of RDBStatus. */
#define RDB_MESSAGE_SIZE 1004

/* Status codes of a query (field code of RDBStatus). */
#define RDB_STATUS_RECORD 0   /* a record was read */
#define RDB_STATUS_NO_RECORD 1 /* no record matched */

/* Error codes of the library itself. */
#define RDB_ERR_BAD_HANDLE 9001      /* the handle names no open connection */
#define RDB_ERR_RECORD_TOO_LONG 9002 /* the record text does not fit 4096 bytes */
#define RDB_ERR_RECORD_SEPARATOR 9003 /* a value contains the separator ":;" */
#define RDB_ERR_BAD_ARGUMENT 9004    /* a null pointer where text was needed */

/* Filled on every query and on every failed statement: 1008 bytes. */
typedef struct RDBStatus {
    int code;                       /* see above; otherwise the server's error code */
    char message[RDB_MESSAGE_SIZE]; /* zero-terminated error message */
} RDBStatus;

#ifdef __cplusplus
static_assert(sizeof(RDBStatus) == 1008, "RDBStatus must be 1008 bytes");
#else
_Static_assert(sizeof(RDBStatus) == 1008, "RDBStatus must be 1008 bytes");
#endif

/* Opens a connection; returns its handle, or 0 when it could not be opened. */
int RDBServerOpen(const char* address, const char* port);

/* Closes a connection; returns 1 when the handle was open, 0 otherwise. */
int RDBServerClose(int handle);

/* Runs a query and writes its first record into record (RDB_RECORD_SIZE bytes).
 * Returns > 0 when the call went through (status->code then says record / no record /
 * error), <= 0 on failure (status holds code and message). */
int RDBQueryFirstRecord(int handle, const char* dbName, const char* sql, char* record,
                        RDBStatus* status);

/* Runs a statement without a result set. Returns > 0 when it ran, <= 0 on failure
 * (status holds code and message). */
int RDBExecuteSQL(int handle, const char* dbName, const char* sql, RDBStatus* status);

#ifdef __cplusplus
}
#endif

#endif
