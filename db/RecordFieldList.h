// The parsed form of one record text: each value is followed by ":;".
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class RecordFieldList {
  public:
    RecordFieldList() = default;
    explicit RecordFieldList(std::string_view text) { Parse(text); }

    // Replaces the contents with the fields of text; returns the count.
    std::size_t Parse(std::string_view text);

    // Field i, or null when i >= Count().
    const std::string* GetField(std::size_t i) const;
    std::size_t Count() const { return fields_.size(); }

    static constexpr std::size_t kMaxFields = 100;

  private:
    std::string text_;
    std::vector<std::string> fields_;
};
