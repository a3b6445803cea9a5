#include "terrain/object_file.h"

#include "core/numeric_text.h"
#include "terrain/file_io.h"

namespace quarnby {
namespace {

bool isBlank(char ch) { return ch == ' ' || ch == '\t'; }
bool isLineEnd(char ch) { return ch == '\r' || ch == '\n'; }

const std::string kNoField;

}  // namespace

std::string_view objectCodeOf(std::string_view token) {
  if (token.size() < 4) return {};
  return token.substr(3, 3);
}

const std::string& ObjectRecord::field(std::size_t n) const {
  if (n < 1 || n > fields.size()) return kNoField;
  return fields[n - 1];
}

std::optional<double> ObjectRecord::number(std::size_t n) const {
  double value = 0;
  if (!isWholeDecimalNumber(field(n), &value)) return std::nullopt;
  return value;
}

ObjectFileReader::ObjectFileReader(std::string_view text, Mode mode, std::span<const std::string_view> codes,
                                   std::size_t fieldCount)
    : text_(text), mode_(mode), codes_(codes.begin(), codes.end()), fieldCount_(fieldCount) {}

bool ObjectFileReader::readField(std::string& out) {
  const std::size_t n = text_.size();
  if (pos_ >= n && !fieldPending_) return false;
  fieldPending_ = false;
  out.clear();

  while (pos_ < n && isBlank(text_[pos_])) ++pos_;
  if (pos_ < n && text_[pos_] == '"') {
    const std::size_t close = text_.find('"', pos_ + 1);
    const std::size_t end = close == std::string_view::npos ? n : close;
    out.assign(text_.substr(pos_ + 1, end - pos_ - 1));
    pos_ = close == std::string_view::npos ? n : close + 1;
    // Whatever stands between the closing quote and the field's end is not part of it.
    while (pos_ < n && text_[pos_] != ',' && !isLineEnd(text_[pos_])) ++pos_;
  } else {
    const std::size_t start = pos_;
    while (pos_ < n && text_[pos_] != ',' && !isLineEnd(text_[pos_])) ++pos_;
    std::size_t end = pos_;
    while (end > start && isBlank(text_[end - 1])) --end;
    out.assign(text_.substr(start, end - start));
  }

  if (pos_ < n && text_[pos_] == ',') {
    ++pos_;
    fieldPending_ = true;
    lineEnded_ = false;
    return true;
  }
  skipLineEnd();  // or the end of the file
  lineEnded_ = true;
  return true;
}

// CR LF, a lone CR and a lone LF each end one line.
void ObjectFileReader::skipLineEnd() {
  const std::size_t n = text_.size();
  if (pos_ < n && text_[pos_] == '\r') {
    ++pos_;
    if (pos_ < n && text_[pos_] == '\n') ++pos_;
  } else if (pos_ < n && text_[pos_] == '\n') {
    ++pos_;
  }
}

void ObjectFileReader::discardRestOfLine() {
  if (lineEnded_) return;
  const std::size_t n = text_.size();
  while (pos_ < n && !isLineEnd(text_[pos_])) ++pos_;
  skipLineEnd();
  fieldPending_ = false;
  lineEnded_ = true;
}

int ObjectFileReader::codeIndexOf(std::string_view token) const {
  const std::string_view code = objectCodeOf(token);
  for (std::size_t i = 0; i < codes_.size(); ++i)
    if (code == codes_[i]) return static_cast<int>(i);
  return -1;
}

std::optional<ObjectRecord> ObjectFileReader::next() {
  std::string token;
  while (readField(token)) {
    const int index = codeIndexOf(token);
    if (index < 0) {
      // Line mode passes over the whole line; field mode over this one field only.
      if (mode_ == Mode::Line) discardRestOfLine();
      continue;
    }
    ObjectRecord record;
    record.codeIndex = index;
    record.leadToken = std::move(token);
    record.fields.reserve(fieldCount_);
    std::string field;
    for (std::size_t i = 0; i < fieldCount_ && readField(field); ++i) record.fields.push_back(field);
    discardRestOfLine();
    return record;
  }
  return std::nullopt;
}

std::vector<ObjectRecord> readObjectRecords(std::string_view text, ObjectFileReader::Mode mode,
                                            std::span<const std::string_view> codes, std::size_t fieldCount) {
  ObjectFileReader reader(text, mode, codes, fieldCount);
  std::vector<ObjectRecord> records;
  while (auto record = reader.next()) records.push_back(std::move(*record));
  return records;
}

std::optional<std::string> readObjectFile(const std::filesystem::path& file, std::string& error) {
  auto bytes = readWholeFile(file, readLimit::kText, error);
  if (!bytes) return std::nullopt;
  return std::string(bytes->begin(), bytes->end());
}

}  // namespace quarnby
