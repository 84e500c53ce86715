// SPDX-License-Identifier: MIT
#include "platform/item_reader.h"
#include "platform/cp932.h"
#include "platform/number_text.h"

#include <QFile>

namespace {

// The program's one blank: an ideographic space or a tab around an item is
// part of it, as it is of a name on every screen.
bool isBlank(QChar c)
{
    return c == QLatin1Char(' ');
}

QStringView trimmedOfBlanks(QStringView text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && isBlank(text[start]))
        ++start;
    while (end > start && isBlank(text[end - 1]))
        --end;
    return text.mid(start, end - start);
}

} // namespace

std::optional<ItemReader> ItemReader::open(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return std::nullopt;
    }
    bool invalid = false;
    ItemReader reader = fromText(cp932::decode(file.readAll(), &invalid));
    reader.invalidBytes_ = invalid;
    return reader;
}

ItemReader ItemReader::fromText(const QString &text)
{
    ItemReader reader;
    const int n = int(text.size());
    int i = 0;
    int line = 1;
    while (i < n) {
        // One line: find its items.
        int lineEnd = i;
        // A quote never spans lines: a stray quote must not swallow the file.
        while (lineEnd < n && text[lineEnd] != QLatin1Char('\r') && text[lineEnd] != QLatin1Char('\n'))
            ++lineEnd;
        const QStringView lineText = QStringView(text).mid(i, lineEnd - i);
        if (!trimmedOfBlanks(lineText).isEmpty()) {
            int p = 0;
            const int len = int(lineText.size());
            while (true) {
                while (p < len && isBlank(lineText[p]))
                    ++p;
                ItemValue value;
                if (p < len && lineText[p] == QLatin1Char('"')) {
                    const int close = int(lineText.indexOf(QLatin1Char('"'), p + 1));
                    const int stop = close < 0 ? len : close;
                    value.text = lineText.mid(p + 1, stop - p - 1).toString();
                    p = close < 0 ? len : close + 1;
                    while (p < len && lineText[p] != QLatin1Char(','))
                        ++p;
                } else {
                    int comma = int(lineText.indexOf(QLatin1Char(','), p));
                    if (comma < 0)
                        comma = len;
                    value.text = trimmedOfBlanks(lineText.mid(p, comma - p)).toString();
                    // A number with any other space character attached is text.
                    value.numeric
                        = value.text == value.text.trimmed() && numtext::parseWholeNumber(value.text, &value.number);
                    p = comma;
                }
                reader.items_.push_back({ value, line });
                if (p >= len)
                    break;
                ++p; // past the comma; a comma at the line end leaves one empty item
            }
        }
        // Past the line end: CR LF, lone CR or lone LF.
        i = lineEnd;
        if (i < n && text[i] == QLatin1Char('\r'))
            ++i;
        if (i < n && text[i] == QLatin1Char('\n'))
            ++i;
        ++line;
    }
    return reader;
}

ItemValue ItemReader::next()
{
    if (atEnd())
        return ItemValue {};
    return items_[next_++].value;
}

int ItemReader::lineOfLast() const
{
    return next_ == 0 ? 0 : items_[next_ - 1].line;
}
