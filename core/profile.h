#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace assoc {

// The configuration is an INI file kept by the operator in GBK; it is read the
// way the Windows profile functions read it:
// - the file is decoded from GB18030 before it is split, so a Chinese character
//   whose second byte happens to be "]" or "=" stays whole (a file that starts
//   with the UTF-8 byte order mark is read as UTF-8 instead);
// - lines end with CR LF, LF or CR; spaces and tabs around a line, around a key
//   and around a value are dropped; a line starting with ";" is a comment;
// - "[name]" starts a section; the name is everything between "[" and the first
//   "]", taken as it stands (a space inside the brackets is part of it);
// - "key=value" lines; a line without "=" is a key without a value, which reads
//   as absent; a value wrapped in matching single or double quotes loses them;
// - the first section of a name and the first key of a name win; later
//   duplicates are never seen by value();
// - section and key names match regardless of the case of ASCII letters; other
//   characters must be equal.
class Profile {
public:
    // A value is read into a buffer of 10240 bytes, so at most this many GBK
    // bytes of it are seen; the cut never splits a character.
    static constexpr std::size_t kValueLimit = 10239;

    static Profile parse(std::string_view file_bytes);

    // A missing file, a directory or anything else that cannot be read as a
    // regular file gives an empty profile, as it does for the profile functions.
    static Profile read_file(const std::string& path);

    // Every section header in file order, duplicates included.
    std::vector<std::string> section_names() const;

    // The value of `key` in `section` (UTF-8); `default_value` when the section or
    // the key is absent or the key has no "=". A key with an empty value gives "".
    std::string value(std::string_view section, std::string_view key, std::string_view default_value) const;

private:
    struct Entry {
        std::string key;
        std::optional<std::string> value;
    };
    struct Section {
        std::string name;
        std::vector<Entry> entries;
    };

    std::vector<Section> sections_;
};

}  // namespace assoc
