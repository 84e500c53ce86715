// SPDX-License-Identifier: MIT
// One record of the results file "成績累積データ.dat": 44 bytes,
// little-endian, fields packed without gaps. Other copies of the program,
// also on other PCs, read and write the same file, so the layout is fixed
// to the byte.
#pragma once

#include <QByteArray>
#include <array>
#include <cstdint>

inline constexpr int kRecordLength = 44;

struct ResultRecord {
    double date = 0; // OLE date of the run's day, no fraction
    double timeOfDay = 0; // fraction of a day when it was written
    std::int16_t pupilNumber = 0;
    std::int16_t level = 0;
    std::int32_t seconds = 0; // recorded time; 99999 after a time-up
    std::array<char, 5> schoolCode { ' ', ' ', ' ', ' ', ' ' };
    std::array<char, 5> reserved1 { ' ', ' ', ' ', ' ', ' ' };
    std::array<char, 5> reserved2 { '0', ' ', ' ', ' ', ' ' };
    std::array<char, 5> reserved3 { 0, 0, 0, 0, 0 };
};

// The 44 bytes of a record.
QByteArray encodeRecord(const ResultRecord &record);
// A record from 44 bytes at `bytes` (the caller guarantees 44 are there).
ResultRecord decodeRecord(const char *bytes);
