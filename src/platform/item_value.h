// SPDX-License-Identifier: MIT
// One item of an item text file as it was read: a number where the item
// reads as one, else its text.
#pragma once

#include <QString>

struct ItemValue {
    QString text; // the item's text, without quotes and outer blanks
    bool numeric = false; // unquoted and reads as a decimal number
    double number = 0; // its value when numeric, else 0

    // The value a numeric column takes: the number, or 0 for text.
    double toNumber() const { return numeric ? number : 0.0; }
    // The text form: a number in its shortest decimal form, a text as read.
    QString toText() const;

    static ItemValue fromNumber(double n);
    static ItemValue fromText(const QString &t);
};
