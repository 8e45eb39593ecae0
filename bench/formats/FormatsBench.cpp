// Cost of the text helpers the console calls once a second or once a call.
#include <benchmark/benchmark.h>

#include <string>

#include "platform/TraceChannel.h"
#include "util/Cp949.h"
#include "util/DateTime.h"
#include "util/PhoneNumber.h"
#include "util/Trace.h"

namespace {

// cppcheck-suppress constParameterCallback
void BM_FormatPhoneNumber(benchmark::State& state) {
    const std::string numbers[] = {"01012345678", "(02) 1234-5678", "0311234567", "15881234"};
    std::size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(FormatPhoneNumber(numbers[i++ % 4]));
}
BENCHMARK(BM_FormatPhoneNumber);

// cppcheck-suppress constParameterCallback
void BM_FormatDuration(benchmark::State& state) {
    std::int32_t seconds = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(FormatDuration(seconds++ % 400000));
}
BENCHMARK(BM_FormatDuration);

// cppcheck-suppress constParameterCallback
void BM_GetDateString(benchmark::State& state) {
    LocalDateTime now = LocalDateTime::Now();
    for (auto _ : state)
        benchmark::DoNotOptimize(now.GetDateString());
}
BENCHMARK(BM_GetDateString);

// cppcheck-suppress constParameterCallback
void BM_LocalDateTimeNow(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(LocalDateTime::Now());
}
BENCHMARK(BM_LocalDateTimeNow);

// A memo of 250 CP949 bytes, the longest text the program converts often.
const std::string kMemo = [] {
    std::string memo;
    for (int i = 0; i < 25; ++i)
        memo += "고객 상담 A";
    return memo;
}();

// cppcheck-suppress constParameterCallback
void BM_Cp949FromUtf8(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(cp949::FromUtf8(kMemo));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kMemo.size()));
}
BENCHMARK(BM_Cp949FromUtf8);

// cppcheck-suppress constParameterCallback
void BM_Cp949ToUtf8(benchmark::State& state) {
    const std::string bytes = *cp949::FromUtf8(kMemo);
    for (auto _ : state)
        benchmark::DoNotOptimize(cp949::ToUtf8(bytes));
}
BENCHMARK(BM_Cp949ToUtf8);

// cppcheck-suppress constParameterCallback
void BM_Cp949ByteLength(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(cp949::ByteLength(kMemo));
}
BENCHMARK(BM_Cp949ByteLength);

// cppcheck-suppress constParameterCallback
void BM_Cp949ByteLengthAscii(benchmark::State& state) {
    const std::string address = "192.168.100.200";
    for (auto _ : state)
        benchmark::DoNotOptimize(cp949::ByteLength(address));
}
BENCHMARK(BM_Cp949ByteLengthAscii);

// cppcheck-suppress constParameterCallback
void BM_Cp949TruncateToBytes(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(cp949::TruncateToBytes(kMemo, 83));
}
BENCHMARK(BM_Cp949TruncateToBytes);

// The poll traces every second; with nobody listening the line is formatted and dropped.
// cppcheck-suppress constParameterCallback
void BM_DebugTraceNoListener(benchmark::State& state) {
    const platform::TraceSink saved = platform::SetTraceSink(nullptr);
    for (auto _ : state)
        DebugTrace("CTELVOAgentEnv::GetFirstRecord(%s)",
                   "SELECT XAN_ID, RECV_PHONE FROM TRANSFER_NUM_INFO WHERE SVC_ID = 100");
    platform::SetTraceSink(saved);
}
BENCHMARK(BM_DebugTraceNoListener);

} // namespace
