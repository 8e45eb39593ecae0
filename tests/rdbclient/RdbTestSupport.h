// Calls of the client library as the tests use them, and a fixture with an open handle.
#pragma once

#include <cstring>
#include <string>
#include <unistd.h>

#include "rdbclient/RDBClient.h"
#include "tests/support/DbTestSupport.h"

namespace rdbtest {

constexpr const char* kAddress = "127.0.0.1";
constexpr const char* kPort = "8907";
constexpr const char* kDb = "NEW_XAN";

struct Outcome {
    int result = 0;
    int code = 0;
    std::string message;
    std::string record;
};

// The status and record are filled with junk first: the library must write them.
inline Outcome Query(int handle, const std::string& sql, const char* db = kDb,
                     bool withRecord = true) {
    char record[RDB_RECORD_SIZE];
    RDBStatus status;
    std::memset(record, 'J', sizeof record);
    std::memset(&status, 'J', sizeof status);
    Outcome out;
    out.result = withRecord ? RDBQueryFirstRecord(handle, db, sql.c_str(), record, &status)
                            : RDBExecuteSQL(handle, db, sql.c_str(), &status);
    out.code = status.code;
    out.message.assign(status.message, strnlen(status.message, sizeof status.message));
    EXPECT_LT(out.message.size(), sizeof status.message) << "message not zero-terminated";
    if (withRecord) {
        out.record.assign(record, strnlen(record, sizeof record));
        EXPECT_LT(out.record.size(), sizeof record) << "record not zero-terminated";
    }
    return out;
}
inline Outcome Execute(int handle, const std::string& sql) {
    return Query(handle, sql, kDb, false);
}

// A table name of this test process, so parallel runs never meet.
inline std::string ScratchTable(const std::string& stem) {
    return "ZT_RDB_" + stem + "_" + std::to_string(getpid());
}

class RdbClientTest : public zel::test::DbFixture {
  protected:
    void SetUp() override {
        DbFixture::SetUp();
        if (HasFatalFailure())
            return;
        work_ = std::make_unique<zel::test::TempWorkDir>();
        handle_ = RDBServerOpen(kAddress, kPort);
        ASSERT_GT(handle_, 0);
    }
    void TearDown() override {
        if (handle_ > 0)
            RDBServerClose(handle_);
        work_.reset();
        DbFixture::TearDown();
    }

    int handle_ = 0;
    std::unique_ptr<zel::test::TempWorkDir> work_;
};

} // namespace rdbtest
