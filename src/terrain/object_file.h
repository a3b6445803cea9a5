#pragma once
#include <array>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quarnby {

// The object file (".oba"), written by the terrain editor and only read here.
//
// The file is a list of comma-separated fields: a field ends at a comma or at the end of
// a line (CR LF, a lone CR or a lone LF), blanks and tabs around it are ignored, and a
// field that starts with a double quote runs to the next double quote, commas and line
// ends included. A record starts with a lead token whose characters 4 to 6 are one of the
// reader's object codes; the record's fields follow it.
//
// How to use it:
//
//   std::string error;
//   auto text = readObjectFile(terrainFile(cx.folder, suffix::kObjects), error);
//   if (!text) { ... "Can't open the Object File:" ... error ... }
//   ObjectFileReader reader(*text, ObjectFileReader::Mode::Field, kObjectCodes, 4);
//   while (auto record = reader.next()) {
//     record->codeIndex;             // 0..8, the position of the code in the table
//     record->field(1);              // site name, raw text without quotes
//     auto x = record->number(2);    // X, or nothing when the field is not a number
//   }
//
// Line mode (Modify Terrain) looks only at the first field of every line: a line whose
// first field carries no code is passed over whole. Field mode (Make Map, Make Tracks)
// tries every field in turn, so a code in a later field of a line starts a record there.
// Either way, after the record's fields the rest of its line is discarded. When a line
// holds fewer fields than the reader asks for, the fields run on into the next line (and
// then nothing more is discarded when the last field read ended its line). Fields missing
// at the end of the file read as empty and are not numbers.
//
// The code table is the caller's: Make Tracks passes a copy of kObjectCodes with entries
// 2 and 3 set to "ZZZ" so that towns and cities never match.

// The object codes, in the order the readers search them; the position is the code index.
inline constexpr std::array<std::string_view, 9> kObjectCodes = {"HQT", "GMS", "TWN", "CIT", "AAF",
                                                                 "AMF", "BAF", "FUF", "RDF"};

// Characters 4 to 6 of a lead token (fewer when the token is shorter); empty for a token
// of fewer than four characters.
std::string_view objectCodeOf(std::string_view token);

// One record: the code's index in the reader's table, the lead token, and the fields that
// follow it (field 1 is the site name, 2 X, 3 Y, 4 Z, 7 rotation, 17 side).
struct ObjectRecord {
  int codeIndex = -1;
  std::string leadToken;
  std::vector<std::string> fields;  // as read; shorter only when the file ended early

  // Field n (1-based) as raw text; empty when the record has no such field.
  const std::string& field(std::size_t n) const;
  // Field n as a number when, blanks aside, the whole field is a decimal number
  // (optional sign, digits with an optional fraction, optional E exponent); nothing for
  // an empty field, letters, "12abc" or a missing field.
  std::optional<double> number(std::size_t n) const;
};

class ObjectFileReader {
 public:
  enum class Mode { Line, Field };

  // Reads the records of `text`, which must outlive the reader. `codes` is the code table
  // (its entries' positions are the code indexes); `fieldCount` is the number of fields
  // read after the lead token (7 for Modify Terrain, 4 for Make Map, 17 for Make Tracks).
  ObjectFileReader(std::string_view text, Mode mode, std::span<const std::string_view> codes, std::size_t fieldCount);

  // The next record, or nothing at the end of the file.
  std::optional<ObjectRecord> next();

 private:
  // Reads the next field into `out`; false when the file holds no more fields.
  bool readField(std::string& out);
  void skipLineEnd();
  void discardRestOfLine();
  int codeIndexOf(std::string_view token) const;

  std::string_view text_;
  std::size_t pos_ = 0;
  Mode mode_;
  std::vector<std::string> codes_;
  std::size_t fieldCount_;
  bool fieldPending_ = false;  // a comma was read: another field follows, maybe empty
  bool lineEnded_ = true;      // the last field read ended its line
};

// Every record of `text`, in file order.
std::vector<ObjectRecord> readObjectRecords(std::string_view text, ObjectFileReader::Mode mode,
                                            std::span<const std::string_view> codes, std::size_t fieldCount);

// Opens the object file for input and reads it whole. On failure returns nothing and sets
// `error` to the system's description.
std::optional<std::string> readObjectFile(const std::filesystem::path& file, std::string& error);

}  // namespace quarnby
