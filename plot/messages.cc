#include "plot/messages.h"

#include <cstring>
#include <ostream>

#include "util/listout.h"
#include "util/text.h"

namespace kor::plot {
namespace {

struct Row {
  int code;
  const char* text;
};

constexpr Row kRows[] = {
    {14, "14 = Warning:  Invalid input for NSMPLS"},
    {13, "13 = Warning:  Invalid input for REFLIN"},
    {12, "12 = No traces are plotted vs left-side Y axis."},
    {11, "+11 = Warning:  Reversing axses---no right-side Y-AXIS will be drawn."},
    {10, "+10 = Warning:  Hardware text may not rotate.  Y-AXIS label may vanish."},
    {9, "+09 = Warning:  Failed to find start of first day."},
    {8, "+08 = Warning:  Label string length exceeded."},
    {7, "+07 = Warning:  Could not make title for this plot"},
    {6, "+06 = Warning:  Invalid input for LABLEV"},
    {5, "+05 = Warning:  Invalid input for BORDER"},
    {4, "+04 = Warning:  Invalid graphics control file keyword"},
    {3, "+03 = Warning:  counts for bins or thresholds differ"},
    {2, "+02 = Warning:  # of bins or thresholds differs"},
    {1, "+01 = Too many X axis labels"},
    {0, "  0 = normal return"},
    {-1, "-01 = Cannot start graphics processing"},
    {-2, "-02 = Cannot set output graphics device"},
    {-3, "-03 = Invalid user-specified over-ride plot type"},
    {-4, "-04 = The plotting method is invalid"},
    {-5, "-05 = scatter plot requires two and only two traces"},
    {-6, "-06 = error in RDTD_TRC"},
    {-7, "-07 = final plot type is invalid"},
    {-8, "-08 = number of traces exceeds maximum allowed"},
    {-9, "-09 = unrecognized input for PANEL control parm"},
    {-10, "-10 = unable to set PANEL view region in graphics"},
    {-11, "-11 = invalid y axis type in PTYPE control parm"},
    {-12, "-12 = invalid input for L_TEXT/T_TEXT control parm"},
    {-13, "-13 = trace label number exceeds max allowed"},
    {-14, "-14 = ERROR FROM MOBPLT"},
    {-15, "-15 = Line number is out of range in PLT_GLIN"},
    {-16, "-16 = Marker number is out of range in PLT_GMRK"},
    {-17, "-17 = # of data counts not = to # of x axis labels"},
    {-18, "-18 = time series requires \"t\" label type"},
    {-19, "-19 = date-time in time axis range is invalid"},
    {-20, "-20 = Cannot plot % difference as a scatter plot."},
    {-21, "-21 = Traces for % diff must have same # of points."},
    {-22, "-22 = Cannot open output file text device."},
    {-23, "-23 = Cannot write to output file text device."},
    {-24, "-24 = Trace number entered is invalid."},
    {-25, "-25 = No user input for DEVICE."},
    {-26, "-26 = RPF histogram requires more than one trace."},
    {-27, "-27 = RPF histogram traces point counts differ."},
    {-28, "-28 = Exactly 2 traces required for significance analysis."},
    {-29, "-29 = Traces must have same # of points for significance analysis."},
    {-30, "-30 = Cannot open kor_sig_test1.txt output file."},
    {-31, "-31 = Must have COMP CODE=1360 for attribute diagram, and vice-versa."},
    {-32, "-32 = number of reliability + frequency traces exceeds maximum allowed."},
    {-33, "-33 = The number of trace points in an attribute diagram trace must be even."},
    {-34, "-34 = Cannot compute scores for an attribute diagram trace."},
    {-35, "-35 = Zero points in merged x-axis value arrays."},
    {-36, "-36 = X-axis values are not in ascending order."},
    {-37, "-37 = Merged value array exceeds max # of points."},
    {-38, "-38 = X point counts differ for resampling traces."},
    {-39, "-39 = Resampling error occurred."},
    {-40, "-40 = Resampling error--box object count is wrong."},
    {-41, "-41 = Cannot open box-whisker output text file."},
    {-42, "-42 = Cannot write to box-whisker output text file."},
    {-43, "-43 = Invalid attributes for box-whisker annotation text."},
    {-44, "-44 = Invalid coordinates for box-whisker annotation text position."},
    {-45, "-45 = Box-whisker text annotation box could not be displayed."},
    {-46, "-46 = Calibration probabilities must increase monotonically."},
    {-47, "-47 = Must have COMP CODE=2307 for CRPS reliability diagram, and vice-versa."},
    {-48, "-48 = Cannot compute scores for an quantile reliability diagram trace."},
    {-49, "-49 = ALL CRPS traces must have the same calibration."},
    {-50, "-50 = ALL CRPS traces must have the same ROVA data depth."},
};

}  // namespace

std::string plot_message(int code) {
  for (const Row& row : kRows) {
    if (row.code == code) return row.text;
  }
  return {};
}

void write_unopened_file(std::string_view name, int error, std::ostream& os) {
  os << " file " << name;
  if (error != 0) os << ": " << std::strerror(error);
  os << '\n';
}

int PLT_MSG(int code, std::string_view caller, std::ostream& os) {
  if (util::ST_TLEN(caller) > 0) util::list_write(os, {caller});
  const std::string text = plot_message(code);
  if (!text.empty()) util::list_write(os, {text});
  return 0;
}

}  // namespace kor::plot
