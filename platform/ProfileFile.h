// Initialization ("profile") files with the Windows rules: case-insensitive section
// and key names, blanks around keys and values ignored, a value in matching double or
// single quotes read without them, ';' comment lines, CR LF, LF or CR as line ends,
// in-place replacement that keeps every other line and the file's line endings,
// atomic replacement on write. A backslash
// in the file name is a folder separator. The folder is never created.
// Texts are UTF-8 here and CP949 on disk.
#pragma once

#include <cstddef>
#include <string>

namespace platform {

// Reads the value of key in section; missing file, section or key gives defaultValue
// without its trailing blanks.
// At most capacity - 1 characters (CP949 bytes) are delivered, cut at a character
// boundary. Returns the number of CP949 bytes delivered.
std::size_t GetPrivateProfileString(const std::string& section, const std::string& key,
                                    const std::string& defaultValue, std::string& out,
                                    std::size_t capacity, const std::string& fileName);

// Writes key = value into section; false when the file could not be written (missing
// folder, read-only file) or the value has no CP949 form.
bool WritePrivateProfileString(const std::string& section, const std::string& key,
                               const std::string& value, const std::string& fileName);

// The file name as a path of this system: backslashes become slashes.
std::string NativeProfilePath(const std::string& fileName);

} // namespace platform
