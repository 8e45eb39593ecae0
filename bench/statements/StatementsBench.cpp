// Cost of the text work around the once-a-second poll and the call-result registration.
#include <benchmark/benchmark.h>

#include <string>

#include "db/AgentStatements.h"
#include "db/RecordFieldList.h"
#include "db/SqlBuilder.h"
#include "db/SqlText.h"

namespace {

// The record text of a poll that found a transferred call.
constexpr const char* kPollRecord = "300001:;01012345678:;VIP 홍길동 고객님 (가입 2019):;1:;";

// cppcheck-suppress constParameterCallback
void BM_ParsePollRecord(benchmark::State& state) {
    RecordFieldList list;
    for (auto _ : state)
        benchmark::DoNotOptimize(list.Parse(kPollRecord));
}
BENCHMARK(BM_ParsePollRecord);

// cppcheck-suppress constParameterCallback
void BM_ComposePollStatement(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(agentsql::TransferInfoSql("10", "2001"));
}
BENCHMARK(BM_ComposePollStatement);

// cppcheck-suppress constParameterCallback
void BM_BuildRegistrationUpdate(benchmark::State& state) {
    const std::string memo = EscapeSqlText("고객이 요금제 변경을 문의함. 내일 다시 연락 요청.");
    for (auto _ : state) {
        SqlBuilder builder(SqlBuilder::Update);
        builder.table = "TRANSFER_HIST";
        builder.AddString("CONSULT_RESULT", "03");
        builder.AddString("COMMENT", memo);
        builder.where = "XAN_ID = 300001 ";
        benchmark::DoNotOptimize(builder.BuildSQL());
    }
}
BENCHMARK(BM_BuildRegistrationUpdate);

// A memo of 250 bytes, plain and with quotes and backslashes throughout.
// cppcheck-suppress constParameterCallback
void BM_EscapeSqlText(benchmark::State& state) {
    const std::string memo = state.range(0) == 0 ? std::string(250, 'a') : []() {
        std::string text;
        while (text.size() < 250)
            text += "it's a\\b ";
        return text;
    }();
    for (auto _ : state)
        benchmark::DoNotOptimize(EscapeSqlText(memo));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(memo.size()));
}
BENCHMARK(BM_EscapeSqlText)->Arg(0)->Arg(1);

} // namespace
