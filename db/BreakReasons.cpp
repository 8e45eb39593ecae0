// Reading the break reasons one record at a time (the client library brings back only
// the first record of a query): each query asks for the next code after the last one.
#include "db/BreakReasons.h"

#include "db/SqlText.h"

namespace agentsql {

std::string NextBreakReasonSql(const std::optional<std::string>& afterCode) {
    std::string sql = "select CD_ID, CD_NM from CODE_INFO where CD_GRP = '" +
                      std::string(kBreakReasonGroup) + "'";
    if (afterCode)
        sql += " and CD_ID > '" + EscapeSqlText(*afterCode) + "'";
    return sql + " order by CD_ID limit 1";
}

int ReadBreakReasons(const RecordReader& query, std::vector<BreakReason>& out) {
    out.clear();
    std::optional<std::string> after;
    while (out.size() < kMaxBreakReasons) {
        std::vector<std::string> values;
        const int found = query(NextBreakReasonSql(after), values);
        if (found < 0) {
            out.clear();
            return -1;
        }
        if (found == 0 || values.empty())
            break;
        BreakReason reason{values[0], values.size() > 1 ? values[1] : std::string()};
        if (reason.name.empty())
            reason.name = reason.code;
        after = reason.code;
        out.push_back(std::move(reason));
    }
    return 1;
}

std::string BreakModeText(const BreakReason* reason) {
    if (!reason)
        return "휴식중";
    return "휴식중(" + reason->name + ")";
}

} // namespace agentsql
