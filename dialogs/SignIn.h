// The sign-in rules of the sign-in dialog, apart from its window: field limits,
// trimming, the empty-field checks, the password and phone statements, and the
// last sign-in kept in the settings file. Texts are UTF-8; limits count CP949 bytes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The five fields, in the order the dialog exchanges them with its controls.
struct SignInFields {
    std::string password;
    std::string telNum;
    std::string agentName;
    std::string svcId;
    std::string userId;
};

enum class SignInField { None, Password, TelNum, AgentName, SvcId, UserId };

// Limit of a field in CP949 bytes; 0 means none (the user ID).
std::size_t SignInFieldLimit(SignInField field);

// "%1 이하의 문자를 입력하십시오." with the limit for %1.
std::string LimitMessage(std::size_t limit);

// The text without leading and trailing blanks, tabs, LF, CR, VT and FF.
std::string TrimBlanks(std::string_view text);

// The statements, texts escaped for the connected server. The password statement has a
// form for each database type (2 MySQL, else SQL Server); the phone statement one form.
std::string PasswordStatement(const std::string& userId, const std::string& agentName, int dbType);
std::string PhoneStatement(const std::string& userId, const std::string& svcId,
                           const std::string& telNum);

// What one sign-in attempt came to.
struct SignInOutcome {
    enum class Result {
        SignedIn,    // every check passed: SaveSignIn is next
        Stopped,     // the dialog stays open; show the box (if any), then focus
        ExitProcess, // the database type could not be read: end with status 1
    };
    Result result = Result::Stopped;
    std::string message; // box to show, owned by the dialog; empty for none
    std::string caption;
    unsigned style = 0;
    SignInField focus = SignInField::None;
    SignInField select = SignInField::None; // its text selected for retyping, focus unmoved
};

// One attempt against theAgentEnv with the texts taken from the controls: learns the
// database type, trims the fields in place, checks them and runs the password and phone
// statements. Database errors have been shown already.
SignInOutcome RunSignIn(SignInFields& fields);

// The last sign-in from "Env\ZELAgent.INI" [GENERAL]; the password is left alone.
void LoadLastSignIn(SignInFields& fields);

// Writes the four last-sign-in keys (never the password); a key that cannot be written
// leaves a trace line and the sign-in goes on. Then hands the five fields to theAgentEnv.
void SaveSignIn(const SignInFields& fields);
