// SPDX-License-Identifier: MIT
// One record of the results file "成績累積データ.dat": 44 bytes,
// little-endian, fields packed without gaps. Other copies of the program,
// also on other PCs, read and write the same file, so the layout is fixed
// to the byte. This is the only place that knows where a field lies: every
// reader goes through ResultRecord or StoredRecord.
#pragma once

#include <QByteArray>
#include <QString>
#include <QtEndian>
#include <array>
#include <cstdint>

inline constexpr int kRecordLength = 44;

// The seconds a run that reached its time limit is stored with.
inline constexpr std::int32_t kTimeUpSeconds = 99999;
// The longest time a record can hold: the editor's range and the check's
// upper bound. A time-up is the longest there is.
inline constexpr std::int32_t kLongestStoredSeconds = kTimeUpSeconds;
// Stored times from here on are no run's time: a time-up, or the failed
// run older copies stored as 99998. They earn no points, and a best time of
// 99998 shows as a failed run in the rankings.
inline constexpr std::int32_t kFailedRunSeconds = 99998;
// The lists and the graphs show a run of this many seconds or more as
// failed ("×"), and the school best leaves it out.
inline constexpr std::int32_t kListedAsFailedSeconds = 90000;
// A best-time cell (BestTime, TopTime, a ranking's key) without a run.
// As slow as a time-up on purpose: a time-up lowers no best time, so a
// pupil whose only runs timed out still has "no run" at that level.
inline constexpr std::int32_t kNoBestTime = kTimeUpSeconds;

struct ResultRecord {
    double date = 0; // OLE date of the run's day, no fraction
    double timeOfDay = 0; // fraction of a day when it was written
    std::int16_t pupilNumber = 0;
    std::int16_t level = 0;
    std::int32_t seconds = 0; // recorded time; kTimeUpSeconds after a time-up
    std::array<char, 5> schoolCode { ' ', ' ', ' ', ' ', ' ' };
    std::array<char, 5> reserved1 { ' ', ' ', ' ', ' ', ' ' };
    std::array<char, 5> reserved2 { '0', ' ', ' ', ' ', ' ' };
    std::array<char, 5> reserved3 { 0, 0, 0, 0, 0 };
};

// The 44 bytes of a record.
QByteArray encodeRecord(const ResultRecord &record);
// A record from 44 bytes at `bytes` (the caller guarantees 44 are there).
ResultRecord decodeRecord(const char *bytes);

// A record's fields read where its 44 bytes lie, without decoding the rest:
// the loader, the export, the check and the histograms go through files of
// a million records field by field.
class StoredRecord {
public:
    explicit StoredRecord(const char *bytes)
        : bytes_(bytes)
    {
    }
    double date() const { return at<double>(kDateAt); }
    double timeOfDay() const { return at<double>(kTimeOfDayAt); }
    std::int16_t pupilNumber() const { return at<std::int16_t>(kPupilAt); }
    std::int16_t level() const { return at<std::int16_t>(kLevelAt); }
    std::int32_t seconds() const { return at<std::int32_t>(kSecondsAt); }
    // The five bytes of the school code.
    const char *schoolCode() const { return bytes_ + kSchoolCodeAt; }

    static constexpr int kDateAt = 0;
    static constexpr int kTimeOfDayAt = 8;
    static constexpr int kPupilAt = 16;
    static constexpr int kLevelAt = 18;
    static constexpr int kSecondsAt = 20;
    static constexpr int kSchoolCodeAt = 24;
    static constexpr int kReserved1At = 29;
    static constexpr int kReserved2At = 34;
    static constexpr int kReserved3At = 39;

private:
    template <typename T> T at(int offset) const { return qFromLittleEndian<T>(bytes_ + offset); }
    const char *bytes_;
};

// A damaged record: its level (outside 0..35) or pupil number (outside
// 0..5000) cannot index the program's tables. Such a record only comes from
// a damaged file; every reader passes it over (stopping on it would stop
// every copy at every start, out of reach of the editor that removes it),
// and its other fields mean nothing.
bool isDamagedRecord(int level, int pupilNumber);
inline bool isDamagedRecord(const StoredRecord &record)
{
    return isDamagedRecord(record.level(), record.pupilNumber());
}
inline bool isDamagedRecord(const ResultRecord &record)
{
    return isDamagedRecord(record.level, record.pupilNumber);
}

// The record `bytes` (44 of them) with another pupil and time, every other
// byte as it was: a NaN date keeps its bits.
QByteArray withPupilAndTime(const QByteArray &bytes, std::int16_t pupilNumber, std::int32_t seconds);

// The school code as the record carries it: CP932 bytes, left-aligned and
// blank-padded to five, cut before a double-byte character that would not
// fit whole.
std::array<char, 5> schoolCodeField(const QString &schoolCode);

// Whose run a record is. This school's own when it carries the code this
// program writes for the configured code: five blanks when no code is
// configured, so a school without a code still owns its runs. Any other
// code is another school's, named "他塾".
class SchoolOfRecord {
public:
    SchoolOfRecord(const QString &configuredCode, const QString &schoolName);
    // `code`: the five bytes of a record's school code.
    bool isOwn(const char *code) const;
    bool isOwn(const std::array<char, 5> &code) const { return code == ownCode_; }
    QString nameFor(const char *code) const;
    QString nameFor(const ResultRecord &record) const { return nameFor(record.schoolCode.data()); }
    // The five bytes this school's records carry.
    const std::array<char, 5> &ownCode() const { return ownCode_; }
    const QString &schoolName() const { return name_; }
    bool operator==(const SchoolOfRecord &other) const = default;

private:
    std::array<char, 5> ownCode_;
    QString name_;
};

inline const QString kOtherSchoolName = QStringLiteral("他塾");
