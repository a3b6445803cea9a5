#pragma once
#include <QFile>
#include <QString>
#include <QStringDecoder>

#include <filesystem>
#include <string>
#include <string_view>

namespace quarnby {

// The controls hold 8-bit text; the window shows it as Latin-1. A character the
// 8-bit set cannot hold becomes '?'.
inline QString toQt(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string fromQt(const QString& text) {
  const QByteArray bytes = text.toLatin1();
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

// Text that is shown but never edited (source labels, messages) may carry file names
// and system error texts, which are UTF-8: shown as UTF-8 when it is valid UTF-8,
// else as the controls' 8-bit set.
inline QString shownText(std::string_view text) {
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString shown = utf8(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
  return utf8.hasError() ? toQt(text) : shown;
}

// Paths are in the file system's own encoding, not in the controls' 8-bit set.
inline QString pathText(const std::filesystem::path& path) { return QFile::decodeName(path.native().c_str()); }

inline std::filesystem::path pathOf(const QString& text) { return QFile::encodeName(text).toStdString(); }

}  // namespace quarnby
