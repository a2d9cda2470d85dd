#include "driver/code_reference.h"

#include <cstdio>
#include <ostream>
#include <string>

#include "metrics/code_descriptions.h"
#include "metrics/codes.h"

namespace kor::driver {
namespace {

using metrics::CodeGroup;

struct GroupText {
  CodeGroup group;
  const char* codes;
  const char* name;
  const char* records;  // the record types the group is made for
};

// The groups in the order the codes are tested (the first that holds a code wins).
constexpr GroupText kGroups[] = {
    {CodeGroup::kFho, "1001-1068", "categorical scores of 2x2 tables", "FHO"},
    {CodeGroup::kScalar, "1101-1116", "scalar partial-sum scores", "SL1L2, SAL1L2"},
    {CodeGroup::kVector, "1201-1217", "vector partial-sum scores", "VL1L2, VAL1L2"},
    {CodeGroup::kBrierRisk, "1301-1306", "Panofsky-Brier score and risk-category probabilities",
     "PBS_"},
    {CodeGroup::kRiskScores, "1307-1363",
     "risk-category 2x2 scores, Brier decomposition, probability diagrams", "PBS_"},
    {CodeGroup::kPhase, "1401-1407", "phase and variance decomposition", "PHSE"},
    {CodeGroup::kRanked, "1500 to 1500 + J, 1551 to 1550 + J",
     "ranked probability categories (J = data depth / 3)", "PBS_, RPS"},
    {CodeGroup::kClimatologyBrier, "1590", "sample climatology Brier score", "PBS_, RPS"},
    {CodeGroup::kAnalysisInterval, "1600-1606", "the analysis within the forecast intervals",
     "RHNT, RHET"},
    {CodeGroup::kNoSkill, "1700", "no-skill fraction", "any"},
    {CodeGroup::kDirection, "1801", "direction from observation to forecast", "any"},
    {CodeGroup::kS1, "1901-1903", "S1 scores", "KVORN"},
    {CodeGroup::kObject, "2001-2005", "object (MODE) attributes", "ST_MODE"},
    {CodeGroup::kFractionsSkill, "2101", "fractions skill score", "FSS"},
    {CodeGroup::kPairedExceedance, "2201-2204", "paired-exceedance probabilities", "PFR"},
    {CodeGroup::kCrps, "2301-2307", "continuous ranked probability score", "CRPS"},
    {CodeGroup::kCountPlots, "9001, 9002", "count fractions and cumulative probabilities", "any"},
};

const GroupText* group_text(CodeGroup group) {
  for (const GroupText& g : kGroups) {
    if (g.group == group) return &g;
  }
  return nullptr;
}

std::string precondition(CodeGroup group) {
  const metrics::GroupRule rule = metrics::group_rule(group);
  std::string text;
  if (!rule.type_word.empty()) {
    text = "statistic type contains \"" + std::string(rule.type_word) + "\"";
  }
  if (rule.min_depth > 0) {
    text += (text.empty() ? "" : ", ") + std::string("data depth ") +
            std::to_string(rule.min_depth) + " or more";
  }
  return text.empty() ? "none" : text;
}

std::string perfect_text(const std::optional<double>& perfect) {
  if (!perfect) return "none";
  if (*perfect >= metrics::kUnbounded) return "unbounded";
  char buf[32];
  std::snprintf(buf, sizeof buf, "%g", *perfect);
  return buf;
}

// A label as a table cell: in code type, with the bar that would end the cell escaped.
std::string cell(std::string_view text) {
  std::string out = "`";
  for (char c : text) {
    if (c == '|') out += '\\';
    out += c;
  }
  return out + "`";
}

}  // namespace

void write_code_reference(std::ostream& os) {
  os << "# Computational codes\n\n"
        "<!-- Written by `build/bin/kor --codes > docs/codes.md` from the code table "
        "(metrics/codes.cc);\n     a test checks that this file is what the program writes. -->\n\n"
        "The computational code (op code) of a trace, given on kor's standard input, chooses "
        "the statistic\nthat is computed at every point of the trace, from the point's sums "
        "(field 1 the count N, the\nothers the N-weighted sums of the record type's data "
        "values).  A code may carry a prefix that\nadjusts the sums first (below).  The "
        "statistic label is the Y-axis title; the perfect value is\ndrawn as a reference line "
        "(none: no line; unbounded: larger is better without limit).\n\n";
  os << "## Groups\n\n"
        "A code is looked up in these groups in order; the precondition is checked before "
        "anything is\ncomputed (`-29` for an FHO code on a trace whose statistic type is not "
        "FHO, `-36` for a trace\nwith too few data fields).  A code inside a group's range that "
        "no row below lists computes\nnothing: every point stays missing (`+02`).\n\n"
        "| Codes | Group | Made for | Checked precondition |\n|---|---|---|---|\n";
  for (const GroupText& g : kGroups) {
    os << "| " << g.codes << " | " << g.name << " | " << g.records << " | "
       << precondition(g.group) << " |\n";
  }
  os << "| 101101-101115, 111101-111115, 121101-121115, 131101-131115 | track statistics | TRK | "
        "see Track codes |\n"
        "| -1 | the per-point weight of the data records | any, written with a weight column | "
        "none |\n"
        "| other codes below 1001 | plain data field \\|code\\| | any | \\|code\\| no more than "
        "the data depth (`-30`) |\n\n";
  os << "## Codes\n\n| Code | Statistic | Label | Perfect | Record types |\n|---|---|---|---|---|\n";
  for (const metrics::CodeEntry& e : metrics::code_table()) {
    const GroupText* g = group_text(e.group);
    std::string records = g ? g->records : "any";
    if (e.type_word) records += " (statistic type must contain \"" + std::string(e.type_word) + "\")";
    std::string label = *e.label ? cell(e.label) : std::string("set by the routine");
    if (e.time_label) label += " (on a time axis " + cell(e.time_label) + ")";
    os << "| " << e.code << " | " << metrics::code_description(e.code) << " | " << label << " | "
       << perfect_text(e.perfect) << " | " << records << " |\n";
  }
  os << "\n## Plain data fields and the weight\n\n"
        "A code below 1001 names a data field: code 1 is the count N itself, a code k from 2 up "
        "is the\nmean of field k (its sum divided by N), and a negative code -k (other than -1) "
        "the sum of field\nk as it is.  The label comes from the trace's label list file "
        "(`<statistic type>.lst`) or\nthe field names of the record type.  Code -1 is the "
        "weight of each point, from a data section\nwritten with a weight column.\n";
  os << "\n## Track codes\n\n"
        "A track code is 10000 Q + S: the quantity Q and the scalar statistic S (1101 to 1115, "
        "as above)\nof that quantity; the label is the quantity's tag, `_` and the statistic's "
        "name.\n\n| Q | Tag | Fields (F, O, FxO, FxF, OxO) | Smallest data depth |\n"
        "|---|---|---|---|\n";
  for (int q = 10; q <= 13; ++q) {
    const metrics::TrackQuantity* t = metrics::track_quantity(q * 10000 + 1101);
    if (t == nullptr) continue;
    os << "| " << q << " | " << cell(t->tag) << " | "
       << (t->first_field > 0 ? std::to_string(t->first_field) + " to " +
                                    std::to_string(t->first_field + 4)
                              : std::string("the distance error"))
       << " | " << t->min_depth << " |\n";
  }
  os << "\n| S | Name | Perfect |\n|---|---|---|\n";
  for (int s = 1101; s <= 1115; ++s) {
    const metrics::TrackName n = metrics::track_name(s);
    os << "| " << s << " | " << cell(n.name) << " | " << perfect_text(n.perfect) << " |\n";
  }
  os << "\n## Prefixes\n\n"
        "An FHO code c may carry a bias-adjustment prefix: the code 10000 P + c with P from 101 "
        "to 104\nadjusts the forecast and hit counts of every point before c is computed, and "
        "the label starts\nwith the model's tag (code 1000000 + c reads as c without "
        "adjustment).\n\n| P | Code | Tag | Adjustment |\n|---|---|---|---|\n";
  const char* const kModels[] = {"hits from the dH/dF model", "hits that keep the odds ratio",
                                 "hits from the dH/dA model",
                                 "frequency matching (fields 5 and 6: hits and forecasts "
                                 "without bias)"};
  for (int p = metrics::kDhdfPrefix; p <= metrics::kFrequencyPrefix; ++p) {
    os << "| " << p << " | " << p * 10000 << " + c | " << metrics::bias_tag(p) << " | "
       << kModels[p - metrics::kDhdfPrefix] << " |\n";
  }
  os << "\nOn a threshold axis (an independent variable of field ID "
     << metrics::kThresholdAxisField
     << ", THRSH) an FHO code 2000000 + 10000 L + c with\nthe threshold lag L (1 to 9) first "
        "replaces the count N of each threshold by the cases in which the\nevent was forecast or "
        "observed at the threshold L places lower (F + O - H there; data depth 4\nonly); the "
        "label starts with `TL=L_`.\n";
  os << "\n## Display numbers\n\n"
        "| Display | Plot |\n|---|---|\n"
        "| 0 | statistics page (text) |\n"
        "| 1 | the plot's own type (time series, scatter, skill score or binned data) |\n"
        "| 2 | scatter plot |\n"
        "| 3 | histogram (METHOD 2 with several traces: the rank of trace 1 among the others) |\n"
        "| 4 | time series |\n"
        "| 5 | ROC diagram (codes 1032, 1362, 1363) |\n"
        "| 6 | attribute diagram (code 1360 only) |\n"
        "| 7 | CRPS reliability diagram (code 2307 only) |\n"
        "| 8 | performance diagram (FHO traces) |\n"
        "| 9 | Taylor diagram (scalar partial-sum traces) |\n";
}

}  // namespace kor::driver
