// SPDX-License-Identifier: MIT
#include "results/result_record.h"
#include "platform/cp932.h"
#include "state/tables.h"

#include <cstring>

namespace {
template <typename T> void put(char *out, int offset, T value)
{
    qToLittleEndian(value, out + offset);
}
} // namespace

QByteArray encodeRecord(const ResultRecord &record)
{
    QByteArray out(kRecordLength, '\0');
    char *b = out.data();
    put(b, StoredRecord::kDateAt, record.date);
    put(b, StoredRecord::kTimeOfDayAt, record.timeOfDay);
    put(b, StoredRecord::kPupilAt, record.pupilNumber);
    put(b, StoredRecord::kLevelAt, record.level);
    put(b, StoredRecord::kSecondsAt, record.seconds);
    std::memcpy(b + StoredRecord::kSchoolCodeAt, record.schoolCode.data(), 5);
    std::memcpy(b + StoredRecord::kReserved1At, record.reserved1.data(), 5);
    std::memcpy(b + StoredRecord::kReserved2At, record.reserved2.data(), 5);
    std::memcpy(b + StoredRecord::kReserved3At, record.reserved3.data(), 5);
    return out;
}

ResultRecord decodeRecord(const char *bytes)
{
    const StoredRecord stored(bytes);
    ResultRecord record;
    record.date = stored.date();
    record.timeOfDay = stored.timeOfDay();
    record.pupilNumber = stored.pupilNumber();
    record.level = stored.level();
    record.seconds = stored.seconds();
    std::memcpy(record.schoolCode.data(), bytes + StoredRecord::kSchoolCodeAt, 5);
    std::memcpy(record.reserved1.data(), bytes + StoredRecord::kReserved1At, 5);
    std::memcpy(record.reserved2.data(), bytes + StoredRecord::kReserved2At, 5);
    std::memcpy(record.reserved3.data(), bytes + StoredRecord::kReserved3At, 5);
    return record;
}

bool isDamagedRecord(int level, int pupilNumber)
{
    return level < 0 || level > kMaxLevel || pupilNumber < 0 || pupilNumber > kMaxPupil;
}

QByteArray withPupilAndTime(const QByteArray &bytes, std::int16_t pupilNumber, std::int32_t seconds)
{
    QByteArray out = bytes;
    if (out.size() != kRecordLength)
        return out;
    put(out.data(), StoredRecord::kPupilAt, pupilNumber);
    put(out.data(), StoredRecord::kSecondsAt, seconds);
    return out;
}

std::array<char, 5> schoolCodeField(const QString &schoolCode)
{
    std::array<char, 5> out { ' ', ' ', ' ', ' ', ' ' };
    size_t used = 0;
    for (qsizetype i = 0; i < schoolCode.size(); ++i) {
        qsizetype len = 1;
        if (schoolCode[i].isHighSurrogate() && i + 1 < schoolCode.size())
            len = 2;
        const QByteArray bytes = cp932::encode(schoolCode.mid(i, len));
        if (used + size_t(bytes.size()) > out.size())
            break;
        std::memcpy(out.data() + used, bytes.constData(), size_t(bytes.size()));
        used += size_t(bytes.size());
        i += len - 1;
    }
    return out;
}

SchoolOfRecord::SchoolOfRecord(const QString &configuredCode, const QString &schoolName)
    : ownCode_(schoolCodeField(configuredCode))
    , name_(schoolName)
{
}

bool SchoolOfRecord::isOwn(const char *code) const
{
    return std::memcmp(code, ownCode_.data(), ownCode_.size()) == 0;
}

QString SchoolOfRecord::nameFor(const char *code) const
{
    return isOwn(code) ? name_ : kOtherSchoolName;
}
