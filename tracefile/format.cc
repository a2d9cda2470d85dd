#include "tracefile/format.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "util/fixed_read.h"

namespace kor::tracefile {
namespace {

constexpr std::array<const char*, 24> kFieldNames = {
    "VRSN#", "MODEL", "FHOUR", "FWNDO", "VYMDH", "VWNDO", "TMINC", "V_ANL",
    "V_RGN", "STATS", "THRSH", "PARAM", "LVLID", "LEVEL", "VHHMM", "COUNT",
    "DV_01", "DV_02", "DV_03", "DV_04", "DV_05", "DV_06", "DV_07", "DV_08"};

// Days from 0000-03-01 style civil count; only differences are used.
long long days_from_civil(int y, int m, int d) {
  y -= m <= 2 ? 1 : 0;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const long long yoe = y - era * 400;
  const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe;
}

bool valid(const DateTime& t, int year) {
  if (t.month < 1 || t.month > 12) return false;
  if (t.day < 1 || t.day > days_in_month(year, t.month)) return false;
  if (t.hour < 0 || t.hour > 23 || t.minute < 0 || t.minute > 59) return false;
  return true;
}

}  // namespace

std::optional<std::string> field_name(int id) {
  if (id >= 1 && id <= 24) return std::string(kFieldNames[id - 1]);
  if (id == 101) return std::string("COUNT");
  if (id >= 102 && id <= 200) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "DV_%02d", id - 101);
    return std::string(buf);
  }
  if (id > 200) return std::string("DV_**");
  return std::nullopt;
}

std::optional<double> unpack_value(std::string_view seven) {
  if (seven.size() < 7) return std::nullopt;
  auto code = [&](int i) { return static_cast<int>(static_cast<unsigned char>(seven[i])) - 14; };
  // A negative mantissa or exponent adds 127 to the first or last character; 127 itself is the
  // negative zero pair.
  int first = code(0);
  const bool negative = first >= 127;
  if (negative) first -= 127;
  int exponent = code(6);
  const bool negative_exponent = exponent >= 127;
  if (negative_exponent) exponent -= 127;
  if (first < 0 || first > 99 || exponent < 0 || exponent > 99) return std::nullopt;
  // The twelve mantissa digits as one integer: sign x 0.d1..d12 x 10^e = sign x M x 10^(e - 12).
  unsigned long long mantissa = static_cast<unsigned long long>(first);
  for (int i = 1; i <= 5; ++i) {
    const int pair = code(i);
    if (pair < 0 || pair > 99) return std::nullopt;
    mantissa = mantissa * 100 + static_cast<unsigned long long>(pair);
  }
  double scaled = 0.0;
  if (util::scale_exactly(mantissa, (negative_exponent ? -exponent : exponent) - 12, scaled)) {
    return negative ? -scaled : scaled;
  }
  char text[32];
  int pos = std::snprintf(text, sizeof text, "%s0.%02d", negative ? "-" : "+", first);
  for (int i = 1; i <= 5; ++i) {
    const int pair = code(i);
    if (pair < 0 || pair > 99) return std::nullopt;
    pos += std::snprintf(text + pos, sizeof text - pos, "%02d", pair);
  }
  std::snprintf(text + pos, sizeof text - pos, "e%s%02d", negative_exponent ? "-" : "+", exponent);
  return std::strtod(text, nullptr);
}

std::optional<std::string> pack_value(double v) {
  if (!std::isfinite(v)) return std::nullopt;
  const bool negative = std::signbit(v);
  double a = std::fabs(v);
  int exponent = 0;
  long long mantissa = 0;  // twelve digits
  if (a != 0.0) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.11e", a);  // d.ddddddddddde+xx
    const char* e = std::strchr(buf, 'e');
    exponent = std::atoi(e + 1) + 1;
    std::string digits;
    for (const char* p = buf; p < e; ++p) {
      if (*p != '.') digits.push_back(*p);
    }
    mantissa = std::atoll(digits.c_str());
  }
  if (exponent < -99 || exponent > 99) return std::nullopt;
  std::string out(7, ' ');
  long long m = mantissa;
  for (int i = 5; i >= 0; --i) {
    out[i] = static_cast<char>(14 + m % 100);
    m /= 100;
  }
  if (negative) out[0] = static_cast<char>(static_cast<unsigned char>(out[0]) + 127);
  const int e = exponent < 0 ? -exponent + 127 : exponent;
  out[6] = static_cast<char>(14 + e);
  return out;
}

std::optional<DateTime> read_label_time(std::string_view label) {
  std::string padded(label.substr(0, std::min<std::size_t>(12, label.size())));
  padded.resize(12, ' ');
  long long v[5];
  const int starts[5] = {0, 4, 6, 8, 10};
  const int widths[5] = {4, 2, 2, 2, 2};
  for (int i = 0; i < 5; ++i) {
    if (!util::read_int_field(std::string_view(padded).substr(starts[i], widths[i]), v[i])) {
      return std::nullopt;
    }
  }
  return DateTime{static_cast<int>(v[0]), static_cast<int>(v[1]), static_cast<int>(v[2]),
                  static_cast<int>(v[3]), static_cast<int>(v[4])};
}

std::optional<int> normalise_year(int year) {
  if (year < 0 || (year >= 100 && year <= 999)) return std::nullopt;
  if (year <= 20) return 2000 + year;
  if (year <= 99) return 1900 + year;
  return year;
}

bool is_leap_year(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int days_in_month(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && is_leap_year(year) ? 29 : kDays[month - 1];
}

std::optional<long long> minutes_between(const DateTime& a, const DateTime& b) {
  const auto ya = normalise_year(a.year);
  const auto yb = normalise_year(b.year);
  if (!ya || !yb || !valid(a, *ya) || !valid(b, *yb)) return std::nullopt;
  const long long da = days_from_civil(*ya, a.month, a.day);
  const long long db = days_from_civil(*yb, b.month, b.day);
  return (da - db) * 1440 + (a.hour - b.hour) * 60LL + (a.minute - b.minute);
}

int add_minutes(const DateTime& ref, long long minutes, DateTime& out) {
  const auto year = normalise_year(ref.year);
  if (!year) return -7;
  if (ref.month < 1 || ref.month > 12) return -8;
  if (ref.day < 1 || ref.day > days_in_month(*year, ref.month) || minutes < 0) return -9;
  DateTime t{*year, ref.month, ref.day, ref.hour, ref.minute};
  long long total = t.minute + minutes;
  t.minute = static_cast<int>(total % 60);
  total = t.hour + total / 60;
  t.hour = static_cast<int>(total % 24);
  long long days = total / 24;
  // Whole 400-year cycles (146097 days, after which the calendar repeats) at once, so that a far
  // date costs no more than a near one; a date past year 999999 is refused.
  constexpr long long kCycleDays = 146097;
  constexpr int kLastYear = 999999;
  if (days >= kCycleDays) {
    const long long cycles = days / kCycleDays;
    if (cycles > (kLastYear - t.year) / 400) return -7;
    t.year += static_cast<int>(400 * cycles);
    days -= cycles * kCycleDays;
  }
  while (days > 0) {
    const int left = days_in_month(t.year, t.month) - t.day;
    if (days <= left) {
      t.day += static_cast<int>(days);
      break;
    }
    days -= left + 1;
    t.day = 1;
    if (++t.month > 12) {
      t.month = 1;
      ++t.year;
    }
  }
  out = t;
  return 0;
}

}  // namespace kor::tracefile
