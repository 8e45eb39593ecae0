// Fills the status record the caller passes with every query and statement.
#pragma once

#include <string_view>

#include "rdbclient/RDBClient.h"

namespace rdb {

// Writes code and message; the message is cut at a UTF-8 character boundary so that
// it and its terminating zero fit the record. A null status is ignored.
void SetStatus(RDBStatus* status, int code, std::string_view message);

// Length of the longest prefix of text, at most maxBytes, that ends on a UTF-8
// character boundary.
std::size_t Utf8PrefixLength(std::string_view text, std::size_t maxBytes);

} // namespace rdb
