// Parsing and editing of profile file text, byte by byte.
#include "platform/ProfileText.h"

#include <vector>

namespace platform::profile {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool IsLeadByte(char c) {
    return static_cast<unsigned char>(c) >= 0x81;
}

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

enum class LineKind { Blank, Comment, Section, Key };

// One line of the file: its text without the line ending, and the ending itself.
struct Line {
    std::string_view text;
    std::string_view ending; // "\r\n", "\n", "\r" or "" for a last line without one
    LineKind kind = LineKind::Blank;
    std::string_view name;                 // section or key name
    std::optional<std::string_view> value; // key lines with '=' only
};

Line Classify(std::string_view text, std::string_view ending) {
    Line line;
    line.text = text;
    line.ending = ending;
    const std::string_view body = Trim(text);
    if (body.empty()) {
        line.kind = LineKind::Blank;
    } else if (body.front() == ';') {
        line.kind = LineKind::Comment;
    } else if (body.front() == '[') {
        line.kind = LineKind::Section;
        std::string_view name = body.substr(1);
        const auto close = name.rfind(']');
        if (close != std::string_view::npos)
            name = name.substr(0, close);
        line.name = Trim(name);
    } else {
        line.kind = LineKind::Key;
        const auto eq = body.find('=');
        line.name = Trim(body.substr(0, eq));
        if (eq != std::string_view::npos)
            line.value = Trim(body.substr(eq + 1));
    }
    return line;
}

// CR LF, LF and CR alone each end a line, as editors on either platform may leave them.
std::vector<Line> SplitLines(std::string_view content) {
    std::vector<Line> lines;
    while (!content.empty()) {
        const auto end = content.find_first_of("\r\n");
        if (end == std::string_view::npos) {
            lines.push_back(Classify(content, {}));
            break;
        }
        const bool crlf =
            content[end] == '\r' && end + 1 < content.size() && content[end + 1] == '\n';
        const std::size_t next = end + (crlf ? 2 : 1);
        lines.push_back(Classify(content.substr(0, end), content.substr(end, next - end)));
        content.remove_prefix(next);
    }
    return lines;
}

std::string_view FileLineEnding(const std::vector<Line>& lines) {
    if (!lines.empty() && !lines.front().ending.empty())
        return lines.front().ending;
    return "\r\n"; // as the Windows programs that share these files write them
}

// Where key lives: the section's header line, the key's line and the section's last
// key line (indexes into lines), each npos when absent.
struct Location {
    std::size_t header = std::string_view::npos;
    std::size_t keyLine = std::string_view::npos;
    std::size_t lastKeyLine = std::string_view::npos;
};

Location Locate(const std::vector<Line>& lines, std::string_view section, std::string_view key) {
    Location where;
    std::size_t i = 0;
    for (; i < lines.size(); ++i) {
        if (lines[i].kind == LineKind::Section && NamesEqual(lines[i].name, section)) {
            where.header = i;
            break;
        }
    }
    if (where.header == std::string_view::npos)
        return where;
    for (++i; i < lines.size() && lines[i].kind != LineKind::Section; ++i) {
        if (lines[i].kind != LineKind::Key)
            continue;
        where.lastKeyLine = i;
        if (where.keyLine == std::string_view::npos && NamesEqual(lines[i].name, key))
            where.keyLine = i;
    }
    return where;
}

void AppendLine(std::string& out, const Line& line) {
    out.append(line.text);
    out.append(line.ending);
}

} // namespace

bool NamesEqual(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (IsLeadByte(a[i]) && i + 1 < a.size()) {
            if (a[i] != b[i] || a[i + 1] != b[i + 1])
                return false;
            ++i;
        } else if (AsciiLower(a[i]) != AsciiLower(b[i])) {
            return false;
        }
    }
    return true;
}

std::optional<std::string_view> FindValue(std::string_view content, std::string_view section,
                                          std::string_view key) {
    const auto lines = SplitLines(content);
    const Location where = Locate(lines, section, key);
    if (where.keyLine == std::string_view::npos || !lines[where.keyLine].value)
        return std::nullopt;
    std::string_view value = *lines[where.keyLine].value;
    // One pair of matching quotes, double or single, keeps blanks at the value's edges.
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return value;
}

std::string SetValue(std::string_view content, std::string_view section, std::string_view key,
                     std::string_view value) {
    const auto lines = SplitLines(content);
    const std::string_view eol = FileLineEnding(lines);
    const Location where = Locate(lines, section, key);

    std::string out;
    out.reserve(content.size() + section.size() + key.size() + value.size() + 8);
    auto appendKey = [&](std::string_view name, std::string_view ending) {
        out.append(name);
        out.push_back('=');
        out.append(value);
        out.append(ending);
    };

    if (where.header == std::string_view::npos) {
        out.append(content);
        if (!lines.empty() && lines.back().ending.empty())
            out.append(eol);
        out.push_back('[');
        out.append(section);
        out.push_back(']');
        out.append(eol);
        appendKey(key, eol);
        return out;
    }

    const std::size_t insertAfter =
        where.lastKeyLine != std::string_view::npos ? where.lastKeyLine : where.header;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i == where.keyLine) {
            // The name keeps its spelling in the file; only the value changes.
            appendKey(lines[i].name, lines[i].ending);
            continue;
        }
        AppendLine(out, lines[i]);
        if (where.keyLine == std::string_view::npos && i == insertAfter) {
            if (lines[i].ending.empty())
                out.append(eol);
            appendKey(key, eol);
        }
    }
    return out;
}

std::string_view CutAtCharacter(std::string_view cp949, std::size_t maxBytes) {
    if (cp949.size() <= maxBytes)
        return cp949;
    std::size_t end = 0;
    while (end < maxBytes) {
        const std::size_t width = IsLeadByte(cp949[end]) ? 2 : 1;
        if (end + width > maxBytes)
            break;
        end += width;
    }
    return cp949.substr(0, end);
}

} // namespace platform::profile
