#include "board/BoardDb.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <mysql.h>
#include <set>

#include "db/StateHistory.h"

namespace board {

namespace {

constexpr unsigned kConnectTimeoutS = 2;
constexpr unsigned kReadTimeoutS = 3;
constexpr auto kNamesAge = std::chrono::seconds(10);

long long ToNumber(const std::string& text) {
    return std::strtoll(text.c_str(), nullptr, 10);
}

std::string InList(const std::set<long long>& services) {
    std::string list;
    for (long long svc : services)
        list += (list.empty() ? "" : ",") + std::to_string(svc);
    return list;
}

} // namespace

BoardDb::~BoardDb() {
    Close();
}

void BoardDb::Close() {
    if (m_mysql)
        mysql_close(m_mysql);
    m_mysql = nullptr;
}

bool BoardDb::Fail() {
    m_error = m_mysql ? std::to_string(mysql_errno(m_mysql)) + " " + mysql_error(m_mysql)
                      : "no connection";
    Close();
    return false;
}

bool BoardDb::Connect(const DbTarget& target) {
    Close();
    m_mysql = mysql_init(nullptr);
    if (!m_mysql) {
        m_error = "out of memory";
        return false;
    }
    if (!target.cnf.empty())
        mysql_options(m_mysql, MYSQL_READ_DEFAULT_FILE, target.cnf.c_str());
    mysql_options(m_mysql, MYSQL_READ_DEFAULT_GROUP, "zelagent-board");
    mysql_options(m_mysql, MYSQL_OPT_CONNECT_TIMEOUT, &kConnectTimeoutS);
    mysql_options(m_mysql, MYSQL_OPT_READ_TIMEOUT, &kReadTimeoutS);
    mysql_options(m_mysql, MYSQL_OPT_WRITE_TIMEOUT, &kReadTimeoutS);
    mysql_options(m_mysql, MYSQL_SET_CHARSET_NAME, "utf8mb4");
    const unsigned protocol = MYSQL_PROTOCOL_TCP;
    mysql_options(m_mysql, MYSQL_OPT_PROTOCOL, &protocol);
    if (!mysql_real_connect(m_mysql, target.host.c_str(), nullptr, nullptr, "NEW_XAN",
                            static_cast<unsigned>(target.port), nullptr, 0))
        return Fail();
    // A second guard beside the account's grants: this session cannot change a row.
    if (mysql_query(m_mysql, "set session transaction read only") != 0)
        return Fail();
    return true;
}

bool BoardDb::Query(const std::string& sql, std::vector<Row>& rows) {
    rows.clear();
    if (!m_mysql)
        return Fail();
    if (mysql_real_query(m_mysql, sql.data(), sql.size()) != 0)
        return Fail();
    MYSQL_RES* result = mysql_store_result(m_mysql);
    if (!result)
        return Fail();
    const unsigned columns = mysql_num_fields(result);
    while (MYSQL_ROW row = mysql_fetch_row(result)) {
        const unsigned long* lengths = mysql_fetch_lengths(result);
        Row& out = rows.emplace_back();
        for (unsigned i = 0; i < columns; ++i)
            out.emplace_back(row[i] ? std::string(row[i], lengths[i]) : std::string());
    }
    mysql_free_result(result);
    return true;
}

bool BoardDb::Grants(std::vector<std::string>& lines) {
    std::vector<Row> rows;
    if (!Query("show grants", rows))
        return false;
    lines.clear();
    for (const Row& row : rows)
        if (!row.empty())
            lines.push_back(row[0]);
    return true;
}

bool BoardDb::ReadBreakReasons(const std::string& services, std::vector<DeskRow>& desks) {
    std::vector<Row> rows;
    if (!Query(agentsql::kStateHistorySwitchSql, rows))
        return false;
    if (rows.empty() || rows[0].empty() || !agentsql::StateHistorySwitchOn(rows[0][0]))
        return true;
    // Each desk's latest row (the newest start; of two at one start, the later written).
    if (!Query("select h.SVC_ID, h.TEL_NUM, h.STATE, ifnull(c.CD_NM, h.REASON_CD) "
               "from AGENT_STATE_HIST h join (select SVC_ID, TEL_NUM, max(START_TIME) START_TIME "
               "from AGENT_STATE_HIST where SVC_ID in (" +
                   services +
                   ") group by SVC_ID, TEL_NUM) l using (SVC_ID, TEL_NUM, START_TIME) "
                   "left join CODE_INFO c on c.CD_GRP = 'BREAK_REASON' and c.CD_ID = h.REASON_CD "
                   "order by h.HIST_SEQ",
               rows))
        return false;
    std::map<std::pair<long long, std::string>, std::string> reasons;
    for (const Row& row : rows)
        if (row.size() >= 4)
            reasons[{ToNumber(row[0]), row[1]}] = ToNumber(row[2]) == 4 ? row[3] : "";
    for (DeskRow& desk : desks)
        if (const auto found = reasons.find({desk.svc, desk.tel}); found != reasons.end())
            desk.breakReason = found->second;
    return true;
}

bool BoardDb::RefreshNames() {
    std::vector<Row> rows;
    // One name per user: a user with several takes the first in the server's order.
    if (!Query("select USER_ID, min(AGENT_NM) from USER_AGENT_INFO group by USER_ID", rows))
        return false;
    m_names.clear();
    m_nameless.clear();
    for (const Row& row : rows)
        if (row.size() >= 2)
            m_names[row[0]] = row[1];
    m_namesAt = std::chrono::steady_clock::now();
    m_namesRead = true;
    return true;
}

bool BoardDb::ReadSnapshot(Snapshot& snapshot) {
    std::vector<Row> rows;
    if (!Query("select date_format(now(), '%Y%m%d%H%i%s')", rows))
        return false;
    if (rows.empty() || rows[0].empty()) {
        m_error = "no server time";
        return false;
    }
    const std::string nowStamp = rows[0][0];
    const auto now = StampSeconds(nowStamp);
    if (!now) {
        m_error = "unreadable server time " + nowStamp;
        return false;
    }
    const std::string today = nowStamp.substr(0, 8);

    // Each desk with its current or last call (by primary key).
    if (!Query("select d.SVC_ID, d.TEL_NUM, d.USER_ID, d.IS_READY, d.STATUS_START_TIME, "
               "d.TRANSFER_STATUS, ifnull(h.START_TIME, ''), ifnull(h.END_TIME, '') "
               "from TRANSFER_NUM_INFO d left join TRANSFER_HIST h on h.XAN_ID = d.XAN_ID",
               rows))
        return false;
    const bool namesOld = !m_namesRead || std::chrono::steady_clock::now() - m_namesAt > kNamesAge;
    const bool newUser = std::any_of(rows.begin(), rows.end(), [this](const Row& row) {
        return row.size() > 2 && !m_names.count(row[2]) && !m_nameless.count(row[2]);
    });
    std::vector<Row> deskRows;
    deskRows.swap(rows);
    if ((namesOld || newUser) && !RefreshNames())
        return false;
    std::vector<DeskRow> desks;
    desks.reserve(deskRows.size());
    std::set<long long> services;
    for (const Row& row : deskRows) {
        if (row.size() < 8)
            continue;
        DeskRow& desk = desks.emplace_back();
        desk.svc = ToNumber(row[0]);
        desk.tel = row[1];
        // A user without a name in USER_AGENT_INFO shows none.
        if (const auto name = m_names.find(row[2]); name != m_names.end())
            desk.name = name->second;
        else
            m_nameless.insert(row[2]);
        desk.isReady = static_cast<int>(ToNumber(row[3]));
        desk.statusStart = row[4];
        desk.transferStatus = static_cast<int>(ToNumber(row[5]));
        desk.callStart = row[6];
        desk.callEnd = row[7];
        services.insert(desk.svc);
    }

    CallsToday calls;
    std::map<long long, long long> waiting;
    if (!services.empty()) {
        // By service, so that the index on (SVC_ID, CONF_DT, ...) narrows both reads.
        const std::string in = InList(services);
        if (!ReadBreakReasons(in, desks))
            return false;
        if (!Query(
                "select SVC_ID, AGENT_NM, count(*), ifnull(sum(CONF_TIME), 0) from TRANSFER_HIST "
                "where SVC_ID in (" +
                    in + ") and CONF_DT = '" + today + "' group by SVC_ID, AGENT_NM",
                rows))
            return false;
        for (const Row& row : rows)
            if (row.size() >= 4)
                calls[{ToNumber(row[0]), row[1]}] = {ToNumber(row[2]), ToNumber(row[3])};
        if (!Query("select r.SVC_ID, count(*) from REQ_XAN r where r.SVC_ID in (" + in +
                       ") and r.REQ_DT = '" + today +
                       "' and not exists (select 1 from TRANSFER_HIST h where h.XAN_ID = r.XAN_ID) "
                       "group by r.SVC_ID",
                   rows))
            return false;
        for (const Row& row : rows)
            if (row.size() >= 2)
                waiting[ToNumber(row[0])] = ToNumber(row[1]);
    }
    snapshot = BuildSnapshot(*now, desks, calls, waiting);
    return true;
}

} // namespace board
