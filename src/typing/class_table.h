#pragma once
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quarnby {

// A land cover class table: each class code of a land cover product and the entry of the
// cover layer it becomes (terrain/cover_bitmap.h: a type code, open or bare ground, or no
// land cover). Written as CSV with the header line "code,name,type,note", one class a
// line; `type` is 0..6, W (water), ALT, ALT-OPEN or ALT-BARE.
// One line of a table as written: the code, the class's name, the type entry and a note.
struct ClassRow {
  std::string code, name, type, note;
};

// The table's CSV text: the header line, then one row a line (CR LF), a field that holds a
// comma or a double quote quoted.
std::string classTableText(const std::vector<ClassRow>& rows);

class ClassTable {
 public:
  // Reads the table's text; `source` names it in a refusal. On a bad line returns
  // nothing and sets `error` to the source, the line number and why.
  static std::optional<ClassTable> parse(std::string_view text, const std::string& source, std::string& error);
  // Reads the file; a file that cannot be read is refused with the system's reason.
  static std::optional<ClassTable> load(const std::filesystem::path& file, std::string& error);

  // The entry of a code; a code the table does not know is no land cover (ALT), and
  // is counted in unknownCodes().
  std::uint8_t entryOf(std::int64_t code);
  const std::map<std::int64_t, std::uint64_t>& unknownCodes() const { return unknown_; }
  // The entry of a code, if the table knows it.
  std::optional<std::uint8_t> find(std::int64_t code) const;
  const std::map<std::int64_t, std::uint8_t>& entries() const { return entries_; }
  // The lines as read, in order, each field trimmed.
  const std::vector<ClassRow>& rows() const { return rows_; }

 private:
  std::map<std::int64_t, std::uint8_t> entries_;
  std::vector<ClassRow> rows_;
  std::map<std::int64_t, std::uint64_t> unknown_;
};

}  // namespace quarnby
