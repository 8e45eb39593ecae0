#include "tools/CallCenter.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "db/SqlText.h"
#include "tools/CustomerData.h"
#include "util/Cp949.h"

namespace callcenter {

namespace {

// Sizes of the customer lines as the agent's program holds them, in CP949 bytes.
constexpr std::size_t kCustInfoBytes[4] = {100, 50, 50, 50};
constexpr std::size_t kPhoneBytes = 20;

std::string ServiceFilter(const std::vector<std::string>& services) {
    if (services.empty())
        return {};
    std::string filter = " and SVC_ID in (";
    for (std::size_t i = 0; i < services.size(); ++i)
        filter += (i ? ", " : "") + services[i];
    return filter + ")";
}

bool AllDigits(const std::vector<std::string>& texts) {
    return std::all_of(texts.begin(), texts.end(),
                       [](const std::string& text) { return IsPlainDigits(text); });
}

} // namespace

std::string LocalStamp(std::time_t time) {
    std::tm local{};
    localtime_r(&time, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d%H%M%S", &local);
    return text;
}

std::optional<std::time_t> ParseLocalStamp(const std::string& stamp) {
    if (stamp.size() != 14 || !IsPlainDigits(stamp))
        return std::nullopt;
    auto part = [&stamp](std::size_t at, std::size_t length) {
        return std::atoi(stamp.substr(at, length).c_str());
    };
    std::tm local{};
    local.tm_year = part(0, 4) - 1900;
    local.tm_mon = part(4, 2) - 1;
    local.tm_mday = part(6, 2);
    local.tm_hour = part(8, 2);
    local.tm_min = part(10, 2);
    local.tm_sec = part(12, 2);
    local.tm_isdst = -1;
    if (local.tm_year < 0)
        return std::nullopt;
    const std::time_t time = std::mktime(&local);
    if (time == static_cast<std::time_t>(-1))
        return std::nullopt;
    return time;
}

const char* ReadinessText(const DeskState& desk) {
    if (desk.isReady == 0)
        return "ready";
    return desk.statusStartTime == "00000000000000" ? "signed out" : "break";
}

bool CallCenter::Fail(const std::string& message) {
    m_error = message;
    return false;
}

std::string CallCenter::Quote(const std::string& text) const {
    return "'" + EscapeSqlText(text) + "'";
}

bool CallCenter::CheckDesk(const DeskKey& desk) {
    if (!IsPlainDigits(desk.svcId))
        return Fail("the service ID must be a number: " + desk.svcId);
    if (desk.telNum.empty())
        return Fail("no phone number given for the desk");
    return true;
}

bool CallCenter::Transfer(const TransferRequest& request, TransferResult& result) {
    if (!CheckDesk(request.desk))
        return false;
    if (!request.xanId.empty() && !IsPlainDigits(request.xanId))
        return Fail("the XAN_ID must be a number: " + request.xanId);
    const std::string deskWhere = DeskWhere(request.desk);
    std::vector<std::string> values;
    if (!ReadDeskCall(request.desk, values))
        return false;
    result.replacedCall = values.size() > 0 && values[0] == "1";

    // The request: an existing one keeps what it holds unless told otherwise.
    Customer customer;
    bool existing = false;
    if (!request.xanId.empty()) {
        const int read = m_db.Query("select RECV_PHONE, ifnull(CUST_INFO, ''), "
                                    "ifnull(CUST_INFO2, ''), ifnull(CUST_INFO3, ''), "
                                    "ifnull(CUST_INFO4, '') from REQ_XAN where XAN_ID = " +
                                        request.xanId,
                                    values);
        if (read < 0)
            return Fail(m_db.Error());
        if (read == 1 && values.size() == 5) {
            existing = true;
            customer.phone = values[0];
            for (std::size_t i = 0; i < 4; ++i)
                customer.info[i] = values[i + 1];
        }
    }
    if (!existing)
        customer = RandomCustomer(m_random);
    if (!request.phone.empty())
        customer.phone = request.phone;
    for (std::size_t i = 0; i < request.cust.size() && i < 4; ++i)
        customer.info[i] = request.cust[i];
    customer.phone = cp949::TruncateToBytes(customer.phone, kPhoneBytes);
    for (std::size_t i = 0; i < 4; ++i)
        customer.info[i] = cp949::TruncateToBytes(customer.info[i], kCustInfoBytes[i]);

    const std::string custColumns = Quote(customer.phone) + ", " + Quote(customer.info[0]) + ", " +
                                    Quote(customer.info[1]) + ", " + Quote(customer.info[2]) +
                                    ", " + Quote(customer.info[3]);
    const std::time_t start = now();
    const std::string startStamp = LocalStamp(start);
    const std::string today = startStamp.substr(0, 8);

    if (!m_db.Execute("start transaction"))
        return Fail(m_db.Error());
    auto rollback = [this] {
        const std::string error = m_db.Error();
        m_db.Execute("rollback");
        return Fail(error);
    };

    std::string xanId = request.xanId;
    if (existing) {
        if ((!request.phone.empty() || !request.cust.empty()) &&
            !m_db.Execute("update REQ_XAN set RECV_PHONE = " + Quote(customer.phone) +
                          ", CUST_INFO = " + Quote(customer.info[0]) + ", CUST_INFO2 = " +
                          Quote(customer.info[1]) + ", CUST_INFO3 = " + Quote(customer.info[2]) +
                          ", CUST_INFO4 = " + Quote(customer.info[3]) + " where XAN_ID = " + xanId))
            return rollback();
    } else if (!xanId.empty()) {
        if (!m_db.Execute("insert into REQ_XAN (XAN_ID, SVC_ID, RECV_PHONE, CUST_INFO, "
                          "CUST_INFO2, CUST_INFO3, CUST_INFO4) values (" +
                          xanId + ", " + request.desk.svcId + ", " + custColumns + ")"))
            return rollback();
    } else {
        if (!m_db.Execute("insert into REQ_XAN (SVC_ID, RECV_PHONE, CUST_INFO, CUST_INFO2, "
                          "CUST_INFO3, CUST_INFO4) values (" +
                          request.desk.svcId + ", " + custColumns + ")"))
            return rollback();
        xanId = m_db.Scalar("select last_insert_id()");
        if (!IsPlainDigits(xanId) || xanId == "0")
            return rollback();
    }

    // The history row of the call: the agent's program stamps its name on it.
    if (!m_db.Execute("insert into TRANSFER_HIST (XAN_ID, SVC_ID, TEL_NUM, RECV_PHONE, CONF_DT, "
                      "START_TIME, END_TIME, CONF_TIME, AGENT_NM) values (" +
                      xanId + ", " + request.desk.svcId + ", " + Quote(request.desk.telNum) + ", " +
                      Quote(customer.phone) + ", " + Quote(today) + ", " + Quote(startStamp) +
                      ", null, 0, '') on duplicate key update SVC_ID = values(SVC_ID), "
                      "TEL_NUM = values(TEL_NUM), RECV_PHONE = values(RECV_PHONE), "
                      "CONF_DT = values(CONF_DT), START_TIME = values(START_TIME), "
                      "END_TIME = null, CONF_TIME = 0, AGENT_NM = ''"))
        return rollback();
    // Last: the desk sees the call only once everything about it is in place.
    if (!m_db.Execute("update TRANSFER_NUM_INFO set TRANSFER_STATUS = 1, XAN_ID = " + xanId +
                      ", RECV_PHONE = " + Quote(customer.phone) +
                      ", CUST_INFO = " + Quote(customer.info[0]) + deskWhere))
        return rollback();
    if (!m_db.Execute("commit"))
        return rollback();

    result.xanId = xanId;
    result.phone = customer.phone;
    result.custInfo = customer.info[0];
    return true;
}

std::string CallCenter::DeskWhere(const DeskKey& desk) const {
    return " where SVC_ID = " + desk.svcId + " and TEL_NUM = " + Quote(desk.telNum);
}

bool CallCenter::ReadDeskCall(const DeskKey& desk, std::vector<std::string>& values) {
    const int found = m_db.Query(
        "select TRANSFER_STATUS, ifnull(XAN_ID, '') from TRANSFER_NUM_INFO" + DeskWhere(desk),
        values);
    if (found < 0)
        return Fail(m_db.Error());
    if (found == 0)
        return Fail("no desk " + desk.telNum + " in service " + desk.svcId);
    return true;
}

bool CallCenter::Hangup(const DeskKey& desk, HangupResult& result) {
    if (!CheckDesk(desk))
        return false;
    const std::string deskWhere = DeskWhere(desk);
    std::vector<std::string> values;
    if (!ReadDeskCall(desk, values))
        return false;
    if (values.size() < 2 || values[0] != "1")
        return Fail("desk " + desk.telNum + " of service " + desk.svcId + " has no call");
    const std::string xanId = values[1];

    const std::time_t end = now();
    long long seconds = 0;
    if (IsPlainDigits(xanId)) {
        const std::string started =
            m_db.Scalar("select ifnull(START_TIME, '') from TRANSFER_HIST where XAN_ID = " + xanId);
        if (const auto start = ParseLocalStamp(started); start && end > *start)
            seconds = static_cast<long long>(end - *start);
    }

    if (!m_db.Execute("start transaction"))
        return Fail(m_db.Error());
    auto rollback = [this] {
        const std::string error = m_db.Error();
        m_db.Execute("rollback");
        return Fail(error);
    };
    if (IsPlainDigits(xanId) &&
        !m_db.Execute("update TRANSFER_HIST set END_TIME = " + Quote(LocalStamp(end)) +
                      ", CONF_TIME = " + std::to_string(seconds) + " where XAN_ID = " + xanId))
        return rollback();
    if (!m_db.Execute("update TRANSFER_NUM_INFO set TRANSFER_STATUS = 0" + deskWhere))
        return rollback();
    if (!m_db.Execute("commit"))
        return rollback();
    result.xanId = xanId;
    result.seconds = seconds;
    return true;
}

bool CallCenter::ListDesks(const std::vector<std::string>& services,
                           std::vector<DeskState>& desks) {
    desks.clear();
    if (!AllDigits(services))
        return Fail("service IDs must be numbers");
    // One record per query: walk the desks in key order. The next page starts after the
    // last phone number as the server holds it, named by its bytes in hex: the value read
    // back may differ (the client library breaks up ":;" inside values).
    constexpr int kMaxDesks = 1000000;
    std::string after = "1 = 1", lastKey;
    for (int page = 0; page < kMaxDesks; ++page) {
        std::vector<std::string> values;
        const int found = m_db.Query(
            "select SVC_ID, TEL_NUM, USER_ID, IS_READY, STATUS_START_TIME, TRANSFER_STATUS, "
            "ifnull(XAN_ID, ''), ifnull(RECV_PHONE, ''), hex(TEL_NUM) from TRANSFER_NUM_INFO "
            "where (" +
                after + ")" + ServiceFilter(services) + " order by SVC_ID, TEL_NUM limit 1",
            values);
        if (found < 0)
            return Fail(m_db.Error());
        if (found == 0 || values.size() < 9)
            return true;
        if (!std::all_of(values[8].begin(), values[8].end(),
                         [](unsigned char c) { return std::isxdigit(c) != 0; }))
            return Fail("unexpected key of desk " + values[1]);
        const std::string key = values[0] + "/" + values[8];
        if (key == lastKey)
            return Fail("the desks' order did not advance after desk " + values[1]);
        lastKey = key;
        DeskState desk;
        desk.desk = {values[0], values[1]};
        desk.userId = values[2];
        desk.isReady = std::atoi(values[3].c_str());
        desk.statusStartTime = values[4];
        desk.transferStatus = std::atoi(values[5].c_str());
        desk.xanId = values[6];
        desk.recvPhone = values[7];
        desks.push_back(desk);
        after = "SVC_ID > " + desk.desk.svcId + " or (SVC_ID = " + desk.desk.svcId +
                " and TEL_NUM > _utf8mb4 x'" + values[8] + "')";
    }
    return Fail("more than " + std::to_string(kMaxDesks) + " desks");
}

std::optional<DeskKey> CallCenter::FindReadyDesk(const std::vector<std::string>& services,
                                                 const std::vector<DeskKey>& excluded) {
    if (!AllDigits(services)) {
        Fail("service IDs must be numbers");
        return std::nullopt;
    }
    std::string sql = "select SVC_ID, TEL_NUM from TRANSFER_NUM_INFO where IS_READY = 0 and "
                      "TRANSFER_STATUS = 0" +
                      ServiceFilter(services);
    for (const DeskKey& desk : excluded) {
        if (IsPlainDigits(desk.svcId))
            sql +=
                " and not (SVC_ID = " + desk.svcId + " and TEL_NUM = " + Quote(desk.telNum) + ")";
    }
    sql += " order by STATUS_START_TIME, SVC_ID, TEL_NUM limit 1";
    std::vector<std::string> values;
    const int found = m_db.Query(sql, values);
    if (found < 0)
        Fail(m_db.Error());
    if (found != 1 || values.size() < 2)
        return std::nullopt;
    return DeskKey{values[0], values[1]};
}

std::optional<std::string> CallCenter::FindWaitingRequest(const std::string& svcId) {
    if (!IsPlainDigits(svcId))
        return std::nullopt;
    std::vector<std::string> values;
    const int found = m_db.Query(
        "select r.XAN_ID from REQ_XAN r left join TRANSFER_HIST h on h.XAN_ID = r.XAN_ID "
        "where r.SVC_ID = " +
            svcId + " and h.XAN_ID is null order by r.XAN_ID limit 1",
        values);
    if (found < 0)
        Fail(m_db.Error());
    if (found != 1 || values.empty())
        return std::nullopt;
    return values[0];
}

} // namespace callcenter
