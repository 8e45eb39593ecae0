// Hostile-data tests against the private server: boxes and trace lines recorded, a working
// folder of their own, the CODE_INFO database-type row set per case and put back, and a
// digest of every table to prove that nothing else changed.
// Keys: SVC_ID 870-879, TEL_NUM '87xx' or hostile texts, XAN_ID 870000-879999,
// USER_ID 'sectest*'.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "platform/MessageBox.h"
#include "tests/support/DbTestSupport.h"
#include "tests/support/RecordedOutput.h"
#include "tests/support/SqlLiterals.h"

namespace sectest {

using zel::test::ParsedSql;
using zel::test::ParseSql;

// Texts that have broken statements, records or files elsewhere. Each is tried in every
// field that takes text.
inline std::vector<std::string> HostileTexts() {
    return {"'",
            "\\",
            "x\\",
            "\\'",
            "' or '1'='1",
            "or 1#",
            "a'-- x",
            "/* */",
            "; delete from CODE_INFO; --",
            ":;",
            "a:;b:;",
            std::string("a\0b", 3),
            "가'\\",
            "\xF0\x9F\x98\x80", // an emoji: no CP949 form
            "%s%n%d",
            "a\r\nb",
            std::string(300, 'x')};
}

// The database-type rows a sign-in may meet: the exact name, another case, none at all.
inline const char* const kDbTypeRows[] = {"MYSQL", "mysql", ""};

// Row count and a checksum of every row of the five tables, apart from the rows that the
// where texts name (keyed by table order below; empty = all rows).
inline std::string TableDigest(zel::test::AdminConnection& admin,
                               const std::vector<std::string>& except = {}) {
    static const char* const tables[][2] = {
        {"TRANSFER_NUM_INFO", "SVC_ID, TEL_NUM, USER_ID, IS_READY, STATUS_START_TIME, XAN_ID, "
                              "RECV_PHONE, CUST_INFO, TRANSFER_STATUS"},
        {"REQ_XAN", "XAN_ID, SVC_ID, RECV_PHONE, CUST_INFO, CUST_INFO2, CUST_INFO3, "
                    "CUST_INFO4, REQ_DT, REQ_TIME"},
        {"TRANSFER_HIST", "XAN_ID, SVC_ID, TEL_NUM, RECV_PHONE, CONF_DT, START_TIME, "
                          "END_TIME, CONF_TIME, AGENT_NM, CONSULT_RESULT, COMMENT"},
        {"USER_AGENT_INFO", "USER_ID, AGENT_NM, PASSWORD"},
        {"CODE_INFO", "CD_GRP, CD_ID, CD_NM"},
    };
    std::string digest;
    for (std::size_t i = 0; i < std::size(tables); ++i) {
        const std::string where =
            i < except.size() && !except[i].empty() ? " where not (" + except[i] + ")" : "";
        digest += tables[i][0] + std::string("=") +
                  admin
                      .Scalar(std::string("select concat(count(*), '/', "
                                          "coalesce(bit_xor(crc32(concat_ws('|', ") +
                              tables[i][1] + "))), 0)) from " + tables[i][0] + where)
                      .value_or("?") +
                  " ";
    }
    return digest;
}

class SecurityDbTest : public zel::test::DbFixture {
  protected:
    void SetUp() override {
        DbFixture::SetUp();
        if (HasFatalFailure())
            return;
        recorded_.emplace(boxes_, traces_);
        work_ = std::make_unique<zel::test::TempWorkDir>();
    }
    void TearDown() override {
        if (work_) {
            SetDbTypeRow("MYSQL");
            work_.reset();
            recorded_.reset();
        }
        DbFixture::TearDown();
    }

    void SetDbTypeRow(const std::string& value) { zel::test::SetDbTypeRow(Admin(), value); }

    std::string Digest(const std::vector<std::string>& except = {}) {
        return TableDigest(Admin(), except);
    }

    std::vector<platform::MessageBoxRequest> boxes_;
    std::vector<std::string> traces_;
    std::unique_ptr<zel::test::TempWorkDir> work_;

    std::string OwnRows() const override {
        return "delete from USER_AGENT_INFO where USER_ID like 'sectest%'; "
               "delete from TRANSFER_NUM_INFO where SVC_ID between 870 and 879; "
               "delete from REQ_XAN where XAN_ID between 870000 and 879999; "
               "delete from TRANSFER_HIST where XAN_ID between 870000 and 879999";
    }

  private:
    std::optional<zel::test::RecordedOutput> recorded_;
};

// Every query of the log that contains marker has one of the shapes and, as the server
// reads it, exactly the literals expected for that shape.
struct StatementForm {
    std::string shape;
    std::vector<std::string> literals;
};

// The shape without the blanks at its end, which the log leaves out.
inline std::string TrimmedShape(std::string shape) {
    while (!shape.empty() && (shape.back() == ' ' || shape.back() == ';'))
        shape.pop_back();
    return shape;
}

// There are exactly expected such queries: an empty log passes only where none is due.
inline void ExpectOnlyForms(const zel::test::GeneralLogReader& log, std::string_view marker,
                            const std::vector<StatementForm>& forms, std::size_t expected) {
    const std::vector<std::string> queries = log.QueriesContaining(marker);
    EXPECT_EQ(queries.size(), expected) << "statements holding " << marker;
    for (const std::string& query : queries) {
        const ParsedSql parsed = ParseSql(query);
        bool matched = false;
        for (const StatementForm& form : forms) {
            if (parsed.closed && TrimmedShape(parsed.shape) == TrimmedShape(form.shape)) {
                matched = true;
                EXPECT_EQ(parsed.literals, form.literals) << query;
            }
        }
        EXPECT_TRUE(matched) << "unexpected statement shape: " << query;
    }
}

} // namespace sectest
