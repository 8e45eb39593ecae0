// The console's one way to the database: statements handed to an ordered line and
// their outcomes handed back. The window's line is a thread that owns the connection;
// tools and tests run statements at once; the shift simulation answers them from a
// model. The logic never waits: it submits and acts when the outcome comes.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "db/AgentRecords.h"
#include "db/FloorOptions.h"
#include "db/StateHistory.h"
#include "platform/MessageBox.h"

// What the agent entered for one call: its XAN_ID, the grade (0..6, -1 none), the memo.
struct CallResult {
    std::string xanId;
    int grade = -1;
    std::string memo;

    bool Entered() const { return grade != -1 || !memo.empty(); }
    bool operator==(const CallResult&) const = default;
};

enum class LineStatement {
    Ready,      // UpdateReadyStatus(mode)
    Poll,       // GetTransferInfo
    Stamp,      // UpdateHistAgentName(xanId)
    CustInfo,   // GetCustInfo(xanId)
    Result,     // the call result's update of TRANSFER_HIST
    TodayStats, // the day's count and call time
    Options,    // the floor's break reasons and history switch (read at sign-in)
    History,    // one row of the state history
};

struct LineRequest {
    LineStatement what = LineStatement::Poll;
    int mode = 0;                      // Ready
    std::string xanId;                 // Stamp, CustInfo
    CallResult result;                 // Result
    agentsql::StateHistoryRow history; // History
    // Tries before the statement counts as failed; with freshConnection the later tries
    // run on a newly opened connection, and none starts once deadlineMs have gone.
    int tries = 1;
    bool freshConnection = false;
    int deadlineMs = 0;

    static LineRequest Of(LineStatement what, int mode = 0, std::string xanId = {}) {
        LineRequest request;
        request.what = what;
        request.mode = mode;
        request.xanId = std::move(xanId);
        return request;
    }
    static LineRequest Write(const CallResult& result, int tries) {
        LineRequest request = Of(LineStatement::Result);
        request.result = result;
        request.tries = tries;
        return request;
    }
};

struct LineOutcome {
    bool ok = false;         // the statement ran (a query: a record was read)
    TransferInfo transfer;   // Poll
    CustInfo cust;           // CustInfo
    std::string count, time; // TodayStats: the texts of the two fields
    FloorOptions options;    // Options
    // The boxes the statement would have shown where it ran (the database error box):
    // the logic shows them, or traces them for a quiet statement.
    std::vector<platform::MessageBoxRequest> boxes;
};

class IConsoleLine {
  public:
    using Done = std::function<void(const LineOutcome&)>;
    virtual ~IConsoleLine() = default;

    // Queues a statement behind those submitted before it. done runs on the UI thread,
    // after the done of every earlier statement; it may submit further statements.
    virtual void Submit(LineRequest request, Done done) = 0;
    // For the end of the program only: waits at most limitMs until every statement
    // submitted so far (and those their outcomes submit) has run and its done has run
    // on the calling thread. False when time ran out first.
    virtual bool Settle(int limitMs) = 0;
};
