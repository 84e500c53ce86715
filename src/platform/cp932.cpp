// SPDX-License-Identifier: MIT
#include "platform/cp932.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace cp932 {
namespace {
// Microsoft's table, not plain Shift-JIS: "－" is U+FF0D and "～" U+FF5E.
constexpr const char *kCodecName = "windows-31j";
} // namespace

QString decode(const QByteArray &bytes, bool *invalid)
{
    QStringDecoder decoder(kCodecName);
    Q_ASSERT(decoder.isValid());
    QString text = decoder(bytes);
    if (invalid)
        *invalid = decoder.hasError();
    return text;
}

QByteArray encode(const QString &text, bool *unmappable)
{
    QStringEncoder encoder(kCodecName);
    Q_ASSERT(encoder.isValid());
    QByteArray bytes = encoder(text);
    if (unmappable)
        *unmappable = encoder.hasError();
    return bytes;
}

} // namespace cp932
