// SPDX-License-Identifier: MIT
// Other PCs, played by child processes: the core test binary started again
// with a role in its environment (the body is
// EditChild.DISABLED_ActsOutItsRole in results_edit_test.cpp). The screen
// tests start the core binary, which holds the role: a binary without it
// would run no test and end as if the role had been played.
//   append  <id> <count> <pauseUs>          appends through the program's own path
//   append-gated <id> <count> <deletions>   the same, each run waiting for its share of deletions
//   delete-crash <before> <step>            deletes record 1 `before` times, then dies at a step
//   delete  <record>                        deletes one record, as another teacher
#pragma once

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <memory>

namespace edit_children {

inline const char *const kRole = "EDIT_CHILD_ROLE";
inline const char *const kFolder = "EDIT_CHILD_FOLDER";
inline const char *const kArgs = "EDIT_CHILD_ARGS";

inline std::unique_ptr<QProcess> start(const QString &role, const QString &folder, const QStringList &args = {})
{
    auto process = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(kRole), role);
    env.insert(QString::fromLatin1(kFolder), folder);
    env.insert(QString::fromLatin1(kArgs), args.join(QLatin1Char(' ')));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process->setProcessEnvironment(env);
#ifdef CORE_TESTS_EXECUTABLE
    const QString program = QStringLiteral(CORE_TESTS_EXECUTABLE);
#else
    const QString program = QCoreApplication::applicationFilePath();
#endif
    process->start(program,
        { QStringLiteral("--gtest_also_run_disabled_tests"),
            QStringLiteral("--gtest_filter=EditChild.DISABLED_ActsOutItsRole") });
    return process;
}

// Waits for a line the child prints once it is under way.
inline bool waitForLine(QProcess &process, const QByteArray &line, int timeoutMs = 60000)
{
    QByteArray out;
    while (!out.contains(line) && process.waitForReadyRead(timeoutMs))
        out += process.readAllStandardOutput();
    return out.contains(line);
}

} // namespace edit_children
