#include "dialogs/SignIn.h"

#include <initializer_list>
#include <utility>

#include "config/IniFile.h"
#include "db/AgentEnv.h"
#include "db/PasswordCheck.h"
#include "db/SqlText.h"
#include "platform/MessageBox.h"
#include "util/Trace.h"

namespace {

constexpr const char* kSettingsFile = "Env\\ZELAgent.INI";
constexpr const char* kSettingsSection = "GENERAL";
constexpr const char* kErrorCaption = "에러";
constexpr const char* kInfoCaption = "알림";

constexpr const char* kPasswordSqlMySql =
    "select PASSWORD from USER_AGENT_INFO where binary USER_ID = '%s' and AGENT_NM = '%s' ";
constexpr const char* kPasswordSqlServer = "select PASSWORD from USER_AGENT_INFO where USER_ID = "
                                           "'%s' and AGENT_NM = '%s' collate Korean_Wansung_BIN ";
constexpr const char* kPhoneSql = "select TEL_NUM from TRANSFER_NUM_INFO where USER_ID = '%s' "
                                  "and SVC_ID = %s and TEL_NUM = '%s' ";

constexpr const char* kUnknownUser = "등록되지 않은 사용자 입니다.";
constexpr const char* kWrongPassword = "비밀번호가 일치하지 않습니다.";
constexpr const char* kUnknownDesk = "잘못된 서비스 ID이거나 등록되지 않은 전화번호 입니다.";

// Puts the values in place of the format's %s, in order. No length limit, so a long
// value can never cut a statement inside a quoted text.
std::string FillIn(std::string_view format, std::initializer_list<std::string_view> values) {
    std::string out;
    auto value = values.begin();
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size() && format[i + 1] == 's' &&
            value != values.end()) {
            out += *value++;
            ++i;
        } else {
            out += format[i];
        }
    }
    return out;
}

SignInOutcome Refuse(std::string message, const char* caption, unsigned style,
                     SignInField focus = SignInField::None) {
    SignInOutcome outcome;
    outcome.message = std::move(message);
    outcome.caption = caption;
    outcome.style = style;
    outcome.focus = focus;
    return outcome;
}

SignInOutcome Inform(const char* message, SignInField select = SignInField::None) {
    SignInOutcome outcome = Refuse(message, kInfoCaption, platform::MB_ICONINFORMATION);
    outcome.select = select;
    return outcome;
}

} // namespace

std::size_t SignInFieldLimit(SignInField field) {
    switch (field) {
    case SignInField::Password:
        return 10;
    case SignInField::TelNum:
        return 20;
    case SignInField::AgentName:
        return 10;
    case SignInField::SvcId:
        return 6;
    default:
        return 0;
    }
}

std::string LimitMessage(std::size_t limit) {
    return std::to_string(limit) + " 이하의 문자를 입력하십시오.";
}

std::string TrimBlanks(std::string_view text) {
    constexpr std::string_view kBlanks = " \t\n\r\v\f";
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(kBlanks);
    return std::string(text.substr(first, last - first + 1));
}

std::string PasswordStatement(const std::string& userId, const std::string& agentName, int dbType) {
    return FillIn(dbType == DB_TYPE_MYSQL ? kPasswordSqlMySql : kPasswordSqlServer,
                  {EscapeSqlText(userId), EscapeSqlText(agentName)});
}

std::string PhoneStatement(const std::string& userId, const std::string& svcId,
                           const std::string& telNum) {
    return FillIn(kPhoneSql, {EscapeSqlText(userId), svcId, EscapeSqlText(telNum)});
}

SignInOutcome RunSignIn(SignInFields& fields) {
    CTELVOAgentEnv& env = theAgentEnv();

    // The database type is learned anew at every attempt, before anything else.
    switch (env.CheckDBType()) {
    case -1: {
        SignInOutcome outcome;
        outcome.result = SignInOutcome::Result::ExitProcess;
        return outcome;
    }
    case 0:
        env.ServerClose();
        env.RDBServerOpen();
        break;
    default:
        break;
    }

    fields.userId = TrimBlanks(fields.userId);
    fields.svcId = TrimBlanks(fields.svcId);
    fields.agentName = TrimBlanks(fields.agentName);
    fields.telNum = TrimBlanks(fields.telNum);

    constexpr unsigned kError = platform::MB_ICONERROR;
    if (fields.userId.empty())
        return Refuse("사용자ID를 입력하십시오", kErrorCaption, kError, SignInField::UserId);
    if (fields.svcId.empty())
        return Refuse("서비스ID를 입력하십시오", kErrorCaption, kError, SignInField::SvcId);
    if (fields.agentName.empty())
        return Refuse("상담원명을 입력하십시오", kErrorCaption, kError, SignInField::AgentName);
    if (fields.password.empty())
        return Refuse("비밀번호를 입력하십시오", kErrorCaption, kError, SignInField::Password);

    std::string storedPassword;
    switch (env.GetFirstRecord(
        storedPassword, PasswordStatement(fields.userId, fields.agentName, env.dbType), false)) {
    case -1:
        return {};
    case 0:
        return Inform(kUnknownUser);
    default:
        break;
    }
    // A one-way hash or, in a row not yet converted, the password itself.
    switch (CheckPassword(storedPassword, fields.password, [&env](std::string& value) {
        return env.GetFirstRecord(value, kPlainPasswordSwitchSql, false);
    })) {
    case PasswordMatch::Error:
        return {};
    case PasswordMatch::Mismatch:
        return Inform(kWrongPassword, SignInField::Password); // the next try replaces it
    case PasswordMatch::PlainRefused:
        return Inform(kPlainPasswordRefused);
    case PasswordMatch::Match:
        break;
    }

    // The service ID stands unquoted in the statement: anything but digits never
    // reaches the server.
    if (!IsPlainDigits(fields.svcId))
        return Inform(kUnknownDesk);
    std::string telNum;
    switch (env.GetFirstRecord(telNum, PhoneStatement(fields.userId, fields.svcId, fields.telNum),
                               false)) {
    case -1:
        return {};
    case 0:
        return Inform(kUnknownDesk);
    default:
        break;
    }

    SignInOutcome outcome;
    outcome.result = SignInOutcome::Result::SignedIn;
    return outcome;
}

void LoadLastSignIn(SignInFields& fields) {
    const CIniFile ini(kSettingsFile, kSettingsSection);
    ini.ReadString(fields.userId, "LAST_USER_ID");
    ini.ReadString(fields.svcId, "LAST_SVC_ID");
    ini.ReadString(fields.agentName, "LAST_AGENT_NM");
    ini.ReadString(fields.telNum, "LAST_EXTENSION");
}

void SaveSignIn(const SignInFields& fields) {
    const CIniFile ini(kSettingsFile, kSettingsSection);
    const std::pair<const char*, const std::string*> keys[] = {
        {"LAST_USER_ID", &fields.userId},
        {"LAST_SVC_ID", &fields.svcId},
        {"LAST_AGENT_NM", &fields.agentName},
        {"LAST_EXTENSION", &fields.telNum},
    };
    // The sign-in goes on without them; the trace tells why they are not offered next time.
    for (const auto& [key, value] : keys)
        if (!ini.WriteString(*value, key))
            DebugTrace("SaveSignIn %s not stored in %s", key, kSettingsFile);

    CTELVOAgentEnv& env = theAgentEnv();
    env.userId = fields.userId;
    env.svcId = fields.svcId;
    env.telNum = fields.telNum;
    env.agentName = fields.agentName;
    env.password = fields.password;
}
