#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gnss {

// A small INI reader and writer: "[section]" lines and "key=value" lines beneath them.
//
// Reading is tolerant, as a settings file may be damaged or edited by hand: a UTF-8 byte order
// mark is skipped, lines may end in CR LF or LF, and anything that is neither a section, a pair
// nor a comment (';' or '#') is kept as it is but means nothing, as is a line longer than
// kMaxLineLength. A "[" line without "]" is such a line, so the pairs under it stay with the
// section before it. Names of sections and keys compare without regard to ASCII case; blanks
// around names and values are removed, and one pair of double quotes around a value too. When a
// key appears more than once in a section (or a section more than once), the first one counts.
//
// Writing keeps every line it was read from, in order, and changes only the values set.
class IniFile {
  public:
    static constexpr std::size_t kMaxLineLength = 4096;
    // Only the first MiB of a file is read; a settings file is a few hundred bytes.
    static constexpr std::size_t kMaxFileBytes = 1024 * 1024;

    IniFile() = default;
    [[nodiscard]] static IniFile Parse(std::string_view text);
    // Nothing when the file does not exist or cannot be read.
    [[nodiscard]] static std::optional<IniFile> Load(const std::filesystem::path& path);

    [[nodiscard]] std::optional<std::string> Get(std::string_view section,
                                                 std::string_view key) const;
    [[nodiscard]] std::string GetString(std::string_view section, std::string_view key,
                                        std::string_view fallback) const;
    // An optionally signed decimal integer; anything else (or out of range) gives the fallback.
    [[nodiscard]] int GetInt(std::string_view section, std::string_view key, int fallback) const;
    // An integer, non-zero meaning true; anything else gives the fallback.
    [[nodiscard]] bool GetBool(std::string_view section, std::string_view key, bool fallback) const;

    // Replaces the value of the key's first occurrence, or adds the key at the end of the
    // section (adding the section at the end of the file when needed).
    void Set(std::string_view section, std::string_view key, std::string_view value);

    [[nodiscard]] std::string Serialize() const;
    // Writes the file safely: a temporary file beside it, flushed, then renamed over it. Creates
    // the folder when missing. False on any failure (the old file is then left as it was).
    bool Save(const std::filesystem::path& path) const;

  private:
    enum class LineKind { Other, Section, Pair };
    struct Line {
        LineKind Kind = LineKind::Other;
        std::string Text;  // the line as stored, without its line end
        std::string Name;  // section name or key
        std::string Value;
    };

    // Index of the pair line of the first matching key, or npos.
    [[nodiscard]] std::size_t Find(std::string_view section, std::string_view key) const;

    std::vector<Line> lines_;
    std::string newline_ = "\r\n";
    bool byteOrderMark_ = false;
};

}  // namespace gnss
