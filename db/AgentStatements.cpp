// Statement texts of the agent's work, word for word for each dialect.
#include "db/AgentStatements.h"

#include <cctype>
#include <climits>

#include "db/SqlText.h"
#include "util/Cp949.h"

namespace agentsql {

namespace {

const std::string& ValueAt(const std::vector<std::string>& values, std::size_t i) {
    static const std::string kEmpty;
    return i < values.size() ? values[i] : kEmpty;
}

std::string Cut(const std::vector<std::string>& values, std::size_t i, std::size_t maxBytes) {
    return cp949::TruncateToBytes(ValueAt(values, i), maxBytes);
}

} // namespace

std::optional<std::string> ReadyStatusSql(int agentMode, int dbType, const std::string& svcId,
                                          const std::string& telNum) {
    if (!IsPlainDigits(svcId))
        return std::nullopt;
    const std::string isReady = agentMode == 3 ? "0" : "1";
    std::string time;
    if (agentMode == 1)
        time = "'00000000000000'";
    else if (dbType == DB_TYPE_MYSQL)
        time = "concat(F_MY_DATE(now()), F_MY_TIME(now()))";
    else
        time = "dbo.F_MY_DATE(getdate()) + dbo.F_MY_TIME(getdate())";
    return "update TRANSFER_NUM_INFO set IS_READY = " + isReady + ", STATUS_START_TIME = " + time +
           " where SVC_ID = " + svcId + " and TEL_NUM = '" + EscapeSqlText(telNum) + "'";
}

std::optional<std::string> TransferInfoSql(const std::string& svcId, const std::string& telNum) {
    if (!IsPlainDigits(svcId))
        return std::nullopt;
    return "select XAN_ID, RECV_PHONE, CUST_INFO, TRANSFER_STATUS from TRANSFER_NUM_INFO where "
           "SVC_ID = " +
           svcId + " and TEL_NUM = '" + EscapeSqlText(telNum) + "'";
}

std::optional<std::string> CustInfoSql(const std::string& xanId) {
    if (!IsPlainDigits(xanId))
        return std::nullopt;
    return "select CUST_INFO, CUST_INFO2, CUST_INFO3, CUST_INFO4 from REQ_XAN where XAN_ID = " +
           xanId;
}

std::optional<std::string> HistAgentNameSql(const std::string& agentName,
                                            const std::string& xanId) {
    if (!IsPlainDigits(xanId))
        return std::nullopt;
    return "update TRANSFER_HIST set AGENT_NM = '" + EscapeSqlText(agentName) +
           "' where XAN_ID = " + xanId + " ";
}

TransferInfo MakeTransferInfo(const std::vector<std::string>& values) {
    TransferInfo info;
    info.xanId = Cut(values, 0, TransferInfo::kXanIdBytes);
    info.recvPhone = Cut(values, 1, TransferInfo::kRecvPhoneBytes);
    info.custInfo = Cut(values, 2, TransferInfo::kCustInfoBytes);
    info.transferStatus = TextToInt(ValueAt(values, 3));
    return info;
}

CustInfo MakeCustInfo(const std::vector<std::string>& values) {
    CustInfo info;
    info.custInfo1 = Cut(values, 0, CustInfo::kCustInfo1Bytes);
    info.custInfo2 = Cut(values, 1, CustInfo::kOtherBytes);
    info.custInfo3 = Cut(values, 2, CustInfo::kOtherBytes);
    info.custInfo4 = Cut(values, 3, CustInfo::kOtherBytes);
    return info;
}

int TextToInt(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1; // clamp, and keep going over the digits
    }
    if (negative)
        return static_cast<int>(-value);
    return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

} // namespace agentsql
