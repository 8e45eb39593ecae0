// The board's rules that need no server: its settings and when they expose it, the
// verdict on an account's grants, the states of desks, and the frames sent to pages.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

#include "board/BoardJson.h"
#include "board/BoardSettings.h"
#include "board/DeskModel.h"
#include "board/Grants.h"

using namespace board;

TEST(BoardSettingsTest, ReadsValidFilesAndRefusesBadOnesOrUnprotectedExposure) {
    struct Case {
        const char* text;
        bool parses;
        bool exposedSafely;
    } const cases[] = {
        {"", true, true},
        {"# comment\n; comment\nlisten = 127.0.0.1\r\nport = 9000\n", true, true},
        {"listen = ::1\n", true, true},
        {"listen = 127.0.0.2\n", true, false},
        {"listen = 0.0.0.0\ntls_cert = c.pem\ntls_key = k.pem\n", true, false},
        {"listen = 0.0.0.0\nauth_user = a\nauth_password = b\n", true, false},
        {"listen = 0.0.0.0\ntls_cert = c\ntls_key = k\nauth_user = a\nauth_password =\n", true,
         false},
        {"listen = 0.0.0.0\ntls_cert = c\ntls_key = k\nauth_user = a:b\nauth_password = p\n", true,
         false},
        {"listen = 10.1.2.3\ntls_cert = c\ntls_key = k\nauth_user = a\nauth_password = p w\n", true,
         true},
        {"lisen = 127.0.0.1\n", false, false},
        {"port = 0\n", false, false},
        {"port = 70000\n", false, false},
        {"port = 80x\n", false, false},
        {"break_alert_seconds = -1\n", false, false},
        {"listen =\n", false, false},
        {"just words\n", false, false},
    };
    for (const Case& c : cases) {
        BoardSettings settings;
        std::string error;
        ASSERT_EQ(ParseSettings(c.text, settings, error), c.parses) << c.text << error;
        if (c.parses)
            EXPECT_EQ(CheckExposure(settings, error), c.exposedSafely) << c.text;
        else
            EXPECT_NE(error.find("line "), std::string::npos) << error;
    }
    BoardSettings settings;
    std::string error;
    ASSERT_TRUE(ParseSettings("auth_password = a = b \n", settings, error));
    EXPECT_EQ(settings.authPassword, "a = b");
}

TEST(GrantsTest, OnlySelectUsageAndShowViewCountAsReadOnly) {
    struct Case {
        std::vector<std::string> lines;
        bool readOnly;
    } const cases[] = {
        {{"GRANT USAGE ON *.* TO `b`@`%` IDENTIFIED BY PASSWORD '*AB'",
          "GRANT SELECT (`SVC_ID`, `TEL_NUM`) ON `NEW_XAN`.`TRANSFER_NUM_INFO` TO `b`@`%`",
          "GRANT SELECT, SHOW VIEW ON `NEW_XAN`.* TO `b`@`%`"},
         true},
        {{"GRANT USAGE ON *.* TO `b`@`%`", "GRANT ALL PRIVILEGES ON `NEW_XAN`.* TO `b`@`%`"},
         false},
        {{"GRANT SELECT, INSERT ON `NEW_XAN`.* TO `b`@`%`"}, false},
        {{"GRANT SELECT (`A`), UPDATE (`B`) ON `NEW_XAN`.`T` TO `b`@`%`"}, false},
        {{"GRANT EXECUTE ON FUNCTION `NEW_XAN`.`F_MY_DATE` TO `b`@`%`"}, false},
        {{"GRANT SELECT ON *.* TO `b`@`%` WITH GRANT OPTION"}, false},
        {{"GRANT `writers` TO `b`@`%`"}, false},
        {{"GRANT PROXY ON ''@'%' TO 'b'@'%'"}, false},
        {{"GRANT SELECT ON `odd, UPDATE db`.* TO `b`@`%`"}, true},
        {{"GRANT SELECT (`x ON y`) ON `NEW_XAN`.`T` TO `b`@`%`"}, true},
        {{"REVOKE SELECT ON x FROM y"}, false},
        {{"GRANT"}, false},
        {{}, false},
    };
    for (const Case& c : cases) {
        std::string why;
        EXPECT_EQ(GrantsOnlyRead(c.lines, why), c.readOnly)
            << (c.lines.empty() ? "" : c.lines.back());
        if (!c.readOnly) {
            EXPECT_FALSE(why.empty());
        }
    }
}

TEST(DeskModelTest, StampsAreSecondsOfOneClockAndNonsenseIsNothing) {
    EXPECT_EQ(StampSeconds("19700101000000"), 0);
    EXPECT_EQ(StampSeconds("20240229235959"), 1709251199); // a leap day
    EXPECT_EQ(*StampSeconds("20250101000000") - *StampSeconds("20241231235959"), 1);
    for (const char* bad : {"00000000000000", "20230229120000", "20241301000000", "20240101240000",
                            "2024010112000", "202401011200000", "2024010112000x", ""})
        EXPECT_FALSE(StampSeconds(bad)) << bad;
}

TEST(DeskModelTest, StatesAndTheirStartFollowTheColumnsTheConsolesWrite) {
    const long long t = *StampSeconds("20251208100000");
    const std::optional<long long> none;
    struct Case {
        int isReady;
        const char* statusStart;
        int transferStatus;
        const char* callStart;
        const char* callEnd;
        DeskState state;
        std::optional<long long> since;
    } const cases[] = {
        {1, "00000000000000", 0, "", "", DeskState::SignedOut, none},
        {1, "00000000000000", 1, "20251208100500", "", DeskState::SignedOut,
         none}, // nobody takes it
        {0, "20251208100000", 0, "", "", DeskState::Ready, t},
        {1, "20251208100000", 0, "", "", DeskState::Break, t},
        {0, "20251208100000", 1, "20251208100500", "", DeskState::InCall, t + 300},
        {1, "20251208100000", 1, "20251208100500", "", DeskState::InCall,
         t + 300},                                              // taken on break
        {0, "20251208100000", 1, "", "", DeskState::InCall, t}, // no history row
        {0, "20251208100000", 0, "20251208100500", "20251208100700", DeskState::Ready, t + 420},
        {0, "20251208100000", 0, "20251208090000", "20251208090500", DeskState::Ready,
         t}, // older call
        {1, "20251208100000", 0, "20251208100500", "20251208100700", DeskState::Break, t + 420},
        {0, "00000000000000", 0, "", "", DeskState::Ready, none}, // gets calls all the same
    };
    for (const Case& c : cases) {
        DeskRow row;
        row.svc = 10;
        row.tel = "2001";
        row.isReady = c.isReady;
        row.statusStart = c.statusStart;
        row.transferStatus = c.transferStatus;
        row.callStart = c.callStart;
        row.callEnd = c.callEnd;
        const Desk desk = ClassifyDesk(row);
        EXPECT_EQ(desk.state, c.state)
            << c.isReady << c.statusStart << c.transferStatus << c.callEnd;
        EXPECT_EQ(desk.since, c.since)
            << c.isReady << c.statusStart << c.transferStatus << c.callEnd;
    }
}

TEST(DeskModelTest, TotalsCountStatesPerServiceAndCallsOfTheAgentsOfEachService) {
    auto row = [](long long svc, const char* tel, const char* name, int ready, int transfer) {
        DeskRow r;
        r.svc = svc, r.tel = tel, r.name = name, r.isReady = ready, r.transferStatus = transfer;
        r.statusStart = "20251208100000";
        return r;
    };
    const std::vector<DeskRow> rows = {row(20, "3001", "최수아", 0, 1),
                                       row(10, "2002", "이서연", 1, 0),
                                       row(10, "2001", "김민준", 0, 0), row(10, "2003", "", 0, 0)};
    const CallsToday calls = {{{10, "김민준"}, {3, 600}},
                              {{10, ""}, {2, 40}},
                              {{20, "김민준"}, {1, 9}},
                              {{30, "x"}, {5, 5}}};
    const Snapshot s = BuildSnapshot(0, rows, calls, {{10, 4}, {30, 1}});
    ASSERT_EQ(s.desks.size(), 4u);
    EXPECT_EQ(s.desks[0].tel, "2001"); // ordered by service, then number
    EXPECT_EQ(s.desks[0].calls, 3);
    EXPECT_EQ(s.desks[0].callSeconds, 600);
    EXPECT_EQ(s.desks[2].calls, 0); // no agent: unstamped calls are nobody's
    EXPECT_EQ(s.desks[3].calls,
              0); // 김민준's call in service 20 belongs to that service's desk only
    ASSERT_EQ(s.services.size(), 2u);
    EXPECT_EQ(s.services[0], (ServiceTotals{10, {0, 2, 1, 0}, 5, 640, 4}));
    EXPECT_EQ(s.services[1], (ServiceTotals{20, {0, 0, 0, 1}, 1, 9, 0}));
}

TEST(BoardJsonTest, StringsAreEscapedAndAlwaysValidUtf8) {
    EXPECT_EQ(JsonString("김민준"), "\"김민준\"");
    EXPECT_EQ(JsonString("<script>\"a\\b\"</script>&"),
              "\"\\u003cscript\\u003e\\u0022a\\u005cb\\u0022\\u003c/script\\u003e\\u0026\"");
    EXPECT_EQ(JsonString(std::string("a\0b\n", 4)), "\"a\\u0000b\\u000a\"");
    EXPECT_EQ(JsonString("\xff\xc3("), "\"\\ufffd\\ufffd(\"");
    EXPECT_EQ(JsonString("\xed\xa0\x80"), "\"\\ufffd\\ufffd\\ufffd\""); // a lone surrogate
    // Any bytes: the output is printable ASCII or whole UTF-8 sequences, never a raw
    // quote, backslash, angle bracket or control character inside.
    std::mt19937 random(7);
    for (int round = 0; round < 2000; ++round) {
        std::string text(random() % 12, '\0');
        std::generate(text.begin(), text.end(), [&] { return static_cast<char>(random() % 256); });
        const std::string out = JsonString(text);
        ASSERT_GE(out.size(), 2u);
        const std::string inner = out.substr(1, out.size() - 2);
        EXPECT_EQ(inner.find_first_of("\"<>&"), std::string::npos) << out;
        for (std::size_t i = 0; i < inner.size(); ++i) {
            const auto c = static_cast<unsigned char>(inner[i]);
            EXPECT_GE(c, 0x20) << out;
            if (c == '\\') {
                EXPECT_EQ(inner[i + 1], 'u') << out;
            }
        }
        // Without its escapes the output is valid UTF-8 that needs no escape.
        std::string bare = inner;
        std::erase(bare, '\\');
        EXPECT_EQ(JsonString(bare), "\"" + bare + "\"") << out;
    }
}

// A page that starts from one full frame and applies every difference after it holds
// what the server holds, whatever changed, appeared or went away in between.
TEST(BoardJsonTest, DifferencesCarryAPageFromOnePictureToTheNext) {
    std::mt19937 random(11);
    auto randomSnapshot = [&] {
        Snapshot s;
        for (long long svc : {10, 20})
            for (int tel = 0; tel < 12; ++tel)
                if (random() % 4) {
                    Desk d;
                    d.svc = svc;
                    d.tel = std::to_string(2000 + tel);
                    d.name = random() % 2 ? "김" : "이";
                    d.state = static_cast<DeskState>(random() % kStateCount);
                    if (random() % 3)
                        d.since = random() % 5;
                    d.calls = random() % 3;
                    s.desks.push_back(d);
                }
        return s;
    };
    for (const std::optional<long long> svc :
         {std::optional<long long>(), std::optional<long long>(20)}) {
        Snapshot previous = randomSnapshot();
        std::map<std::pair<long long, std::string>, Desk> page;
        for (const Desk& d : previous.desks)
            if (!svc || d.svc == *svc)
                page[{d.svc, d.tel}] = d;
        for (int step = 0; step < 300; ++step) {
            Snapshot now = randomSnapshot();
            const DeskDiff diff = DiffDesks(previous, now, svc);
            for (const Desk* d : diff.gone)
                ASSERT_EQ(page.erase({d->svc, d->tel}), 1u);
            for (const Desk* d : diff.changed)
                page[{d->svc, d->tel}] = *d;
            std::map<std::pair<long long, std::string>, Desk> expected;
            for (const Desk& d : now.desks)
                if (!svc || d.svc == *svc)
                    expected[{d.svc, d.tel}] = d;
            ASSERT_EQ(page, expected) << "step " << step;
            previous = std::move(now);
        }
    }
}
