// Datetime values: stored as text "YYYY-MM-DD HH:MM:SS.mmm" (bigdatetime with six
// fraction digits, bigtime as "HH:MM:SS.ffffff"), parsed from the forms the server
// accepts and formatted in its CONVERT styles.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine/Engine.h"

namespace tdsim {

struct CivilTime {
    int year = 1900, month = 1, day = 1, hour = 0, minute = 0, second = 0, millisecond = 0;
    int microsecond = 0;  // beyond the millisecond: 0-999
};

std::optional<CivilTime> parseDateTime(const std::string& text);
std::string storedText(const CivilTime& time);
std::string storedBigDateTimeText(const CivilTime& time);
std::string storedBigTimeText(const CivilTime& time);
// The default display of bigdatetime and bigtime values: "Apr 15 1987 10:23:00.000000PM".
std::string formatBigDateTime(const CivilTime& time, bool withDate);
// The wire forms: microseconds since 0000-01-01, and since midnight.
int64_t bigDateTimeMicros(const CivilTime& time);
int64_t microsOfDay(const CivilTime& time);
CivilTime fromBigDateTimeMicros(int64_t micros);
CivilTime fromMicrosOfDay(int64_t micros);
std::string formatDateTime(const CivilTime& time, int style);
DateTimeValue toWire(const CivilTime& time);
CivilTime fromWire(const DateTimeValue& value);

int64_t daysFromCivil(int year, int month, int day);
CivilTime civilFromDays(int64_t days);  // days since 1900-01-01
int64_t daysSince1900(const CivilTime& time);
int64_t millisOfDay(const CivilTime& time);

}  // namespace tdsim
