// Records filled from one database record by the agent's statements. Each text is
// cut to its field's size in CP949 bytes at a character boundary.
#pragma once

#include <cstddef>
#include <string>

struct TransferInfo {
    int transferStatus = 0; // 1 = a call has been transferred to this desk
    std::string xanId;      // XAN_ID, at most 20 bytes
    std::string recvPhone;  // RECV_PHONE, at most 20 bytes
    std::string custInfo;   // CUST_INFO, at most 100 bytes

    static constexpr std::size_t kXanIdBytes = 20;
    static constexpr std::size_t kRecvPhoneBytes = 20;
    static constexpr std::size_t kCustInfoBytes = 100;
};

struct CustInfo {
    std::string custInfo1; // CUST_INFO, at most 100 bytes
    std::string custInfo2; // CUST_INFO2, at most 50 bytes
    std::string custInfo3; // CUST_INFO3, at most 50 bytes
    std::string custInfo4; // CUST_INFO4, at most 50 bytes

    static constexpr std::size_t kCustInfo1Bytes = 100;
    static constexpr std::size_t kOtherBytes = 50;
};
