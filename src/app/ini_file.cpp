#include "app/ini_file.h"

#include <charconv>
#include <fstream>
#include <iterator>
#include <limits>
#include <system_error>

#include "nmea/text_fields.h"

namespace gnss {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::size_t kNone = static_cast<std::size_t>(-1);

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
        if (x != y) return false;
    }
    return true;
}

std::string_view Unquote(std::string_view value) {
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

}  // namespace

IniFile IniFile::Parse(std::string_view text) {
    IniFile file;
    if (text.size() > kMaxFileBytes) text = text.substr(0, kMaxFileBytes);
    if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
        file.byteOrderMark_ = true;
        text.remove_prefix(kByteOrderMark.size());
    }
    const std::size_t firstBreak = text.find('\n');
    if (firstBreak != std::string_view::npos) {
        file.newline_ = firstBreak > 0 && text[firstBreak - 1] == '\r' ? "\r\n" : "\n";
    }

    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view raw = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);

        Line line;
        line.Text = std::string(raw);
        const std::string_view trimmed = Trim(raw);
        if (raw.size() <= kMaxLineLength && !trimmed.empty() && trimmed[0] != ';' &&
            trimmed[0] != '#') {
            if (trimmed[0] == '[') {
                const std::size_t close = trimmed.find(']');
                if (close != std::string_view::npos) {
                    line.Kind = LineKind::Section;
                    line.Name = std::string(Trim(trimmed.substr(1, close - 1)));
                }
            } else if (const std::size_t equals = trimmed.find('=');
                       equals != std::string_view::npos) {
                const std::string_view key = Trim(trimmed.substr(0, equals));
                if (!key.empty()) {
                    line.Kind = LineKind::Pair;
                    line.Name = std::string(key);
                    line.Value = std::string(Unquote(Trim(trimmed.substr(equals + 1))));
                }
            }
        }
        file.lines_.push_back(std::move(line));
    }
    return file;
}

std::optional<IniFile> IniFile::Load(const std::filesystem::path& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string text(kMaxFileBytes, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    return Parse(text);
}

std::size_t IniFile::Find(std::string_view section, std::string_view key) const {
    bool inSection = false;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const Line& line = lines_[i];
        if (line.Kind == LineKind::Section) {
            inSection = SameName(line.Name, section);
        } else if (inSection && line.Kind == LineKind::Pair && SameName(line.Name, key)) {
            return i;
        }
    }
    return kNone;
}

std::optional<std::string> IniFile::Get(std::string_view section, std::string_view key) const {
    const std::size_t index = Find(section, key);
    if (index == kNone) return std::nullopt;
    return lines_[index].Value;
}

std::string IniFile::GetString(std::string_view section, std::string_view key,
                               std::string_view fallback) const {
    std::optional<std::string> value = Get(section, key);
    return value ? std::move(*value) : std::string(fallback);
}

int IniFile::GetInt(std::string_view section, std::string_view key, int fallback) const {
    const std::optional<std::string> value = Get(section, key);
    if (!value) return fallback;
    std::string_view digits = *value;
    if (!digits.empty() && digits[0] == '+') digits.remove_prefix(1);
    int result = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), result);
    if (error != std::errc() || end != digits.data() + digits.size() || digits.empty()) {
        return fallback;
    }
    return result;
}

bool IniFile::GetBool(std::string_view section, std::string_view key, bool fallback) const {
    constexpr int kNotANumber = std::numeric_limits<int>::min();
    const int value = GetInt(section, key, kNotANumber);
    if (value == kNotANumber) return fallback;
    return value != 0;
}

void IniFile::Set(std::string_view section, std::string_view key, std::string_view value) {
    const std::size_t index = Find(section, key);
    if (index != kNone) {
        Line& line = lines_[index];
        line.Value = std::string(value);
        line.Text = line.Name + "=" + line.Value;
        return;
    }
    Line pair;
    pair.Kind = LineKind::Pair;
    pair.Name = std::string(key);
    pair.Value = std::string(value);
    pair.Text = pair.Name + "=" + pair.Value;

    // After the last pair of the first section of that name (or right after its header).
    std::size_t insertAt = kNone;
    bool inSection = false;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const Line& line = lines_[i];
        if (line.Kind == LineKind::Section) {
            if (insertAt != kNone) break;
            inSection = SameName(line.Name, section);
            if (inSection) insertAt = i + 1;
        } else if (inSection && line.Kind == LineKind::Pair) {
            insertAt = i + 1;
        }
    }
    if (insertAt != kNone) {
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt), std::move(pair));
        return;
    }
    if (!lines_.empty() && !Trim(lines_.back().Text).empty()) lines_.push_back(Line{});
    Line header;
    header.Kind = LineKind::Section;
    header.Name = std::string(section);
    header.Text = "[" + header.Name + "]";
    lines_.push_back(std::move(header));
    lines_.push_back(std::move(pair));
}

std::string IniFile::Serialize() const {
    std::string text;
    if (byteOrderMark_) text += kByteOrderMark;
    for (const Line& line : lines_) {
        text += line.Text;
        text += newline_;
    }
    return text;
}

bool IniFile::Save(const std::filesystem::path& path) const {
    try {
        std::error_code ec;
        if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path(), ec);
        std::filesystem::path temp = path;
        temp += ".tmp";
        {
            std::ofstream out(temp, std::ios::binary | std::ios::trunc);
            if (!out) return false;
            const std::string text = Serialize();
            out.write(text.data(), static_cast<std::streamsize>(text.size()));
            out.flush();
            if (!out) {
                out.close();
                std::filesystem::remove(temp, ec);
                return false;
            }
        }
        std::filesystem::rename(temp, path, ec);
        if (ec) {
            std::filesystem::remove(temp, ec);
            return false;
        }
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace gnss
