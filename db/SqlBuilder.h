// SqlBuilder composes one insert, update or procedure-call statement from column-value
// items. It composes text only: callers escape what they put between quotes.
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
    enum Kind : int { Insert = 0, Update = 1, Call = 2, Execute = 3 };

    explicit SqlBuilder(int kind) : kind(kind) {}
    virtual ~SqlBuilder() = default;

    // Appends an item whose value is the printf-formatted text.
    void AddValue(const char* column, const char* format, ...)
        __attribute__((format(printf, 3, 4)));
    // Appends an item whose value is the text between single quotes, unchanged.
    void AddString(const char* column, const std::string& text);

    // Composes the statement afresh; also kept in `sql`.
    std::string BuildSQL();

    std::vector<SqlItem> items;
    int kind;
    std::string sql;
    std::string table;
    std::string where;
    std::string suffix;
};
