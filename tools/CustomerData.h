// Made-up Korean customers for demonstrations and load: a caller's number and the
// four lines of customer information an agent sees.
#pragma once

#include <array>
#include <random>
#include <string>

namespace callcenter {

struct Customer {
    std::string phone;                 // digits only, e.g. 01012345678
    std::array<std::string, 4> info{}; // CUST_INFO .. CUST_INFO4 (at most 100 / 50 bytes)
};

// A random customer: name, membership, address and the reason for calling.
Customer RandomCustomer(std::mt19937& random);

// A random mobile (010) or Seoul / regional landline number, digits only.
std::string RandomPhoneNumber(std::mt19937& random);

} // namespace callcenter
