#include "tools/CustomerData.h"

#include <cstdio>
#include <iterator>

namespace callcenter {

namespace {

constexpr const char* kFamilyNames[] = {"김", "이", "박", "최", "정", "강", "조", "윤",
                                        "장", "임", "한", "오", "서", "신", "권", "황"};
constexpr const char* kGivenNames[] = {"민준", "서연", "도윤", "지우", "하준", "서윤", "시우",
                                       "지민", "주원", "하은", "예준", "수아", "지호", "채원",
                                       "현우", "다은", "건우", "유나", "우진", "소율"};
constexpr const char* kGrades[] = {"", "", "", " (VIP)", " (우수)"};
constexpr const char* kPlaces[] = {
    "서울시 강남구 역삼동", "서울시 마포구 합정동",   "서울시 송파구 잠실동",
    "부산시 해운대구 우동", "대구시 수성구 범어동",   "인천시 연수구 송도동",
    "광주시 서구 치평동",   "대전시 유성구 봉명동",   "울산시 남구 삼산동",
    "경기도 성남시 분당구", "경기도 고양시 일산동구", "제주시 노형동"};
constexpr const char* kReasons[] = {"요금제 변경", "청구서 재발행",   "해지 문의", "데이터 사용량",
                                    "로밍 요금",   "단말기 할부",     "명의 변경", "결합 할인",
                                    "인터넷 장애", "부가서비스 해지", "약정 만료", "번호 이동"};

template <class T, std::size_t N> const T& Pick(std::mt19937& random, const T (&items)[N]) {
    return items[std::uniform_int_distribution<std::size_t>(0, N - 1)(random)];
}

int Between(std::mt19937& random, int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
}

} // namespace

std::string RandomPhoneNumber(std::mt19937& random) {
    char text[16];
    switch (Between(random, 0, 5)) {
    case 0:
        std::snprintf(text, sizeof text, "02%04d%04d", Between(random, 2000, 9999),
                      Between(random, 0, 9999));
        break;
    case 1:
        std::snprintf(text, sizeof text, "0%d%03d%04d", Between(random, 31, 64),
                      Between(random, 200, 999), Between(random, 0, 9999));
        break;
    default:
        std::snprintf(text, sizeof text, "010%04d%04d", Between(random, 1000, 9999),
                      Between(random, 0, 9999));
        break;
    }
    return text;
}

Customer RandomCustomer(std::mt19937& random) {
    Customer customer;
    customer.phone = RandomPhoneNumber(random);
    customer.info[0] = std::string(Pick(random, kFamilyNames)) + Pick(random, kGivenNames) +
                       " 고객님" + Pick(random, kGrades);
    char joined[40];
    std::snprintf(joined, sizeof joined, "가입일 %04d-%02d-%02d", Between(random, 2005, 2024),
                  Between(random, 1, 12), Between(random, 1, 28));
    customer.info[1] = joined;
    customer.info[2] = Pick(random, kPlaces);
    customer.info[3] = std::string("최근 문의: ") + Pick(random, kReasons);
    return customer;
}

} // namespace callcenter
