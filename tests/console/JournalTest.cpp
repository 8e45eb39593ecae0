// The journal of call results against a model of what it must give back after any
// sequence of results, drafts, done marks, restarts and power losses.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <random>
#include <set>

#include "console/journal/ResultJournal.h"

namespace {

// The journal's lines in memory; a power loss tears what was not synced.
class MemoryStore : public IJournalStore {
  public:
    std::string ReadAll() override { return synced + unsynced; }
    bool Append(const std::string& line, bool sync) override {
        unsynced += line;
        if (sync)
            synced += std::exchange(unsynced, {});
        return true;
    }
    bool Replace(const std::string& content) override {
        synced = content;
        unsynced.clear();
        return true;
    }
    // A power loss: what was not synced is lost, perhaps half a line of it written.
    void PowerLoss(std::size_t keep) {
        synced += unsynced.substr(0, std::min(keep, unsynced.size()));
        unsynced.clear();
    }
    std::string synced, unsynced;
};

// Keeps the store alive across the journals that use it, as the file is.
class SharedStore : public IJournalStore {
  public:
    explicit SharedStore(MemoryStore& store) : m_store(store) {}
    std::string ReadAll() override { return m_store.ReadAll(); }
    bool Append(const std::string& line, bool sync) override { return m_store.Append(line, sync); }
    bool Replace(const std::string& content) override { return m_store.Replace(content); }

  private:
    MemoryStore& m_store;
};

std::string RowText(const agentsql::StateHistoryRow& row) {
    return row.userId + "|" + row.agentName + "|" + row.svcId + "|" + row.telNum + "|" +
           std::to_string(row.state) + "|" + row.reasonCode + "|" +
           agentsql::HistoryTimeText(row.start);
}

// Results, drafts and (since the state history) history rows, in one journal.
TEST(ResultJournal, GivesBackTheNewestUnwrittenRecordOfEachCallWhateverHappened) {
    for (unsigned seed = 1; seed <= 100; ++seed) {
        std::mt19937 random(seed);
        MemoryStore store;
        auto journal = std::make_unique<ResultJournal>(std::make_unique<SharedStore>(store));
        // The model: per call its newest record, and whether that one is written.
        struct Newest {
            std::uint64_t seq;
            CallResult result; // cppcheck-suppress unusedStructMember
            bool draft;        // cppcheck-suppress unusedStructMember
            bool done;         // cppcheck-suppress unusedStructMember
        };
        std::map<std::string, Newest> model;
        std::vector<std::uint64_t> results; // results not yet marked
        // History rows: every one counts, in its order, until marked.
        std::map<std::uint64_t, std::string> history; // seq -> the row as text
        std::set<std::uint64_t> historyDone;
        for (int step = 0; step < 400; ++step) {
            const std::string xanId = std::to_string(500000 + random() % 6);
            const CallResult entered{xanId, int(random() % 8) - 1,
                                     random() % 3 ? "메모 '" + std::to_string(step) + "'\r\n끝"
                                                  : ""};
            switch (random() % 7) {
            case 0:
            case 1: {
                const std::uint64_t seq = journal->AddResult(entered);
                model[xanId] = {seq, entered, false, false};
                results.push_back(seq);
                break;
            }
            case 2:
                journal->AddDraft(entered);
                model[xanId] = {0, entered, true, false};
                break;
            case 6: {
                const int states[] = {1, 2, 3, 4, 5, 7};
                agentsql::StateHistoryRow row{"user'" + std::to_string(step % 3),
                                              "김상담",
                                              "501",
                                              "5501",
                                              states[random() % 6],
                                              random() % 2 ? "" : "0" + std::to_string(step % 9),
                                              SystemTime{}};
                row.start = {2026,
                             12,
                             0,
                             9,
                             std::uint16_t(step / 60),
                             0,
                             std::uint16_t(step % 60),
                             std::uint16_t(random() % 1000)};
                history[journal->AddHistory(row)] = RowText(row);
                break;
            }
            case 3:
                if (!history.empty() && random() % 2) {
                    auto row = history.begin();
                    std::advance(row, random() % history.size());
                    journal->MarkDone(row->first);
                    historyDone.insert(row->first);
                } else if (!results.empty()) {
                    const std::uint64_t seq = results[random() % results.size()];
                    journal->MarkDone(seq);
                    for (auto& [id, newest] : model)
                        if (newest.seq == seq)
                            newest.done = true;
                }
                break;
            case 4: // a restart
                journal = std::make_unique<ResultJournal>(std::make_unique<SharedStore>(store));
                break;
            case 5: { // a power loss: done marks not synced may be lost, half a line torn
                const std::size_t unsynced = store.unsynced.size();
                store.PowerLoss(random() % (unsynced + 1));
                journal = std::make_unique<ResultJournal>(std::make_unique<SharedStore>(store));
                // A lost mark leaves its result or row to be written again: never a newer
                // result.
                const auto pendingRows = journal->PendingHistory();
                std::erase_if(historyDone, [&](std::uint64_t seq) {
                    return std::any_of(pendingRows.begin(), pendingRows.end(),
                                       [&](const auto& r) { return r.seq == seq; });
                });
                for (auto& [id, newest] : model)
                    if (newest.done) {
                        const auto pending = journal->Pending();
                        newest.done =
                            std::none_of(pending.begin(), pending.end(),
                                         [&](const auto& r) { return r.seq == newest.seq; });
                    }
                break;
            }
            }
            std::map<std::string, CallResult> expected, actual;
            for (const auto& [id, newest] : model)
                if (!newest.done && !(newest.draft && !newest.result.Entered()))
                    expected[id] = newest.result;
            for (const auto& record : journal->Pending())
                actual[record.result.xanId] = record.result;
            ASSERT_EQ(actual, expected) << "seed " << seed << " step " << step;
            std::vector<std::string> expectedRows, actualRows;
            for (const auto& [seq, text] : history)
                if (!historyDone.contains(seq))
                    expectedRows.push_back(text);
            const auto pendingRows = journal->PendingHistory();
            std::transform(pendingRows.begin(), pendingRows.end(), std::back_inserter(actualRows),
                           [](const auto& record) { return RowText(record.row); });
            ASSERT_EQ(actualRows, expectedRows) << "seed " << seed << " step " << step;
        }
    }
}

TEST(ResultJournal, ALineWhoseChecksumFailsIsSkippedAndTheFileIsUsersOwn) {
    const std::string line = journal::Seal("R 7 x353030303031 3 x6d656d6f");
    EXPECT_EQ(journal::Unseal(line.substr(0, line.size() - 1)), "R 7 x353030303031 3 x6d656d6f");
    for (std::size_t cut = 0; cut + 1 < line.size(); ++cut)
        EXPECT_EQ(journal::Unseal(line.substr(0, cut)), "") << cut;
    std::string flipped = line;
    flipped[9] ^= 1;
    EXPECT_EQ(journal::Unseal(flipped.substr(0, flipped.size() - 1)), "");

    const auto folder = std::filesystem::temp_directory_path() / "zel-journal-test";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const std::string path = (folder / "j").string();
    {
        ResultJournal journal(std::make_unique<FileJournalStore>(path));
        journal.AddResult({"500001", 2, "첫째"});
        for (std::size_t i = 0; i < ResultJournal::kCompactAfterLines; ++i)
            journal.MarkDone(journal.AddResult({"500002", 1, "둘째"}));
    }
    EXPECT_LT(std::filesystem::file_size(path), 1000u); // compacted
    EXPECT_EQ(std::filesystem::status(path).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    ResultJournal reread(std::make_unique<FileJournalStore>(path));
    ASSERT_EQ(reread.Pending().size(), 1u);
    EXPECT_EQ(reread.Pending()[0].result, (CallResult{"500001", 2, "첫째"}));
    std::filesystem::remove_all(folder);
}

} // namespace
