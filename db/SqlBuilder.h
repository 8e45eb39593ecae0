// SqlBuilder composes one update statement from column-value items. It composes text
// only: callers escape what they put between quotes.
#pragma once

#include <string>
#include <vector>

// Column names and values are kept whole, whatever their length: cutting a value
// could split an escaped quote pair and so change the statement.
struct SqlItem {
    std::string column;
    std::string value; // as it appears in the statement
};

class SqlBuilder {
  public:
    enum Kind : int { Update = 1 }; // the one statement the program builds

    explicit SqlBuilder(Kind) {}

    // Appends an item whose value is the text between single quotes, unchanged.
    void AddString(const char* column, const std::string& text);

    // Composes the statement afresh from the items, table and condition.
    std::string BuildSQL() const;

    std::vector<SqlItem> items;
    std::string table;
    std::string where;
};
