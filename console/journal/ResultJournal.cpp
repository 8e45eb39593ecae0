#include "console/journal/ResultJournal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <map>
#include <sstream>
#include <utility>

#include "util/Trace.h"

namespace {

std::uint32_t Crc32(const std::string& text) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const unsigned char byte : text) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

std::string Hex(const std::string& text) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(text.size() * 2 + 1);
    out += 'x'; // never empty, so that the fields stay apart
    for (const unsigned char byte : text) {
        out += kDigits[byte >> 4];
        out += kDigits[byte & 0xF];
    }
    return out;
}

bool Unhex(const std::string& hex, std::string& out) {
    if (hex.empty() || hex[0] != 'x' || hex.size() % 2 != 1)
        return false;
    out.clear();
    for (std::size_t i = 1; i < hex.size(); i += 2) {
        const auto nibble = [](char c) {
            return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        };
        const int high = nibble(hex[i]), low = nibble(hex[i + 1]);
        if (high < 0 || low < 0)
            return false;
        out += static_cast<char>(high << 4 | low);
    }
    return true;
}

std::string RecordBody(const ResultJournal::Record& record) {
    return std::string(record.draft ? "D " : "R ") + std::to_string(record.seq) + " " +
           Hex(record.result.xanId) + " " + std::to_string(record.result.grade) + " " +
           Hex(record.result.memo);
}

std::string HistoryBody(const ResultJournal::HistoryRecord& record) {
    const agentsql::StateHistoryRow& row = record.row;
    const SystemTime& t = row.start;
    char stamp[48];
    std::snprintf(stamp, sizeof stamp, "%04u%02u%02u%02u%02u%02u%03u", unsigned{t.year},
                  unsigned{t.month}, unsigned{t.day}, unsigned{t.hour}, unsigned{t.minute},
                  unsigned{t.second}, unsigned{t.milliseconds});
    return "H " + std::to_string(record.seq) + " " + Hex(row.userId) + " " + Hex(row.agentName) +
           " " + Hex(row.svcId) + " " + Hex(row.telNum) + " " + std::to_string(row.state) + " " +
           Hex(row.reasonCode) + " " + stamp;
}

// The fields of an H line after its sequence number.
bool ParseHistory(std::istringstream& fields, agentsql::StateHistoryRow& row) {
    std::string user, agent, svc, tel, reason, stamp;
    if (!(fields >> user >> agent >> svc >> tel >> row.state >> reason >> stamp) ||
        !Unhex(user, row.userId) || !Unhex(agent, row.agentName) || !Unhex(svc, row.svcId) ||
        !Unhex(tel, row.telNum) || !Unhex(reason, row.reasonCode) || stamp.size() != 17 ||
        stamp.find_first_not_of("0123456789") != std::string::npos)
        return false;
    const auto number = [&stamp](std::size_t at, std::size_t digits) {
        return static_cast<std::uint16_t>(std::stoi(stamp.substr(at, digits)));
    };
    SystemTime& t = row.start;
    t.year = number(0, 4);
    t.month = number(4, 2);
    t.day = number(6, 2);
    t.hour = number(8, 2);
    t.minute = number(10, 2);
    t.second = number(12, 2);
    t.milliseconds = number(14, 3);
    return true;
}

} // namespace

namespace journal {

std::string Seal(const std::string& body) {
    char crc[16];
    std::snprintf(crc, sizeof crc, "%08x", static_cast<unsigned>(Crc32(body)));
    return body + "*" + crc + "\n";
}

std::string Unseal(const std::string& line) {
    const std::size_t star = line.rfind('*');
    if (star == std::string::npos || line.size() - star != 9)
        return {};
    const std::string body = line.substr(0, star);
    char crc[16];
    std::snprintf(crc, sizeof crc, "%08x", static_cast<unsigned>(Crc32(body)));
    return line.compare(star + 1, 8, crc) == 0 ? body : std::string();
}

} // namespace journal

ResultJournal::ResultJournal(std::unique_ptr<IJournalStore> store) : m_store(std::move(store)) {
    Load();
}

void ResultJournal::Load() {
    const std::string content = m_store->ReadAll();
    // A line torn by a power loss: the next record starts on a line of its own.
    m_tornEnd = !content.empty() && content.back() != '\n';
    std::istringstream lines(content);
    std::string line;
    while (std::getline(lines, line)) {
        ++m_lines;
        const std::string body = journal::Unseal(line);
        std::istringstream fields(body);
        std::string kind;
        std::uint64_t seq = 0;
        if (!(fields >> kind >> seq) || seq == 0) {
            ++m_skipped;
            continue;
        }
        m_nextSeq = std::max(m_nextSeq, seq + 1);
        if (kind == "K") {
            for (Record& record : m_records)
                if (record.seq == seq)
                    record.done = true;
            for (HistoryRecord& record : m_history)
                if (record.seq == seq)
                    record.done = true;
            continue;
        }
        if (kind == "H") {
            HistoryRecord record{seq, {}, false};
            if (ParseHistory(fields, record.row))
                m_history.push_back(std::move(record));
            else
                ++m_skipped;
            continue;
        }
        Record record{seq, kind == "D", {}, false};
        std::string xanHex, memoHex;
        if ((kind != "R" && kind != "D") || !(fields >> xanHex >> record.result.grade >> memoHex) ||
            !Unhex(xanHex, record.result.xanId) || !Unhex(memoHex, record.result.memo)) {
            ++m_skipped;
            continue;
        }
        m_records.push_back(std::move(record));
    }
    std::sort(m_records.begin(), m_records.end(),
              [](const Record& a, const Record& b) { return a.seq < b.seq; });
    std::sort(m_history.begin(), m_history.end(),
              [](const HistoryRecord& a, const HistoryRecord& b) { return a.seq < b.seq; });
    if (m_skipped > 0)
        DebugTrace("ResultJournal %d unreadable line(s) skipped", m_skipped);
    CompactIfLong();
}

void ResultJournal::Append(const std::string& body, bool sync) {
    const std::string line = (m_tornEnd ? "\n" : "") + journal::Seal(body);
    m_tornEnd = false;
    if (!m_store->Append(line, sync))
        DebugTrace("ResultJournal could not write: %s", body.c_str());
    ++m_lines;
}

std::uint64_t ResultJournal::AddResult(const CallResult& result) {
    Record record{m_nextSeq++, false, result, false};
    Append(RecordBody(record), true);
    m_records.push_back(record);
    CompactIfLong();
    return record.seq;
}

void ResultJournal::AddDraft(const CallResult& draft) {
    Record record{m_nextSeq++, true, draft, false};
    Append(RecordBody(record), true);
    m_records.push_back(record);
    CompactIfLong();
}

std::uint64_t ResultJournal::AddHistory(const agentsql::StateHistoryRow& row) {
    HistoryRecord record{m_nextSeq++, row, false};
    Append(HistoryBody(record), true);
    m_history.push_back(record);
    CompactIfLong();
    return record.seq;
}

void ResultJournal::MarkDone(std::uint64_t seq) {
    if (seq == 0)
        return;
    bool* done = nullptr;
    if (const auto found = std::find_if(m_records.begin(), m_records.end(),
                                        [seq](const Record& r) { return r.seq == seq; });
        found != m_records.end())
        done = &found->done;
    else if (const auto row = std::find_if(m_history.begin(), m_history.end(),
                                           [seq](const HistoryRecord& r) { return r.seq == seq; });
             row != m_history.end())
        done = &row->done;
    if (!done || *done)
        return;
    *done = true;
    // Not synced: a mark lost with the power only writes the same result once more.
    Append("K " + std::to_string(seq), false);
    CompactIfLong();
}

std::vector<ResultJournal::Record> ResultJournal::Pending() const {
    std::map<std::string, const Record*> newest;
    for (const Record& record : m_records)
        newest[record.result.xanId] = &record; // records are in sequence order
    std::vector<Record> pending;
    for (const auto& [xanId, record] : newest)
        if (!record->done && !(record->draft && !record->result.Entered()))
            pending.push_back(*record);
    std::sort(pending.begin(), pending.end(),
              [](const Record& a, const Record& b) { return a.seq < b.seq; });
    return pending;
}

std::vector<ResultJournal::HistoryRecord> ResultJournal::PendingHistory() const {
    std::vector<HistoryRecord> pending;
    std::copy_if(m_history.begin(), m_history.end(), std::back_inserter(pending),
                 [](const HistoryRecord& record) { return !record.done; });
    return pending;
}

void ResultJournal::CompactIfLong() {
    // Past twice what the last compaction kept, too: a long outage's pending rows are
    // not rewritten at every append.
    if (m_lines <= std::max(kCompactAfterLines, 2 * m_linesKept))
        return;
    std::vector<Record> keep = Pending();
    std::vector<HistoryRecord> keepHistory = PendingHistory();
    // In sequence order, results and history rows interleaved as they came.
    std::map<std::uint64_t, std::string> bodies;
    for (const Record& record : keep)
        bodies[record.seq] = RecordBody(record);
    for (const HistoryRecord& record : keepHistory)
        bodies[record.seq] = HistoryBody(record);
    std::string content;
    for (const auto& [seq, body] : bodies)
        content += journal::Seal(body);
    if (!m_store->Replace(content)) {
        DebugTrace("ResultJournal could not be compacted");
        return;
    }
    m_records = std::move(keep);
    m_history = std::move(keepHistory);
    m_lines = m_linesKept = bodies.size();
    m_tornEnd = false;
}

std::string ResultJournal::PathFor(const std::string& userId) {
    std::string name;
    for (const unsigned char c : userId) {
        if (std::isalnum(c) || c == '-' || c == '_') {
            name += static_cast<char>(c);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "%%%02X", c);
            name += escaped;
        }
    }
    const char* stateDir = std::getenv("ZELAGENT_STATE_DIR");
    const std::string folder = stateDir && *stateDir ? stateDir : "Env";
    return folder + "/ZELAgent-" + name + ".journal";
}

FileJournalStore::FileJournalStore(std::string path) : m_path(std::move(path)) {}

FileJournalStore::~FileJournalStore() {
    if (m_fd >= 0)
        ::close(m_fd);
}

bool FileJournalStore::Open() {
    // Never through a link left in the journal's place (nor its temporary file's).
    if (m_fd < 0)
        m_fd = ::open(m_path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    return m_fd >= 0;
}

std::string FileJournalStore::ReadAll() {
    std::string content;
    const int fd = ::open(m_path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return content;
    char buffer[8192];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
        content.append(buffer, static_cast<std::size_t>(n));
    ::close(fd);
    return content;
}

bool FileJournalStore::Append(const std::string& line, bool sync) {
    if (!Open())
        return false;
    std::size_t written = 0;
    while (written < line.size()) {
        const ssize_t n = ::write(m_fd, line.data() + written, line.size() - written);
        if (n <= 0)
            return false;
        written += static_cast<std::size_t>(n);
    }
    return !sync || ::fdatasync(m_fd) == 0;
}

bool FileJournalStore::Replace(const std::string& content) {
    const std::string temp = m_path + ".new";
    const int fd =
        ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    bool ok = ::write(fd, content.data(), content.size()) == static_cast<ssize_t>(content.size());
    ok = ::fsync(fd) == 0 && ok;
    ::close(fd);
    if (!ok || ::rename(temp.c_str(), m_path.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    const std::string folder =
        m_path.find('/') == std::string::npos ? "." : m_path.substr(0, m_path.rfind('/'));
    if (const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return Open();
}
