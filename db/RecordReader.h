// A query that brings back the first record of its result as a list of values: how the
// readers of optional settings reach the server, whichever connection they run on.
#pragma once

#include <functional>
#include <string>
#include <vector>

// 1 = a record was read into values, 0 = no record, -1 = the query failed.
using RecordReader = std::function<int(const std::string& sql, std::vector<std::string>& values)>;
