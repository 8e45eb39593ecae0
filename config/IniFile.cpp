#include "config/IniFile.h"

#include "platform/ProfileFile.h"
#include "util/Cp949.h"

namespace {
// The names were fixed fields of 260 bytes with their terminating zero.
constexpr std::size_t kMaxNameBytes = 259;
} // namespace

CIniFile::CIniFile(const std::string& fileName, const std::string& sectionName)
    : fileName_(cp949::TruncateToBytes(fileName, kMaxNameBytes)),
      sectionName_(cp949::TruncateToBytes(sectionName, kMaxNameBytes)) {}

bool CIniFile::ReadString(std::string& dest, const std::string& section, const std::string& key,
                          std::size_t capacity) const {
    dest.clear();
    const std::size_t delivered =
        platform::GetPrivateProfileString(section, key, "", dest, capacity, fileName_);
    if (delivered == 0)
        dest.clear();
    return delivered > 0;
}

bool CIniFile::ReadString(std::string& dest, const std::string& key, std::size_t capacity) const {
    return ReadString(dest, sectionName_, key, capacity);
}

bool CIniFile::WriteString(const std::string& value, const std::string& section,
                           const std::string& key) const {
    return platform::WritePrivateProfileString(section, key, value, fileName_);
}

bool CIniFile::WriteString(const std::string& value, const std::string& key) const {
    return platform::WritePrivateProfileString(sectionName_, key, value, fileName_);
}
