// SPDX-License-Identifier: MIT
// Shift-JIS as Windows writes it (code page 932): every text file the program
// shares with other copies of it, and the character fields of the results
// records, are in this encoding.
#pragma once

#include <QByteArray>
#include <QString>

namespace cp932 {

// Decodes CP932 bytes. Bytes that are not valid CP932 become U+FFFD; when
// `invalid` is given it is set to true if any such byte was met.
QString decode(const QByteArray &bytes, bool *invalid = nullptr);

// Encodes text in CP932. Characters the code page lacks become "?"; when
// `unmappable` is given it is set to true if any such character was met.
QByteArray encode(const QString &text, bool *unmappable = nullptr);

} // namespace cp932
