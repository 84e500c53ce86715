// SPDX-License-Identifier: MIT
#include "roster/roster_file.h"
#include "platform/item_reader.h"
#include "platform/number_text.h"
#include "state/shared_state.h"

#include <QFileInfo>
#include <limits>

namespace {

constexpr int kValuesPerEntry = 8;
const QString kRosterFileName = QStringLiteral("新名簿.txt");

bool fail(RosterFailure *failure, int number, const QString &description)
{
    if (failure)
        *failure = { description, number };
    return false;
}

// A numeric value of an entry. An empty value counts as 0, as it always
// has; a quoted number is still a number. Fractions round half to even.
bool readInt16(const ItemValue &item, std::int16_t *out, int *errorNumber)
{
    double value = 0;
    if (item.numeric) {
        value = item.number;
    } else if (!item.text.trimmed().isEmpty() && !numtext::parseWholeNumber(item.text, &value)) {
        *errorNumber = rostererror::TypeMismatch;
        return false;
    }
    value = numtext::roundHalfEven(value);
    if (value < std::numeric_limits<std::int16_t>::min() || value > std::numeric_limits<std::int16_t>::max()) {
        *errorNumber = rostererror::Overflow;
        return false;
    }
    *out = std::int16_t(value);
    return true;
}

} // namespace

QString fixedRosterText(const QString &value)
{
    return value.left(kRosterTextWidth).leftJustified(kRosterTextWidth, QLatin1Char(' '));
}

QString RosterFilePath(const SharedState &state)
{
    return state.DataRootFolder + kRosterFileName;
}

bool isTeacher(const QString &pupilName)
{
    return pupilName.contains(QStringLiteral("★")) || pupilName.contains(QStringLiteral("先生"));
}

bool ReadRosterEntries(const QString &path, const RosterEntryVisitor &visit, RosterFailure *failure)
{
    QString openError;
    auto reader = ItemReader::open(path, &openError);
    if (!reader) {
        if (!QFileInfo::exists(path))
            return fail(
                failure, rostererror::FileNotFound, QStringLiteral("名簿ファイルが見つかりません（%1）").arg(path));
        return fail(failure, rostererror::FileAccess,
            QStringLiteral("名簿ファイルを読めません（%1: %2）").arg(path, openError));
    }

    while (!reader->atEnd()) {
        const int firstItem = reader->consumed();
        if (reader->total() - firstItem < kValuesPerEntry) {
            reader->next();
            return fail(failure, rostererror::PastEndOfFile,
                QStringLiteral("名簿ファイルの最後の項目が8つに足りません（%1 %2行目）")
                    .arg(path)
                    .arg(reader->lineOfLast()));
        }

        RosterEntry entry;
        RosterRecord &record = entry.record;
        std::int16_t *const numbers[] = { &record.pupilNumber, &record.birthYear, &record.spare1, &record.spare2 };
        for (std::int16_t *target : numbers) {
            int errorNumber = 0;
            if (!readInt16(reader->next(), target, &errorNumber))
                return fail(failure, errorNumber,
                    QStringLiteral("名簿ファイルに読めない数値があります（%1 %2行目）")
                        .arg(path)
                        .arg(reader->lineOfLast()));
        }
        entry.name = reader->next().text;
        record.name = fixedRosterText(entry.name);
        int errorNumber = 0;
        if (!readInt16(reader->next(), &entry.status, &errorNumber))
            return fail(failure, errorNumber,
                QStringLiteral("名簿ファイルに読めない数値があります（%1 %2行目）")
                    .arg(path)
                    .arg(reader->lineOfLast()));
        entry.spareText1 = reader->next().text;
        entry.spareText2 = reader->next().text;
        record.spareText1 = fixedRosterText(entry.spareText1);
        record.spareText2 = fixedRosterText(entry.spareText2);
        entry.line = reader->lineOfLast();

        const int pupil = record.pupilNumber;
        if (pupil < 0 || pupil > kMaxPupil)
            return fail(failure, rostererror::OutOfRange,
                QStringLiteral("名簿ファイルの番号 %1 が 0～5000 の外です（%2 %3行目）")
                    .arg(pupil)
                    .arg(path)
                    .arg(entry.line));
        if (!visit(entry))
            return false;
    }
    return true;
}

bool LoadRoster(SharedState &state, const QDate &today, const ListedEntryVisitor &visit, RosterFailure *failure)
{
    state.SchoolYear = SchoolYearOf(today, state.SchoolYearStartMonth);

    const QString path = RosterFilePath(state);
    const bool status2Listed = state.IncludeStatus2Pupils == 1;
    int k = 0;
    const bool read = ReadRosterEntries(
        path,
        [&](const RosterEntry &entry) {
            const RosterRecord &record = entry.record;
            const int pupil = record.pupilNumber;
            std::int16_t status = entry.status;
            if (status == 2 && status2Listed)
                status = 0;
            const bool listed = status == 0;
            if (listed && k == kMaxListedPupils)
                return fail(failure, rostererror::OutOfRange,
                    QStringLiteral("名簿ファイルの表示する人数が5000人を超えています（%1 %2行目）")
                        .arg(path)
                        .arg(entry.line));

            // The next free slot takes every entry; a not-listed one is
            // overwritten by the entry after it.
            const int slot = k + 1;
            if (slot <= kMaxListedPupils) {
                state.Roster[slot] = record;
                state.ListedPupils[slot] = record.pupilNumber;
            }
            state.RosterName[pupil] = record.name;
            state.RosterBirthYear[pupil] = record.birthYear;
            const int grade = GradeNumber(state.SchoolYear, record.birthYear);
            if (const auto label = PupilGradeLabelOf(grade))
                state.RosterGradeLabel[pupil] = *label;

            if (listed) {
                k = slot;
                state.ListedPupilCount = k;
                if (visit)
                    visit(record, grade, ListGradeLabel(grade));
            }
            return true;
        },
        failure);
    state.ListedPupilCount = k;
    return read;
}
