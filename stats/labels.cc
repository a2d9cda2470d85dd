// Labels of plain data fields: from a label list file named after the statistic type, or from the
// built-in table of each record-type family.
#include <array>
#include <filesystem>
#include <initializer_list>

#include "stats/internal.h"
#include "util/format.h"
#include "util/text.h"
#include "util/unit.h"

namespace kor::stats::detail {
namespace {

constexpr int kListUnit = 99;
constexpr std::size_t kListLineWidth = 32;
constexpr std::size_t kListPathWidth = 32;

struct Family {
  std::initializer_list<const char*> keywords;
  std::initializer_list<const char*> labels;  // data values 2, 3, ...
  std::initializer_list<int> perfect_zero;    // data values whose perfect value is 0
};

// Tested in this order; the first family whose keyword the statistic type contains is used.
const Family kFamilies[] = {
    {{"ML1L2"}, {"F_MEAN", "O_MEAN", "FO_MEAN", "F2_MEAN", "O2_MEAN", "MAE"}, {7}},
    {{"ESL1L2"},
     {"F_MEAN", "O_MEAN", "FO_MEAN", "F2_MEAN", "O2_MEAN", "S_VAR_WRT_ENS_MN", "S_VER_OUTLR_FRCT"},
     {8}},
    {{"SAL1L2", "SL1L2", "SSAL1L2"},
     {"F_MEAN", "O_MEAN", "FO_MEAN", "F2_MEAN", "O2_MEAN", "MEAN_ABS_ERR", "X_|DF-DA|_MEAN",
      "X_MX(|DF|,|DA|)_MEAN", "Y_|DF-DA|_MEAN", "Y_MX(|DF|,|DA|)_MEAN"},
     {}},
    {{"EVL1L2"},
     {"UF_MEAN", "VF_MEAN", "UO_MEAN", "VO_MEAN", "F.O_MEAN", "F.F_MEAN", "O.O_MEAN",
      "V_VAR_WRT_ENS_MN", "V_VER_OUTLR_FRCT"},
     {10}},
    {{"VAL1L2", "VL1L2", "VSAL1L2"},
     {"UF_MEAN", "VF_MEAN", "UO_MEAN", "VO_MEAN", "F.O_MEAN", "F.F_MEAN", "O.O_MEAN"},
     {}},
    {{"FHO"}, {"FRCST", "HITS", "OBSRVD", "BIAS_RMVD_HITS", "BIAS_RMVD_FRCST"}, {}},
    {{"KVORN"}, {"S1", "BIAS", "ERROR_SD", "RMS_ERROR", "OBS_AVG", "OBS_SD"}, {2, 3, 4, 5}},
    {{"PBS_WWX"},
     {"EVNT_FRC_LO_RISK", "EVNT_FRC_MD_RISK", "EVNT_FRC_HI_RISK", "EVNTFRC>TH_NORSK",
      "EVNTFRC>TH_LORSK", "EVNTFRC>TH_MDRSK", "EVNTFRC>TH_HIRSK"},
     {}},
    {{"PHSE"},
     {"PHASE_ERROR", "AMPLITUDE_ERROR", "FORVAR*PHS_ERROR", "FORVAR_CONTRIB", "ANLVAR*PHS_ERROR",
      "ANLVAR_CONTRIB", "ANALY_PHSANG", "ANALY_AMPLTD", "TTLFOR_VARIANCE", "TTLANL_VARIANCE"},
     {2, 3, 4, 6}},
    {{"GBS"}, {}, {}},
    {{"RHET", "RHNT"}, {}, {}},
    {{"RPS"}, {"RANKED_PROB_SCR", "FRCTN_WITH_SKILL", "CLIM_RNKD_PRB_SC"}, {}},
    {{"TRK"},
     {"OBSERVED_LATITUDE", "OBSERVED_LONGITUDE",   "SEARCH_ONLY_ANGLE",    "DISTANCE_ERROR",
      "DISTANCE_ERROR**2", "X_COMP_VEC_POS_ERROR", "Y_COMP_VEC_POS_ERROR", "CEN_PMSL_F_MEAN",
      "CEN_PMSL_O_MEAN",   "CEN_PMSL_F*O_MEAN",    "CEN_PMSL_F*F_MEAN",    "CEN_PMSL_O*O_MEAN",
      "MAX_WIND_F_MEAN",   "MAX_WIND_O_MEAN",      "MAX_WIND_F*O_MEAN",    "MAX_WIND_F*F_MEAN",
      "MAX_WIND_O*O_MEAN", "850_VORT_F_MEAN",      "850_VORT_O_MEAN",      "850_VORT_F*O_MEAN",
      "850_VORT_F*F_MEAN", "850_VORT_O*O_MEAN"},
     {}},
    {{"ST_MODE"},
     {"OBS_OBJ_CNTRD_LAT", "OBS_OBJ_CNTRD_LON", "FRCST_OBJ_CNTRD_LAT", "FRCST_OBJ_CNTRD_LON",
      "OBS->FRCST_CMPSS_ANG", "OBS->FRCST_DISTANCE", "U-COMP_OBS->FRCST", "V_COMP_OBS->FRCST",
      "FRCST_OBJ_MDN_INT", "OBS_OBJ_MDN_INT", "FRCST_OBJ_AREA", "OBS_OBJ_AREA",
      "FOR-OBS_ORNT_ANG_DIF", "FOR-OBS_INTRSCTN_ARA", "FOR-OBS_UNION_AREA", "INTRSCTN/UNION_AREA"},
     {}},
    {{"FSS"}, {"FRCTNS_BRIER_SCR", "MN_SQRD_FRCST_FRCNTS", "MN_SQRD_OBSVD_FRCTNS"}, {}},
    {{"PFR"},
     {"FRCTN_FRCSTS_>_OBS", "FRCTN_F>O_AND_O>=TH", "FRCTN_O_>=_THRESHOLD", "FRCTN_F>O_AND_F>=TH",
      "FRCTN_F_>=_THRESHOLD", "FRCTN_F>O&F>TH&O>TH", "FRCTN_F&O_>=_THRSHLD"},
     {}},
};

bool contains(std::string_view text, std::string_view word) {
  return text.find(word) != std::string_view::npos;
}

// The built-in label of data value k >= 2.
void builtin_label(std::string_view stat, int k, double missing, std::string& label,
                   double& perfect) {
  for (const Family& family : kFamilies) {
    bool match = false;
    for (const char* word : family.keywords) match = match || contains(stat, word);
    if (!match) continue;
    const std::string_view first = *family.keywords.begin();
    perfect = missing;
    if (first == "GBS") {
      static constexpr const char* kNames[] = {"MN_FR_PRB*OBS_C", "MN(FR_PRB**2)_C",
                                               "FRACTION_OBSD_C"};
      const int category = (k - 2) / 3 + 1;
      label = std::string(kNames[(k - 2) % 3]) + util::format("(I1)", {category});
      return;
    }
    if (first == "RHET") {
      label = "BIN_#_" + util::format("(I2.2)", {k - 1}) + "_PROB";
      return;
    }
    if (first == "RPS") perfect = 0.0;
    for (int z : family.perfect_zero) {
      if (z == k) perfect = 0.0;
    }
    const int index = k - 2;
    if (index < static_cast<int>(family.labels.size())) label = family.labels.begin()[index];
    return;
  }
  label = "UNDEFINED_PARM";
  perfect = missing;
}

}  // namespace

std::string label_list_name(std::string_view stat_type) {
  const std::string_view type = util::rtrim(stat_type);
  if (type.empty()) return {};
  std::array<std::string, 4> words;
  int count = 0;
  (void)util::ST_SPLS(type, '_', "", -1, words, count);
  count = std::min(count, 4);
  if (count < 1) return {};
  const std::string last = util::ST_NOBL(util::ST_SYMB(words[count - 1]));
  if (last.empty()) return {};
  std::string path;
  for (int i = 0; i < count - 1; ++i) path += util::rtrim(words[i]);
  path += last + ".lst";
  if (path.size() > kListPathWidth) path.resize(kListPathWidth);
  return path;
}

void plain_field_label(std::string_view stat_type, int k, double missing, std::string& label,
                       double& perfect) {
  const std::string name = label_list_name(stat_type);
  std::error_code ec;
  if (!name.empty() && std::filesystem::is_regular_file(name, ec)) {
    util::TextUnit unit(kListUnit);
    if (unit.open(name)) {
      std::string line;
      bool found = true;
      for (int i = 1; i <= k - 1 && found; ++i) found = unit.read(line, kListLineWidth);
      unit.close();
      label = "UNDEFINED_PARM";
      perfect = missing;
      if (!found) return;
      std::array<std::string, 2> words;
      int count = 0;
      (void)util::ST_SPLS(line, ' ', "", tracefile::kLabelWidth, words, count);
      if (words[0].empty()) return;  // a blank line names nothing
      label = words[0];
      double value = 0.0;
      if (count >= 2 && util::ST_TREL(words[1], value) == 0) perfect = value;
      return;
    }
  }
  builtin_label(util::rtrim(stat_type), k, missing, label, perfect);
}

}  // namespace kor::stats::detail
