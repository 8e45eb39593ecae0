// Whether a database account can only read, judged from what SHOW GRANTS lists for it.
#pragma once

#include <string>
#include <vector>

namespace board {

// True when every line grants nothing but USAGE, SELECT (of tables or columns) or
// SHOW VIEW. Anything else refuses, and so does what cannot be judged from the line
// alone: a role (its own privileges are not listed), PROXY, a grant option, a line of
// another form. On false, why names the first line that refused.
bool GrantsOnlyRead(const std::vector<std::string>& lines, std::string& why);

} // namespace board
