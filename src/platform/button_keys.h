// SPDX-License-Identifier: MIT
// Keys for buttons, beside the mnemonics a caption can carry ("更新記録(&S)").
#pragma once

#include <QKeySequence>
#include <QList>

class QAbstractButton;

// A key for a button whose caption must stay as it is: it presses the
// button from anywhere in the button's window while the button is visible
// and enabled, and the button's accessible description tells the key
// (after `what`, the description's own text, when there is one).
void pressedBy(QAbstractButton *button, const QKeySequence &keys, const QString &what = QString());

// Enter in an input box beside several buttons: presses the one button
// that is visible and enabled, and nothing when there are more or none.
// True when it pressed one.
bool pressOnlyEnabledButton(const QList<QAbstractButton *> &buttons);
