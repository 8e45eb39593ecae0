// Hostile texts typed into every sign-in field of the sign-in dialog, under every
// database-type row: nothing signs in that should not, every statement keeps its shape on
// the server, nothing is written, and a text over its limit stops at the limit message
// before any statement is sent.
#include <gtest/gtest.h>
#include <wx/textctrl.h>

#include "db/AgentEnv.h"
#include "db/AgentStatements.h"
#include "dialogs/ByteLimit.h"
#include "dialogs/LoginDlg.h"
#include "platform/gui/DialogBuilder.h"
#include "res/ResourceIds.h"
#include "tests/dialogs/DialogTestSupport.h"
#include "tests/gui/support/GuiTestSupport.h"
#include "tests/security/SecurityDbFixture.h"
#include "util/Cp949.h"

namespace sectest {
namespace {

constexpr const char* kUser = "sectest1";
constexpr const char* kAgent = "김보안";
constexpr const char* kPassword = "Pw 1";
constexpr const char* kSvcId = "871";
constexpr const char* kTelNum = "8701";

constexpr std::pair<SignInField, int> kControls[] = {{SignInField::Password, IDC_EDIT_PASSWORD},
                                                     {SignInField::TelNum, IDC_EDIT_EXTENSION},
                                                     {SignInField::AgentName, IDC_EDIT_AGENT_NM},
                                                     {SignInField::SvcId, IDC_EDIT_SVC_ID},
                                                     {SignInField::UserId, IDC_EDIT_USER_ID}};

std::string& Field(SignInFields& f, SignInField which) {
    switch (which) {
    case SignInField::Password:
        return f.password;
    case SignInField::TelNum:
        return f.telNum;
    case SignInField::AgentName:
        return f.agentName;
    case SignInField::SvcId:
        return f.svcId;
    default:
        return f.userId;
    }
}

wxTextCtrl* Edit(CLoginDlg& dialog, SignInField which) {
    for (const auto& [field, id] : kControls)
        if (field == which)
            return platform::GetDlgItemAs<wxTextCtrl>(&dialog, id);
    return nullptr;
}

class SignInSecurityTest : public SecurityDbTest {
  protected:
    void SetUp() override {
        SecurityDbTest::SetUp();
        if (HasFatalFailure())
            return;
        zel::test::AddAgentAndDesk(Admin(), kUser, kAgent, kPassword, kSvcId, kTelNum);
        CTELVOAgentEnv& env = theAgentEnv();
        env.serverAddress = "localhost"; // the private server, with no start-up warning
        ASSERT_TRUE(env.RDBServerOpen());
    }
    void TearDown() override {
        theAgentEnv().ServerClose();
        theAgentEnv().connection = 0;
        theAgentEnv().dbType = 0;
        SecurityDbTest::TearDown();
    }

    // The script's attempts run in one sign-in dialog, as an agent would make them.
    void InDialog(const std::function<void(CLoginDlg&)>& script) {
        CLoginDlg dialog;
        dlgtest::RunModal(dialog, [&] { script(dialog); });
    }

    // One attempt: the texts put into the fields whole, as stored last values are (typing
    // would stop at a field's limit), then 로그인. True when the dialog is still open and
    // nothing has ended the program.
    bool Attempt(CLoginDlg& dialog, const SignInFields& typed, const std::string& dbTypeRow) {
        SetDbTypeRow(dbTypeRow);
        theAgentEnv().dbType = 0;
        SignInFields texts = typed;
        for (const auto& [field, id] : kControls)
            ChangeValueUnchecked(*Edit(dialog, field), wxString::FromUTF8(Field(texts, field)));
        dialog.OnOK();
        // The statements run on the dialog's worker; the outcome comes back as a UI call.
        if (!guitest::PumpUntil([&dialog] { return !dialog.IsSigningIn(); }, 15000))
            return false;
        return dialog.IsModal() && exits_.statuses.empty();
    }

    // The statements the sign-in may send with these (trimmed) fields.
    static std::vector<StatementForm> Forms(const SignInFields& f) {
        return {
            {ParseSql(PasswordStatement("u", "a", 0)).shape, {f.userId, f.agentName}},
            {ParseSql(PasswordStatement("u", "a", 2)).shape, {f.userId, f.agentName}},
            {ParseSql(PhoneStatement("u", f.svcId, "t")).shape, {f.userId, f.telNum}},
        };
    }

    dlgtest::ExitRecorder exits_;
};

// How many statements carry a text typed into this field: the user ID and agent name go
// into the password statement, the phone number into the phone statement, which only the
// MYSQL form reaches with the right password; the service ID (not digits) and the
// password are never sent.
std::size_t StatementsCarrying(SignInField which, const std::string& dbTypeRow) {
    switch (which) {
    case SignInField::UserId:
    case SignInField::AgentName:
        return 1;
    case SignInField::TelNum:
        return dbTypeRow == "MYSQL" ? 1 : 0;
    default:
        return 0;
    }
}

TEST_F(SignInSecurityTest, HostileTextInAnyFieldNeverSignsInNorChangesARow) {
    const std::string before = Digest();
    int n = 0;
    InDialog([&](CLoginDlg& dialog) {
        for (const char* row : kDbTypeRows) {
            for (const auto& [which, id] : kControls) {
                for (const std::string& text : HostileTexts()) {
                    const std::string marker = "zq" + std::to_string(++n) + "q";
                    SCOPED_TRACE(marker + " db type '" + row + "' control " + std::to_string(id) +
                                 ": " + text);
                    SignInFields f{kPassword, kTelNum, kAgent, kSvcId, kUser};
                    Field(f, which) = marker + text;
                    zel::test::GeneralLogReader log;
                    const std::size_t boxes = boxes_.size();
                    ASSERT_TRUE(Attempt(dialog, f, row));
                    // What the field holds as the dialog takes it, before trimming.
                    const std::string held = Edit(dialog, which)->GetValue().utf8_string();
                    const std::size_t limit = SignInFieldLimit(which);
                    if (limit != 0 && cp949::LimitLength(held) > limit) {
                        // Over its limit: the limit message, and nothing reaches the server.
                        ASSERT_EQ(boxes_.size(), boxes + 1);
                        EXPECT_EQ(boxes_.back().text, LimitMessage(limit));
                        EXPECT_FALSE(log.ContainsQuery(agentsql::kCheckDBTypeSql));
                        ExpectOnlyForms(log, marker, {}, 0);
                        continue;
                    }
                    // The attempt ran: the database type was asked for first.
                    EXPECT_TRUE(log.ContainsQuery(agentsql::kCheckDBTypeSql));
                    ExpectOnlyForms(log, marker, Forms(dialog.Fields()),
                                    StatementsCarrying(which, row));
                }
            }
        }
    });
    SetDbTypeRow("MYSQL"); // as it was for the first digest
    EXPECT_EQ(Digest(), before);
    EXPECT_FALSE(std::filesystem::exists(work_->Env() / "ZELAgent.INI"));
    EXPECT_TRUE(theAgentEnv().userId.empty());
}

// A backslash at the end of the user ID once ended its quoted text on this server when
// CODE_INFO did not say MYSQL exactly; "or 1#" then opened any account.
TEST_F(SignInSecurityTest, ABackslashNeverOpensAnotherAccountWhateverTheDatabaseType) {
    Admin().Execute("insert into USER_AGENT_INFO (USER_ID, AGENT_NM, PASSWORD) values "
                    "('sectest2\\\\', 'or 1#', 'Other 2')");
    // What an open condition would hand back first: the password the attacker tries.
    const std::string first =
        Admin().Scalar("select PASSWORD from USER_AGENT_INFO limit 1").value_or("");
    InDialog([&](CLoginDlg& dialog) {
        for (const char* row : kDbTypeRows) {
            SCOPED_TRACE(std::string("db type '") + row + "'");
            for (const std::string& password : {first, std::string(kPassword)}) {
                zel::test::GeneralLogReader log;
                ASSERT_TRUE(Attempt(dialog, {password, "or 1#", "or 1#", kSvcId, "x\\"}, row));
                ExpectOnlyForms(log, "or 1#", Forms(dialog.Fields()), 1);
            }
            // The account whose ID ends in a backslash is still found, with its own
            // password, where the server takes the statement form at all: then only its
            // desk is missing.
            ASSERT_TRUE(Attempt(dialog, {"Other 2", kTelNum, "or 1#", kSvcId, "sectest2\\"}, row));
            if (std::string(row) == "MYSQL") {
                EXPECT_EQ(boxes_.back().text,
                          "잘못된 서비스 ID이거나 등록되지 않은 전화번호 입니다.");
            }
        }
    });
    EXPECT_TRUE(theAgentEnv().userId.empty());
}

} // namespace
} // namespace sectest
