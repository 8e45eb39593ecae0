// Composition of an update statement from items.
#include "db/SqlBuilder.h"

void SqlBuilder::AddString(const char* column, const std::string& text) {
    items.push_back({column ? column : "", "'" + text + "'"});
}

std::string SqlBuilder::BuildSQL() const {
    std::string text = "update " + table + " set ";
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0)
            text += ", ";
        text += items[i].column + " = " + items[i].value;
    }
    if (!where.empty())
        text += " where " + where + " ";
    return text;
}
