// SPDX-License-Identifier: MIT
// The teachers' "名簿の読み込み" in the data-change panel: choose a CSV, see
// how many pupils it holds, confirm, and read what was done or every bad row.
#pragma once

#include <QString>

class QWidget;
struct SharedState;

// Runs the whole exchange over `parent`. `csvPath` skips the file dialog
// when given. True when a new roster was written; the screens read it again
// the next time they build their lists.
bool importRosterInteractive(QWidget *parent, const SharedState &state, const QString &csvPath = QString());
