#include "app/UiHeartbeat.h"

#include <cstdlib>

std::unique_ptr<UiHeartbeat> UiHeartbeat::FromEnvironment() {
    const char* path = std::getenv("ZELAGENT_UI_HEARTBEAT");
    if (!path || !*path)
        return nullptr;
    std::FILE* file = std::fopen(path, "a");
    if (!file)
        return nullptr;
    return std::make_unique<UiHeartbeat>(file);
}

UiHeartbeat::UiHeartbeat(std::FILE* file)
    : m_file(file), m_lastTick(Clock::now()), m_lineStart(m_lastTick) {
    Start(kPeriodMs);
}

UiHeartbeat::~UiHeartbeat() {
    Stop();
    WriteLine();
    std::fclose(m_file);
}

void UiHeartbeat::Notify() {
    const Clock::time_point now = Clock::now();
    if (now - m_lastTick > m_longest) {
        m_longest = now - m_lastTick;
        m_longestEnd = std::chrono::system_clock::now();
    }
    m_lastTick = now;
    if (now - m_lineStart >= std::chrono::seconds(1)) {
        WriteLine();
        m_lineStart = now;
    }
}

void UiHeartbeat::WriteLine() {
    using std::chrono::duration_cast;
    using std::chrono::milliseconds;
    if (m_longest == Clock::duration{})
        return;
    const auto wall = duration_cast<milliseconds>(m_longestEnd.time_since_epoch());
    std::fprintf(m_file, "%lld %lld\n", static_cast<long long>(wall.count()),
                 static_cast<long long>(duration_cast<milliseconds>(m_longest).count()));
    std::fflush(m_file);
    m_longest = {};
}
