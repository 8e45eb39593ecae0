#include "board/BoardJson.h"

#include <cstdio>

namespace board {

namespace {

// Length of the valid UTF-8 sequence at text[i], or 0.
std::size_t Utf8Length(std::string_view text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char c = byte(i);
    std::size_t length = 0;
    unsigned minimum = 0, value = 0;
    if (c < 0x80)
        return 1;
    if ((c & 0xE0) == 0xC0) {
        length = 2, minimum = 0x80, value = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
        length = 3, minimum = 0x800, value = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
        length = 4, minimum = 0x10000, value = c & 0x07;
    } else {
        return 0;
    }
    if (i + length > text.size())
        return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
        value = (value << 6) | (byte(i + k) & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    return length;
}

void AppendDesk(std::string& out, const Desk& desk) {
    out += '[' + std::to_string(desk.svc) + ',' + JsonString(desk.tel) + ',' +
           JsonString(desk.name) + ',' + std::to_string(static_cast<int>(desk.state)) + ',' +
           (desk.since ? std::to_string(*desk.since) : "null") + ',' + std::to_string(desk.calls) +
           ',' + std::to_string(desk.callSeconds) + ',' + JsonString(desk.extra) + ']';
}

bool InFilter(long long deskSvc, std::optional<long long> svc) {
    return !svc || *svc == deskSvc;
}

} // namespace

std::string JsonString(std::string_view text) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const std::size_t length = Utf8Length(text, i);
        if (length == 0) {
            out += "\\ufffd";
            ++i;
            continue;
        }
        if (c < 0x20 || c == '"' || c == '\\' || c == '<' || c == '>' || c == '&') {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out.append(text.substr(i, length));
        }
        i += length;
    }
    return out + '"';
}

DeskDiff DiffDesks(const Snapshot& previous, const Snapshot& now, std::optional<long long> svc) {
    // Both lists are ordered by service and phone number: one walk finds the changed,
    // the new and the removed desks.
    DeskDiff diff;
    auto before = [](const Desk& x, const Desk& y) {
        return x.svc != y.svc ? x.svc < y.svc : x.tel < y.tel;
    };
    auto a = previous.desks.begin(), b = now.desks.begin();
    while (a != previous.desks.end() || b != now.desks.end()) {
        if (b == now.desks.end() || (a != previous.desks.end() && before(*a, *b))) {
            if (InFilter(a->svc, svc))
                diff.gone.push_back(&*a);
            ++a;
        } else if (a == previous.desks.end() || before(*b, *a)) {
            if (InFilter(b->svc, svc))
                diff.changed.push_back(&*b);
            ++b;
        } else {
            if (!(*a == *b) && InFilter(b->svc, svc))
                diff.changed.push_back(&*b);
            ++a, ++b;
        }
    }
    return diff;
}

std::string FrameJson(long long seq, const Snapshot& now, const Snapshot* previous,
                      std::optional<long long> svc, const FrameLimits& limits) {
    std::string out = "{\"seq\":" + std::to_string(seq) + ",\"full\":" + (previous ? "0" : "1") +
                      ",\"now\":" + std::to_string(now.now) + ",\"limits\":[" +
                      std::to_string(limits.breakSeconds) + ',' +
                      std::to_string(limits.callSeconds) + "],\"services\":[";
    // Every service's totals whatever the filter: the page offers them to choose from.
    for (std::size_t i = 0; i < now.services.size(); ++i) {
        const ServiceTotals& t = now.services[i];
        out += (i ? ",[" : "[") + std::to_string(t.svc);
        for (long long count : t.desks)
            out += ',' + std::to_string(count);
        out += ',' + std::to_string(t.calls) + ',' + std::to_string(t.callSeconds) + ',' +
               std::to_string(t.waiting) + ']';
    }
    out += "],\"desks\":[";
    std::string gone;
    bool first = true;
    auto add = [&](const Desk& desk) {
        if (!first)
            out += ',';
        first = false;
        AppendDesk(out, desk);
    };
    if (!previous) {
        for (const Desk& desk : now.desks)
            if (InFilter(desk.svc, svc))
                add(desk);
    } else {
        const DeskDiff diff = DiffDesks(*previous, now, svc);
        for (const Desk* desk : diff.changed)
            add(*desk);
        for (const Desk* desk : diff.gone)
            gone += (gone.empty() ? "[" : ",[") + std::to_string(desk->svc) + ',' +
                    JsonString(desk->tel) + ']';
    }
    return out + "],\"gone\":[" + gone + "]}";
}

} // namespace board
