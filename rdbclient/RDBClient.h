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
 *  - Every query and statement runs in the database it names: the library
 *    selects it whenever the session's current database (tracked by the server's
 *    schema notifications) differs, also after a statement changed it.
 *  - The server is always reached over TCP at address:port; "localhost" is
 *    reached as 127.0.0.1 (never through a Unix socket).
 *  - Connect, read and write timeouts of a few seconds keep a dead server from
 *    blocking the caller for long; after a server restart the next call
 *    reconnects on its own.
 *  - Credentials never live in code: they come from "Env/rdbclient.cnf" under the
 *    working directory when that file exists, else from the standard MariaDB
 *    option files, groups [client] and [zelagent]. A file that exists but cannot be
 *    read fails the open (it never falls back to other accounts).
 *  - Texts are UTF-8 (the connection uses utf8mb4).
 *  - A NULL column value is written as the empty value.
 *  - A value that itself contains the separator ":;" has it broken up as ": ;", and a
 *    zero byte in a value becomes a blank, so the fields never shift and the record
 *    is still delivered (a transferred call is still picked up). The status message
 *    then names the columns changed (code 0, result above 0): callers trace it.
 *  - A record that does not fit the 4096-byte buffer is reported as an error status
 *    (RDB_ERR_RECORD_TOO_LONG) with an empty record, never cut.
 *  - Every error, of the server or of this library, gives a result of 0 or
 *    less; a result above 0 always comes with code 0 (record) or 1 (no record).
 *  - Messages of this library itself are Korean, as the agent reads them in the
 *    database error box; a call on handle 0 after a failed open says why the open
 *    failed (a missing or unreadable Env/rdbclient.cnf is named).
 *  - Only these four functions are exported from the shared library.
 *  - Client-side errors use the server library's own codes (2002, 2006, ...);
 *    errors of this library use the codes below.
 */
#ifndef ZELAGENT_RDBCLIENT_H
#define ZELAGENT_RDBCLIENT_H

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#define RDB_API __attribute__((visibility("default")))
#else
#define RDB_API
#endif

/* Size of the record buffer the caller passes to RDBQueryFirstRecord. */
#define RDB_RECORD_SIZE 4096
/* Size of the message field of RDBStatus. */
#define RDB_MESSAGE_SIZE 1004

/* Status codes of a query (field code of RDBStatus). */
#define RDB_STATUS_RECORD 0    /* a record was read */
#define RDB_STATUS_NO_RECORD 1 /* no record matched */

/* Error codes of the library itself. */
#define RDB_ERR_BAD_HANDLE 9001       /* the handle names no open connection */
#define RDB_ERR_RECORD_TOO_LONG 9002  /* the record text does not fit 4096 bytes */
#define RDB_ERR_RECORD_SEPARATOR 9003 /* no longer reported: the value is delivered mended */
#define RDB_ERR_BAD_ARGUMENT 9004     /* a null pointer where text was needed */
#define RDB_ERR_RECORD_ZERO_BYTE 9005 /* no longer reported: the value is delivered mended */

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
RDB_API int RDBServerOpen(const char* address, const char* port);

/* Closes a connection; returns 1 when the handle was open, 0 otherwise. */
RDB_API int RDBServerClose(int handle);

/* Runs a query and writes its first record into record (RDB_RECORD_SIZE bytes).
 * Returns > 0 when the call went through: status->code is then 0 (record written; the
 * message is empty, or names the values mended as said above) or 1 (no record; also for
 * SQL that yields no result set, record empty). Returns <= 0 on
 * failure: status holds the code and message, record is the empty text. Further rows
 * are read and dropped, so the connection is ready for the next call. */
RDB_API int RDBQueryFirstRecord(int handle, const char* dbName, const char* sql, char* record,
                                RDBStatus* status);

/* Runs a statement. Returns > 0 when it ran (status: code 0, empty message), <= 0 on
 * failure (status holds code and message). Rows of a statement that returns a result
 * set are read and dropped. */
RDB_API int RDBExecuteSQL(int handle, const char* dbName, const char* sql, RDBStatus* status);

#ifdef __cplusplus
}
#endif

#endif
