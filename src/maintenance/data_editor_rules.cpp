// SPDX-License-Identifier: MIT
#include "maintenance/data_editor_rules.h"
#include "platform/blank_trim.h"
#include "platform/number_text.h"
#include "results/record_text.h"
#include "results/results_file.h"
#include "results/results_journal.h"
#include "roster/grade_rules.h"

namespace {

const QString kFiveWideSpaces = QStringLiteral("　　　　　");
const QString kWideSpace = QStringLiteral("　");

// A whole decimal number of ASCII digits, blanks around it allowed; no
// sign, no point, no full-width digits.
std::optional<qint64> wholeDigits(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty() || t.size() > 9)
        return std::nullopt;
    qint64 value = 0;
    for (const QChar c : t) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        value = value * 10 + (c.unicode() - '0');
    }
    return value;
}

} // namespace

QString EditorRoster::nameOf(int pupil) const
{
    return pupil >= 0 && pupil <= kMaxPupil ? names[size_t(pupil)] : QString();
}

QString EditorRoster::gradeLabelOf(int pupil) const
{
    return pupil >= 0 && pupil <= kMaxPupil ? gradeLabels[size_t(pupil)] : QString();
}

bool LoadEditorRoster(const QString &path, int schoolYear, EditorRoster &roster, RosterFailure *failure)
{
    roster = EditorRoster();
    return ReadRosterEntries(
        path,
        [&](const RosterEntry &entry) {
            const int pupil = entry.record.pupilNumber;
            const QString name = trimBlanks(entry.record.name);
            roster.names[size_t(pupil)] = name;
            roster.listed[size_t(pupil)] = true;
            if (const auto label = PupilGradeLabelOf(GradeNumber(schoolYear, entry.record.birthYear)))
                roster.gradeLabels[size_t(pupil)] = *label;
            roster.choices << pupilChoiceText(pupil, name);
            return true;
        },
        failure);
}

QString pupilChoiceText(int pupil, const QString &trimmedName)
{
    return QString::number(pupil) + QStringLiteral(" /  ") + trimmedName;
}

QString rightAligned(const QString &text, int width)
{
    return text.size() >= width ? text.right(width) : text.rightJustified(width, QLatin1Char(' '));
}

int recordNumberWidth(qint64 largestRecordNumber)
{
    return std::max(4, int(QString::number(largestRecordNumber).size()));
}

QString dataListLine(qint64 recordNumber, const ResultRecord &record, const EditorRoster &roster,
    const SchoolOfRecord &school, int numberWidth)
{
    const int pupil = record.pupilNumber;
    QString line;
    line.reserve(72);
    line += QString::number(recordNumber).rightJustified(numberWidth, QLatin1Char(' '));
    line += QLatin1Char(' ');
    line += runDateText(record.date);
    line += kWideSpace;
    line += rightAligned(timeOfDayText(record.timeOfDay), 9);
    line += QStringLiteral("ﾚﾍﾞﾙ") + QString::number(record.level);
    line += kWideSpace;
    line += rightAligned(QString::number(record.seconds), 5);
    line += QStringLiteral("秒 ");
    line += kWideSpace;
    line += rightAligned(QString::number(pupil), 4);
    line += QLatin1Char(' ');
    line += (roster.nameOf(pupil) + kFiveWideSpaces).left(6);
    line += QLatin1Char(' ');
    line += roster.gradeLabelOf(pupil);
    line += QStringLiteral("++");
    line += school.nameFor(record);
    return line;
}

QString recordCountText(qint64 fileLength)
{
    QString text = QStringLiteral("総レコード数:") + QString::number(fileLength / kRecordLength);
    if (const qint64 torn = fileLength % kRecordLength; torn != 0)
        text += QStringLiteral("（末尾に書きかけの%1バイト）").arg(torn);
    return text;
}

std::optional<int> choicePupilNumber(const QString &choiceText)
{
    const qsizetype slash = choiceText.indexOf(QLatin1Char('/'));
    if (slash < 0)
        return std::nullopt;
    const auto number = wholeDigits(choiceText.left(slash));
    if (!number || *number > kMaxPupil)
        return std::nullopt;
    return int(*number);
}

std::optional<std::int32_t> validEditedTime(const QString &text, QString *problem)
{
    const auto value = wholeDigits(text);
    if (value && *value <= kLongestStoredSeconds)
        return std::int32_t(*value);
    if (problem)
        *problem = QStringLiteral("時間「%1」は記録できません。0 から %2 までの整数（秒）を入力して下さい。")
                       .arg(text)
                       .arg(kLongestStoredSeconds);
    return std::nullopt;
}

std::optional<std::int16_t> validChosenPupil(
    const QString &choiceText, const EditorRoster &roster, std::int16_t storedPupil, QString *problem)
{
    if (!choiceText.contains(QLatin1Char('/'))) {
        if (problem)
            *problem = QStringLiteral("生徒「%1」に番号がありません。一覧から「番号 /  名前」を選んで下さい。")
                           .arg(choiceText);
        return std::nullopt;
    }
    // The run's own pupil, left as opened, is kept as stored even when the
    // roster no longer lists them; only a newly chosen pupil must be on it.
    if (choiceText.left(choiceText.indexOf(QLatin1Char('/'))).trimmed() == QString::number(storedPupil))
        return storedPupil;
    const auto pupil = choicePupilNumber(choiceText);
    if (!pupil || !roster.has(*pupil)) {
        if (problem)
            *problem = QStringLiteral("生徒「%1」は名簿にありません。一覧から選んで下さい。").arg(choiceText);
        return std::nullopt;
    }
    return std::int16_t(*pupil);
}

namespace {

// "2026/12/01 10:00:00 ﾚﾍﾞﾙ3 55秒 12 山田太郎": the run a journal entry names.
QString runSummary(const QByteArray &bytes, const EditorRoster &roster)
{
    if (bytes.size() != kRecordLength)
        return QString();
    const ResultRecord r = decodeRecord(bytes.constData());
    return QStringLiteral("%1 %2 ﾚﾍﾞﾙ%3 %4秒 %5 %6")
        .arg(runDateText(r.date), timeOfDayText(r.timeOfDay))
        .arg(r.level)
        .arg(r.seconds)
        .arg(r.pupilNumber)
        .arg(roster.nameOf(r.pupilNumber));
}

// What a change made of the run: the pupil and the time it left.
QString changedTo(const QByteArray &bytes, const EditorRoster &roster)
{
    if (bytes.size() != kRecordLength)
        return QString();
    const ResultRecord r = decodeRecord(bytes.constData());
    return QStringLiteral("%1秒 %2 %3").arg(r.seconds).arg(r.pupilNumber).arg(roster.nameOf(r.pupilNumber));
}

} // namespace

QString journalActionText(JournalAction action)
{
    switch (action) {
    case JournalAction::Change:
        return QStringLiteral("変更");
    case JournalAction::Deletion:
        return QStringLiteral("消去");
    case JournalAction::UndoOfChange:
        return QStringLiteral("変更の取り消し");
    case JournalAction::UndoOfDeletion:
        return QStringLiteral("消去の取り消し");
    }
    return QString();
}

QString journalListLine(const JournalEntry &entry, bool undone, const EditorRoster &roster)
{
    QString line
        = QStringLiteral("[%1] %2 %3 %4 %5 記録%6：")
              .arg(entry.number)
              .arg(runDateText(entry.date), timeOfDayText(entry.timeOfDay),
                  entry.host.isEmpty() ? QStringLiteral("（PC名なし）") : entry.host, journalActionText(entry.action))
              .arg(entry.recordNumber);
    switch (entry.action) {
    case JournalAction::Change:
    case JournalAction::UndoOfChange:
        line += runSummary(entry.oldRecord, roster) + QStringLiteral(" → ") + changedTo(entry.newRecord, roster);
        break;
    case JournalAction::Deletion:
    case JournalAction::UndoOfDeletion:
        line += runSummary(entry.oldRecord, roster);
        break;
    }
    if (entry.isUndo())
        line += QStringLiteral("（[%1]を元に戻した）").arg(entry.undoes);
    if (undone)
        line += QStringLiteral("【元に戻し済み】");
    return line;
}
