#include "engine/DateTime.h"

#include <cctype>
#include <cstdio>
#include <vector>

#include "engine/Text.h"

namespace tdsim {
namespace {

const char* const kMonths[] = {"jan", "feb", "mar", "apr", "may", "jun",
                               "jul", "aug", "sep", "oct", "nov", "dec"};
const char* const kMonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

int monthFromName(const std::string& word)
{
    std::string lower = toLower(word.substr(0, 3));
    for (int i = 0; i < 12; ++i) {
        if (lower == kMonths[i])
            return i + 1;
    }
    return 0;
}

bool validDate(const CivilTime& t)
{
    static const int days[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (t.month < 1 || t.month > 12 || t.day < 1 || t.day > days[t.month - 1])
        return false;
    bool leap = (t.year % 4 == 0 && t.year % 100 != 0) || t.year % 400 == 0;
    if (t.month == 2 && t.day == 29 && !leap)
        return false;
    return t.year >= 1 && t.year <= 9999 && t.hour < 24 && t.minute < 60 && t.second < 60;
}

// Splits "10:30:15.250PM" style text into the time fields; returns false on junk.
bool parseTimePart(std::string text, CivilTime& t)
{
    text = toLower(text);
    bool pm = false, am = false;
    if (text.size() >= 2 &&
        (text.substr(text.size() - 2) == "pm" || text.substr(text.size() - 2) == "am")) {
        pm = text.substr(text.size() - 2) == "pm";
        am = !pm;
        text = rtrimBlanks(text.substr(0, text.size() - 2));
    }
    int h = 0, m = 0, s = 0;
    char fraction[8] = {0};
    int fields = std::sscanf(text.c_str(), "%d:%d:%d%*[.:]%7[0-9]", &h, &m, &s, fraction);
    if (fields < 2) {
        if (!(am || pm) || std::sscanf(text.c_str(), "%d", &h) != 1)
            return false;
    }
    std::string digits = fraction;
    while (digits.size() < 6)
        digits += '0';
    t.millisecond = std::stoi(digits.substr(0, 3));
    t.microsecond = std::stoi(digits.substr(3, 3));
    if (pm && h < 12)
        h += 12;
    if (am && h == 12)
        h = 0;
    t.hour = h;
    t.minute = m;
    t.second = s;
    return true;
}

std::vector<std::string> words(const std::string& text)
{
    std::vector<std::string> out;
    std::string word;
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == ',') {
            if (!word.empty())
                out.push_back(word);
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty())
        out.push_back(word);
    return out;
}

}  // namespace

int64_t daysFromCivil(int y, int m, int d)
{
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;  // days since 1970-01-01
}

CivilTime civilFromDays(int64_t days)
{
    int64_t z = days + daysFromCivil(1900, 1, 1) + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    CivilTime t;
    t.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    t.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    t.year = static_cast<int>(yoe + era * 400 + (t.month <= 2));
    return t;
}

int64_t daysSince1900(const CivilTime& t)
{
    return daysFromCivil(t.year, t.month, t.day) - daysFromCivil(1900, 1, 1);
}

int64_t millisOfDay(const CivilTime& t)
{
    return ((t.hour * 60 + t.minute) * 60 + t.second) * 1000LL + t.millisecond;
}

std::optional<CivilTime> parseDateTime(const std::string& input)
{
    std::string text = input;
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.pop_back();
    size_t start = 0;
    while (start < text.size() && std::isspace(static_cast<unsigned char>(text[start])))
        ++start;
    text = text.substr(start);
    CivilTime t;
    if (text.empty())
        return t;  // an empty string is 1900-01-01
    for (char& c : text) {
        if (c == 'T')
            c = ' ';
    }
    std::vector<std::string> parts = words(text);
    std::string datePart = parts[0];
    size_t timeIndex = 1;
    int a = 0, b = 0, c = 0;
    char sep = 0;
    if (datePart.find(':') != std::string::npos) {
        timeIndex = 0;  // time only
    } else if (std::sscanf(datePart.c_str(), "%d-%d-%d", &a, &b, &c) == 3 &&
               datePart.find('-') == 4) {
        t.year = a;
        t.month = b;
        t.day = c;
    } else if (std::sscanf(datePart.c_str(), "%d%c%d%*c%d", &a, &sep, &b, &c) == 4 &&
               (sep == '/' || sep == '.' || sep == '-')) {
        if (datePart.find(sep) == 4) {
            t.year = a;
            t.month = b;
            t.day = c;
        } else {
            t.month = a;
            t.day = b;
            t.year = c < 100 ? (c < 50 ? 2000 + c : 1900 + c) : c;
        }
    } else if (datePart.size() == 8 && std::all_of(datePart.begin(), datePart.end(), ::isdigit)) {
        t.year = std::stoi(datePart.substr(0, 4));
        t.month = std::stoi(datePart.substr(4, 2));
        t.day = std::stoi(datePart.substr(6, 2));
    } else if (int month = monthFromName(datePart); month && parts.size() >= 3) {
        t.month = month;
        t.day = std::atoi(parts[1].c_str());
        t.year = std::atoi(parts[2].c_str());
        timeIndex = 3;
    } else if (parts.size() >= 3 && monthFromName(parts[1])) {
        t.day = std::atoi(parts[0].c_str());
        t.month = monthFromName(parts[1]);
        t.year = std::atoi(parts[2].c_str());
        timeIndex = 3;
    } else {
        return std::nullopt;
    }
    std::string timeText;
    for (size_t i = timeIndex; i < parts.size(); ++i)
        timeText += parts[i];
    if (!timeText.empty() && !parseTimePart(timeText, t))
        return std::nullopt;
    if (!validDate(t))
        return std::nullopt;
    return t;
}

std::string storedText(const CivilTime& t)
{
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second, t.millisecond);
    return text;
}

std::string storedBigDateTimeText(const CivilTime& t)
{
    char text[48];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d%03d", t.year, t.month,
                  t.day, t.hour, t.minute, t.second, t.millisecond, t.microsecond);
    return text;
}

std::string storedBigTimeText(const CivilTime& t)
{
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d%03d", t.hour, t.minute, t.second,
                  t.millisecond, t.microsecond);
    return text;
}

std::string formatBigDateTime(const CivilTime& t, bool withDate)
{
    char text[64];
    int hour12 = t.hour % 12 == 0 ? 12 : t.hour % 12;
    std::snprintf(text, sizeof text, "%2d:%02d:%02d.%03d%03d%s", hour12, t.minute, t.second,
                  t.millisecond, t.microsecond, t.hour < 12 ? "AM" : "PM");
    if (!withDate)
        return text;
    char date[32];
    std::snprintf(date, sizeof date, "%s %2d %04d ", kMonthNames[t.month - 1], t.day, t.year);
    return date + std::string(text);
}

int64_t microsOfDay(const CivilTime& t)
{
    return millisOfDay(t) * 1000 + t.microsecond;
}

namespace {
constexpr int64_t kMicrosPerDay = 86400LL * 1000000;
}

int64_t bigDateTimeMicros(const CivilTime& t)
{
    return (daysFromCivil(t.year, t.month, t.day) - daysFromCivil(0, 1, 1)) * kMicrosPerDay +
           microsOfDay(t);
}

CivilTime fromMicrosOfDay(int64_t micros)
{
    CivilTime t;
    t.hour = static_cast<int>(micros / 3600000000LL);
    t.minute = static_cast<int>(micros / 60000000 % 60);
    t.second = static_cast<int>(micros / 1000000 % 60);
    t.millisecond = static_cast<int>(micros / 1000 % 1000);
    t.microsecond = static_cast<int>(micros % 1000);
    return t;
}

CivilTime fromBigDateTimeMicros(int64_t micros)
{
    int64_t days = micros / kMicrosPerDay;
    CivilTime date = civilFromDays(days + daysFromCivil(0, 1, 1) - daysFromCivil(1900, 1, 1));
    CivilTime t = fromMicrosOfDay(micros % kMicrosPerDay);
    t.year = date.year;
    t.month = date.month;
    t.day = date.day;
    return t;
}

std::string formatDateTime(const CivilTime& t, int style)
{
    char text[64];
    int hour12 = t.hour % 12 == 0 ? 12 : t.hour % 12;
    const char* ampm = t.hour < 12 ? "AM" : "PM";
    switch (style % 100) {
        case 1:
            std::snprintf(text, sizeof text, "%02d/%02d/%02d", t.month, t.day, t.year % 100);
            break;
        case 3:
            std::snprintf(text, sizeof text, "%02d/%02d/%02d", t.day, t.month, t.year % 100);
            break;
        case 8:
            std::snprintf(text, sizeof text, "%02d:%02d:%02d", t.hour, t.minute, t.second);
            break;
        case 11:
            std::snprintf(text, sizeof text, "%02d/%02d/%02d", t.year % 100, t.month, t.day);
            break;
        case 12:
            std::snprintf(text, sizeof text, "%02d%02d%02d", t.year % 100, t.month, t.day);
            break;
        case 9:
            std::snprintf(text, sizeof text, "%s %2d %04d %2d:%02d:%02d:%03d%s",
                          kMonthNames[t.month - 1], t.day, t.year, hour12, t.minute, t.second,
                          t.millisecond, ampm);
            break;
        case 23:
            std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", t.year, t.month,
                          t.day, t.hour, t.minute, t.second);
            break;
        default:
            std::snprintf(text, sizeof text, "%s %2d %04d %2d:%02d%s", kMonthNames[t.month - 1],
                          t.day, t.year, hour12, t.minute, ampm);
            break;
    }
    std::string out = text;
    if (style >= 100) {
        // Four-digit years in the 1xx styles.
        switch (style) {
            case 101:
                std::snprintf(text, sizeof text, "%02d/%02d/%04d", t.month, t.day, t.year);
                return text;
            case 103:
                std::snprintf(text, sizeof text, "%02d/%02d/%04d", t.day, t.month, t.year);
                return text;
            case 111:
                std::snprintf(text, sizeof text, "%04d/%02d/%02d", t.year, t.month, t.day);
                return text;
            case 112:
                std::snprintf(text, sizeof text, "%04d%02d%02d", t.year, t.month, t.day);
                return text;
            default:
                break;
        }
    }
    return out;
}

CivilTime fromWire(const DateTimeValue& value)
{
    CivilTime time = civilFromDays(value.days);
    int64_t millis = (static_cast<int64_t>(value.ticks) * 1000 + 150) / 300;
    time.hour = static_cast<int>(millis / 3600000);
    time.minute = static_cast<int>(millis / 60000 % 60);
    time.second = static_cast<int>(millis / 1000 % 60);
    time.millisecond = static_cast<int>(millis % 1000);
    return time;
}

DateTimeValue toWire(const CivilTime& t)
{
    DateTimeValue value;
    value.days = static_cast<int32_t>(daysSince1900(t));
    int64_t millis = millisOfDay(t);
    value.ticks = static_cast<uint32_t>((millis * 300 + 500) / 1000);
    return value;
}

}  // namespace tdsim
