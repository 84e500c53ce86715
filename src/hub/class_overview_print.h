// SPDX-License-Identifier: MIT
// The class overview on paper: A4 landscape, as many pages as the rows
// need, each with the header (title, school, level, grade filter, print
// date, page n/m) and the column heads, so a page read alone at a class
// meeting still says what it is.
#pragma once

#include <QDate>
#include <QString>

class ClassOverviewModel;
class QPrinter;

struct OverviewPrintHeader {
    QString schoolName;
    QString levelText; // "レベル3 …"
    QString gradeFilter;
    QDate printDate;
};

// Sets the printer up for the overview: A4 landscape, 10 mm margins.
void prepareOverviewPrinter(QPrinter &printer, const QString &programName);

// Rows per page with the header and column heads on a page of the printer's
// size; at least 1.
int overviewRowsPerPage(QPrinter &printer);

// Prints the rows in the model's current order. An empty error when done,
// else what went wrong, naming the printer or the file.
QString printClassOverview(QPrinter &printer, const ClassOverviewModel &model, const OverviewPrintHeader &header);
