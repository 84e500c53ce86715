// SPDX-License-Identifier: MIT
// Reads a CSV file back with Python's csv module, a reader that shares no
// code with the exporter: the rows come back as lists of field texts.
#pragma once

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace python_csv {

using Rows = std::vector<QStringList>;

// The rows of the file, the byte-order mark taken off as Excel does
// ("utf-8-sig"); nullopt with the reason when Python is missing or fails.
inline std::optional<Rows> read(const QString &path, QString *error)
{
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (python.isEmpty()) {
        *error = QStringLiteral("python3 is missing (scripts/setup.sh installs it)");
        return std::nullopt;
    }
    const QString script = QStringLiteral("import csv, json, sys\n"
                                          "with open(sys.argv[1], encoding='utf-8-sig', newline='') as f:\n"
                                          "    rows = list(csv.reader(f, strict=True))\n"
                                          "sys.stdout.write(json.dumps(rows))\n");
    QProcess process;
    process.start(python, { QStringLiteral("-c"), script, path });
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        *error = QString::fromUtf8(process.readAllStandardError());
        return std::nullopt;
    }
    const QJsonArray array = QJsonDocument::fromJson(process.readAllStandardOutput()).array();
    Rows rows;
    for (const auto &row : array) {
        QStringList fields;
        for (const auto &field : row.toArray())
            fields << field.toString();
        rows.push_back(fields);
    }
    return rows;
}

} // namespace python_csv
