// SPDX-License-Identifier: MIT
// Reader for the item text files (path file, settings, criteria, roster,
// sound list): CP932 text whose items are separated by commas or line ends.
//
// Rules:
//  - an item is the text between two separators (comma or line end);
//  - blanks (U+0020 only) around an unquoted item are dropped;
//  - an item that starts with a double quote runs to the next double quote
//    and may contain commas; text after the closing quote up to the next
//    separator is ignored;
//  - an unquoted item that reads as a decimal number is numeric;
//  - a line that holds nothing but blanks yields no item; a comma at the
//    end of a line is followed by one empty item;
//  - items are handed out strictly in order, whatever the line layout.
#pragma once

#include "platform/item_value.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

class ItemReader {
public:
    // Reads a whole file; nullopt when it cannot be opened (error set).
    static std::optional<ItemReader> open(const QString &path, QString *error = nullptr);
    // Builds a reader over text already decoded.
    static ItemReader fromText(const QString &text);

    // True when no item is left.
    bool atEnd() const { return next_ >= items_.size(); }
    // The next item; an empty text item when none is left.
    ItemValue next();
    // Items handed out so far.
    int consumed() const { return int(next_); }
    // Items in the whole file.
    int total() const { return int(items_.size()); }
    // 1-based line of the item that next() handed out last (0 before any).
    int lineOfLast() const;
    // True if the file held bytes that are not valid CP932.
    bool hadInvalidBytes() const { return invalidBytes_; }

private:
    struct Entry {
        ItemValue value;
        int line;
    };
    std::vector<Entry> items_;
    size_t next_ = 0;
    bool invalidBytes_ = false;
};
