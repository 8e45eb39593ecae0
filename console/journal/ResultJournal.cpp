#include "console/journal/ResultJournal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
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

void ResultJournal::MarkDone(std::uint64_t seq) {
    const auto found = std::find_if(m_records.begin(), m_records.end(),
                                    [seq](const Record& r) { return r.seq == seq; });
    if (seq == 0 || found == m_records.end() || found->done)
        return;
    found->done = true;
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

void ResultJournal::CompactIfLong() {
    if (m_lines <= kCompactAfterLines)
        return;
    std::vector<Record> keep = Pending();
    std::string content;
    for (const Record& record : keep)
        content += journal::Seal(RecordBody(record));
    if (!m_store->Replace(content)) {
        DebugTrace("ResultJournal could not be compacted");
        return;
    }
    m_records = std::move(keep);
    m_lines = m_records.size();
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
