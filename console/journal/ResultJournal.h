// The journal of call results: every result the console writes is appended here and
// synced to disk before its statement is sent, and marked done when the statement
// succeeded; the grade and memo being entered are kept as drafts. What a crash, a
// power loss or an outage left undone is written at the next sign-in.
//
// One record a line, its checksum at the end, so that a line torn by a power loss is
// recognised and skipped:
//   R <seq> <xanId hex> <grade> <memo hex>*<crc32>    a result to be written
//   D <seq> <xanId hex> <grade> <memo hex>*<crc32>    a draft of the call on screen
//   H <seq> <user> <agent> <svc> <tel> <state> <reason> <yyyymmddhhmmssmmm>*<crc32>
//                                                      a state history row not yet written
//   K <seq>*<crc32>                                    the record <seq> was written
// Sequence numbers grow through the file; for each XAN_ID only its newest record
// counts, so an older result never goes over a newer one. Every history row counts, in
// the order of its sequence. (A journal of a version without the history has no H lines;
// such a version skips them as unreadable.)
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "console/logic/ConsoleLine.h"
#include "db/StateHistory.h"

// Where the journal's lines are kept: a file in the program, memory in the simulation.
class IJournalStore {
  public:
    virtual ~IJournalStore() = default;
    virtual std::string ReadAll() = 0;
    // Appends one line; with sync it is on the disk before the call returns.
    virtual bool Append(const std::string& line, bool sync) = 0;
    // Replaces the whole content at once (a crash leaves the old or the new content).
    virtual bool Replace(const std::string& content) = 0;
};

class ResultJournal {
  public:
    struct Record {
        std::uint64_t seq = 0;
        bool draft = false;
        CallResult result;
        bool done = false;
    };
    struct HistoryRecord {
        std::uint64_t seq = 0;
        agentsql::StateHistoryRow row;
        bool done = false;
    };

    explicit ResultJournal(std::unique_ptr<IJournalStore> store);

    // A result about to be written; its sequence number (0 when the disk refused it:
    // the statement is sent all the same).
    std::uint64_t AddResult(const CallResult& result);
    // The grade and memo entered so far for the call on screen.
    void AddDraft(const CallResult& draft);
    // A history row that could not be written (yet); its sequence number, 0 when the disk
    // refused it.
    std::uint64_t AddHistory(const agentsql::StateHistoryRow& row);
    // Marks a result, a draft or a history row as written.
    void MarkDone(std::uint64_t seq);
    // For each call the newest record, if it still has to be written (an empty draft
    // has nothing to write), oldest first.
    std::vector<Record> Pending() const;
    // The history rows still to be written, in their order.
    std::vector<HistoryRecord> PendingHistory() const;
    // Lines that failed their checksum when the journal was read.
    int SkippedLines() const { return m_skipped; }

    // Beyond this many lines the file is rewritten with the pending records alone.
    static constexpr std::size_t kCompactAfterLines = 256;

    // The journal file of a user: under $ZELAGENT_STATE_DIR when it is set (the
    // launcher sets it), else in Env/ beside the settings.
    static std::string PathFor(const std::string& userId);

  private:
    void Append(const std::string& body, bool sync);
    void Load();
    void CompactIfLong();

    std::unique_ptr<IJournalStore> m_store;
    std::vector<Record> m_records;        // by sequence
    std::vector<HistoryRecord> m_history; // by sequence
    std::uint64_t m_nextSeq = 1;
    std::size_t m_lines = 0;
    std::size_t m_linesKept = 0; // by the last compaction
    int m_skipped = 0;
    bool m_tornEnd = false;
};

// The journal's lines in a file, created readable by the user alone.
class FileJournalStore : public IJournalStore {
  public:
    explicit FileJournalStore(std::string path);
    ~FileJournalStore() override;
    FileJournalStore(const FileJournalStore&) = delete;
    FileJournalStore& operator=(const FileJournalStore&) = delete;

    std::string ReadAll() override;
    bool Append(const std::string& line, bool sync) override;
    bool Replace(const std::string& content) override;

  private:
    bool Open();

    std::string m_path;
    int m_fd = -1;
};

// Encodes and checks one journal line (exposed for the tests of torn lines).
namespace journal {
std::string Seal(const std::string& body);
// The body of a sealed line, or empty when the checksum does not match.
std::string Unseal(const std::string& line);
} // namespace journal
