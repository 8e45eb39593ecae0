// CIniFile: one settings file and one section; every read and write goes to the
// file by name, nothing is cached.
#pragma once

#include <cstddef>
#include <string>

class CIniFile {
  public:
    CIniFile(const std::string& fileName, const std::string& sectionName);
    virtual ~CIniFile() = default;

    // Reads a value of at most capacity - 1 CP949 bytes (258 by default, as the
    // platform delivers). The empty text and false when nothing was delivered.
    bool ReadString(std::string& dest, const std::string& section, const std::string& key,
                    std::size_t capacity = kReadCapacity) const;
    bool ReadString(std::string& dest, const std::string& key,
                    std::size_t capacity = kReadCapacity) const;

    bool WriteString(const std::string& value, const std::string& section,
                     const std::string& key) const;
    bool WriteString(const std::string& value, const std::string& key) const;

    const std::string& FileName() const { return fileName_; }
    const std::string& SectionName() const { return sectionName_; }

    static constexpr std::size_t kReadCapacity = 259;

  private:
    std::string fileName_;    // at most 259 characters
    std::string sectionName_; // at most 259 characters
};
