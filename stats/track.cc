// Track statistics: one storm-track quantity turned into scalar partial sums (F, O, F x O, F x F,
// O x O) and the scalar statistics computed on them.
#include <algorithm>

#include "stats/internal.h"

namespace kor::stats::detail {

int track_statistic(Call& c, int code) {
  c.perfect = c.missing;
  c.label.clear();
  const int q = code / 10000;
  if (q < 10 || q > 13) return -55;
  const int s = code % (1000 * q);
  struct Quantity {
    const char* tag;
    int first_field;  // fields first..first+4 hold F, O, FxO, FxF, OxO (0: the distance error)
    int min_depth;
    int short_code;
  };
  static constexpr Quantity kQuantities[] = {{"DISTNC", 0, 0, 0},
                                             {"CENPRS", 9, 13, -56},
                                             {"MAXWND", 14, 18, -57},
                                             {"850VOR", 19, 23, -58}};
  const Quantity& quantity = kQuantities[q - 10];
  if (c.depth < quantity.min_depth) return quantity.short_code;

  // Work sums of six fields per point in the trace's own work store (the plain sums are not needed
  // any more for this call).
  constexpr int kFields = 6;
  std::vector<double>& work = c.engine.work_sums;
  for (int p = 1; p <= c.points; ++p) {
    double* row = work.data() + static_cast<std::size_t>(kFields) * (p - 1);
    row[0] = c.F(1, p);
    if (quantity.first_field == 0) {
      row[1] = c.F(5, p);
      row[2] = 0.0;
      row[3] = 0.0;
      row[4] = c.F(6, p);
      row[5] = 0.0;
    } else {
      for (int k = 0; k < 5; ++k) row[k + 1] = c.F(quantity.first_field + k, p);
    }
  }
  if (s < 1101 || s > 1115) return 0;
  const metrics::SumsView sums{work.data(), 1, kFields, c.points, 0};
  const int rc = scalar_statistic(s, sums, c.missing, -1, c.values, c.values2, c.ymin, c.ymax);
  struct Name {
    const char* name;
    bool perfect_known;
    double perfect;
  };
  static constexpr Name kNames[] = {
      {"SCALR_BIAS", true, 0},     {"SCALR_RMSE", true, 0},     {"SCALR_CORR", true, 1},
      {"SCLR_COVAR", false, 0},    {"SCLR_FRVAR", false, 0},    {"SCLR_OBVAR", false, 0},
      {"SCLR_FRSDV", false, 0},    {"SCLR_OBSDV", false, 0},    {"SCLR_ERR_SIG", true, 0},
      {"SCLR_BIAS+SIG", false, 0}, {"SCLR_BIAS-SIG", false, 0}, {"SCALR_BIAS**2", true, 0},
      {"-2*SCLR_COVAR", false, 0}, {"SCLR_ERR_VAR", true, 0},   {"SCALR_MSE", true, 0}};
  const Name& name = kNames[s - 1101];
  c.label = std::string(quantity.tag) + "_" + name.name;
  c.perfect = name.perfect_known ? name.perfect : c.missing;
  return rc;
}

}  // namespace kor::stats::detail
