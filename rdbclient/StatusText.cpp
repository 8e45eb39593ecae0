#include "rdbclient/StatusText.h"

#include <cstring>

namespace rdb {

std::size_t Utf8PrefixLength(std::string_view text, std::size_t maxBytes) {
    if (text.size() <= maxBytes)
        return text.size();
    std::size_t cut = maxBytes;
    // Step back over continuation bytes (10xxxxxx) to the start of the cut character.
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut;
    return cut;
}

void SetStatus(RDBStatus* status, int code, std::string_view message) {
    if (status == nullptr)
        return;
    status->code = code;
    const std::size_t length = Utf8PrefixLength(message, RDB_MESSAGE_SIZE - 1);
    std::memcpy(status->message, message.data(), length);
    status->message[length] = '\0';
}

} // namespace rdb
