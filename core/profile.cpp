#include "core/profile.h"

#include "core/read_file.h"
#include "platform/text/gbk.h"

namespace assoc {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kBlanks = " \t\v\f";

std::string_view trim(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    const std::size_t last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

// Names and values are C strings to the profile functions: a zero byte in the
// file ends them.
std::string until_zero(std::string_view text) { return text::bytes_to_text(text); }

std::string unquote(std::string_view value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return until_zero(value);
}

char ascii_lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool ascii_iequal(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (ascii_lower(a[i]) != ascii_lower(b[i])) return false;
    }
    return true;
}

std::string cap_value(std::string_view utf8) { return text::gbk_prefix(utf8, Profile::kValueLimit); }

}  // namespace

Profile Profile::parse(std::string_view file_bytes)
{
    const std::string text = file_bytes.starts_with(kUtf8Bom)
                                 ? text::detail::sanitize_utf8(file_bytes.substr(kUtf8Bom.size()))
                                 : text::from_gbk(file_bytes);
    Profile profile;
    std::string_view rest = text;
    while (!rest.empty()) {
        const std::size_t end = rest.find_first_of("\r\n");
        std::string_view line = rest.substr(0, end);
        if (end == std::string_view::npos) {
            rest = {};
        } else {
            const bool crlf = rest[end] == '\r' && end + 1 < rest.size() && rest[end + 1] == '\n';
            rest.remove_prefix(end + (crlf ? 2 : 1));
        }

        line = trim(line);
        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[') {
            const std::size_t close = line.find(']');
            if (close != std::string_view::npos) {
                profile.sections_.push_back({until_zero(line.substr(1, close - 1)), {}});
                continue;
            }
            // Without its "]" the line is no header; it reads as a key line.
        }
        if (profile.sections_.empty()) continue;  // lines before the first header belong nowhere

        Entry entry;
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) {
            entry.key = until_zero(line);
        } else {
            entry.key = until_zero(trim(line.substr(0, equals)));
            entry.value = unquote(trim(line.substr(equals + 1)));
        }
        profile.sections_.back().entries.push_back(std::move(entry));
    }
    return profile;
}

Profile Profile::read_file(const std::string& path)
{
    const std::optional<std::string> bytes = read_regular_file(path);
    return bytes ? parse(*bytes) : Profile{};
}

std::vector<std::string> Profile::section_names() const
{
    std::vector<std::string> names;
    names.reserve(sections_.size());
    for (const Section& section : sections_) names.push_back(section.name);
    return names;
}

std::string Profile::value(std::string_view section, std::string_view key,
                           std::string_view default_value) const
{
    for (const Section& candidate : sections_) {
        if (!ascii_iequal(candidate.name, section)) continue;
        // Only the first section of the name is searched, as the profile functions do.
        for (const Entry& entry : candidate.entries) {
            if (ascii_iequal(entry.key, key)) {
                return cap_value(entry.value ? std::string_view(*entry.value) : default_value);
            }
        }
        break;
    }
    return cap_value(default_value);
}

}  // namespace assoc
