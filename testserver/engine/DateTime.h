// Datetime values: stored as text "YYYY-MM-DD HH:MM:SS.mmm", parsed from the forms
// the server accepts and formatted in its CONVERT styles.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine/Engine.h"

namespace tdsim {

struct CivilTime {
    int year = 1900, month = 1, day = 1, hour = 0, minute = 0, second = 0, millisecond = 0;
};

std::optional<CivilTime> parseDateTime(const std::string& text);
std::string storedText(const CivilTime& time);
std::string formatDateTime(const CivilTime& time, int style);
DateTimeValue toWire(const CivilTime& time);
CivilTime fromWire(const DateTimeValue& value);

int64_t daysFromCivil(int year, int month, int day);
CivilTime civilFromDays(int64_t days);  // days since 1900-01-01
int64_t daysSince1900(const CivilTime& time);
int64_t millisOfDay(const CivilTime& time);

}  // namespace tdsim
