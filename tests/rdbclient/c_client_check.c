/* A C program of the library's interface, compiled as C against rdbclient/RDBClient.h and
 * linked with librdbclient.so: the three results the agent relies on.
 * Arguments: option files to try; the first that exists becomes Env/rdbclient.cnf. */
#define _POSIX_C_SOURCE 200809L
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "rdbclient/RDBClient.h"

static int failures = 0;

static void check(int ok, const char* what) {
    printf("%s: %s\n", ok ? "ok" : "FAILED", what);
    failures += !ok;
}

/* The library takes only a credentials file of the user's own that no one else can read. */
static int copy_private(const char* from, const char* to) {
    FILE* in = fopen(from, "rb");
    if (in == NULL)
        return 0;
    int fd = open(to, O_WRONLY | O_CREAT | O_TRUNC, 0600);
    FILE* out = fd >= 0 ? fdopen(fd, "wb") : NULL;
    char buffer[4096];
    size_t n;
    int ok = out != NULL && fchmod(fd, 0600) == 0;
    while (ok && (n = fread(buffer, 1, sizeof buffer, in)) > 0)
        ok = fwrite(buffer, 1, n, out) == n;
    fclose(in);
    if (out != NULL)
        ok = fclose(out) == 0 && ok;
    return ok;
}

int main(int argc, char** argv) {
    int found = 0;
    mkdir("Env", 0700);
    unlink("Env/rdbclient.cnf");
    for (int i = 1; i < argc && !found; i++)
        found = copy_private(argv[i], "Env/rdbclient.cnf");
    int handle = found ? RDBServerOpen("127.0.0.1", "8907") : 0;
    check(handle > 0, "RDBServerOpen gives a handle (is the server up? scripts/db start)");
    if (handle <= 0)
        return 1;

    char record[RDB_RECORD_SIZE];
    RDBStatus status;
    int result = RDBQueryFirstRecord(handle, "NEW_XAN", "select 12, NULL", record, &status);
    check(result > 0 && status.code == 0 && strcmp(record, "12:;:;") == 0,
          "select 12, NULL gives 12:;:; and code 0");
    result = RDBQueryFirstRecord(handle, "NEW_XAN",
                                 "select CD_NM from CODE_INFO where CD_GRP = 'ZT_RDB_NONE'", record,
                                 &status);
    check(result > 0 && status.code == 1, "no matching row gives code 1");
    result = RDBQueryFirstRecord(handle, "NEW_XAN", "selec 12", record, &status);
    check(result <= 0 && status.code == 1064 &&
              strstr(status.message, "You have an error in your SQL syntax") != NULL,
          "a syntax error gives a result <= 0 with the server's code and message");
    check(RDBServerClose(handle) == 1, "RDBServerClose closes the handle");
    return failures == 0 ? 0 : 1;
}
