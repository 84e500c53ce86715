// SPDX-License-Identifier: MIT
#include "results/result_record.h"

#include <QtEndian>
#include <cstring>

namespace {
template <typename T> void put(QByteArray &out, int offset, T value)
{
    qToLittleEndian(value, out.data() + offset);
}
template <typename T> T get(const char *bytes, int offset)
{
    return qFromLittleEndian<T>(bytes + offset);
}
} // namespace

QByteArray encodeRecord(const ResultRecord &record)
{
    QByteArray out(kRecordLength, '\0');
    put(out, 0, record.date);
    put(out, 8, record.timeOfDay);
    put(out, 16, record.pupilNumber);
    put(out, 18, record.level);
    put(out, 20, record.seconds);
    std::memcpy(out.data() + 24, record.schoolCode.data(), 5);
    std::memcpy(out.data() + 29, record.reserved1.data(), 5);
    std::memcpy(out.data() + 34, record.reserved2.data(), 5);
    std::memcpy(out.data() + 39, record.reserved3.data(), 5);
    return out;
}

ResultRecord decodeRecord(const char *bytes)
{
    ResultRecord record;
    record.date = get<double>(bytes, 0);
    record.timeOfDay = get<double>(bytes, 8);
    record.pupilNumber = get<std::int16_t>(bytes, 16);
    record.level = get<std::int16_t>(bytes, 18);
    record.seconds = get<std::int32_t>(bytes, 20);
    std::memcpy(record.schoolCode.data(), bytes + 24, 5);
    std::memcpy(record.reserved1.data(), bytes + 29, 5);
    std::memcpy(record.reserved2.data(), bytes + 34, 5);
    std::memcpy(record.reserved3.data(), bytes + 39, 5);
    return record;
}
