// kor_select: from archives of verification records to a trace data file and its trace.ucd.
#include <getopt.h>

#include <cstdlib>
#include <iostream>
#include <string>

#include "tools/select/select.h"
#include "util/program.h"

namespace {

constexpr const char* kUsage =
    "usage: kor_select -c CONTROL -o TRACEFILE [-u UCDFILE] [-j JOBS] [-e] INPUT...\n"
    "\n"
    "Selects the verification records of INPUT (record files, or folders searched for them)\n"
    "that the condition groups of CONTROL ask for, and writes the trace data file TRACEFILE\n"
    "that kor and kor_plots read.\n"
    "\n"
    "  -c CONTROL   condition groups laid out as a trace data file's header section\n"
    "  -o TRACEFILE the trace data file to write\n"
    "  -u UCDFILE   also write the records of every point for resampling (trace.ucd)\n"
    "  -j JOBS      threads that read the inputs (default: every core)\n"
    "  -e           sum only the cases that every trace of a plot has (as -u writes them)\n"
    "  -h, --help   this text\n"
    "  --version    the package version\n"
    "\n"
    "The record layout is described in docs/record-format.md.  Exit status 0 on success,\n"
    "1 when the selection failed (the message names the file and line), 2 for a usage error.\n";

int usage_error(const std::string& what) {
  std::cerr << "kor_select: " << what << "\n" << kUsage;
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  kor::select::SelectOptions options;
  static const option kLong[] = {{"help", no_argument, nullptr, 'h'},
                                 {"version", no_argument, nullptr, 'V'},
                                 {nullptr, 0, nullptr, 0}};
  opterr = 0;
  for (;;) {
    const int c = getopt_long(argc, argv, ":c:o:u:j:eh", kLong, nullptr);
    if (c == -1) break;
    switch (c) {
      case 'c':
        options.control = optarg;
        break;
      case 'o':
        options.output = optarg;
        break;
      case 'u':
        options.ucd = optarg;
        break;
      case 'e':
        options.equalise = true;
        break;
      case 'j': {
        char* end = nullptr;
        const long jobs = std::strtol(optarg, &end, 10);
        if (end == optarg || *end != '\0' || jobs < 1 || jobs > 1024) {
          return usage_error(std::string("-j wants a number of threads from 1 to 1024, not '") +
                             optarg + "'");
        }
        options.jobs = static_cast<int>(jobs);
        break;
      }
      case 'h':
        std::cout << kUsage;
        return 0;
      case 'V':
        std::cout << "kor_select " << kor::util::kPackageVersion << "\n";
        return 0;
      case ':':
        return usage_error(std::string("option -") + static_cast<char>(optopt) + " needs a value");
      default:
        return usage_error(optopt ? std::string("unknown option -") + static_cast<char>(optopt)
                                  : std::string("unknown option ") + argv[optind - 1]);
    }
  }
  for (int i = optind; i < argc; ++i) options.inputs.emplace_back(argv[i]);
  if (options.control.empty()) return usage_error("no control file (-c)");
  if (options.output.empty()) return usage_error("no trace data file to write (-o)");
  if (options.inputs.empty()) return usage_error("no input: name record files or folders");
  kor::select::SelectCounts counts;
  if (!kor::select::run_selection(options, std::cout, std::cerr, &counts)) return 1;
  std::cout << "kor_select: " << counts.records << " records in " << counts.files
            << (counts.files == 1 ? " file" : " files") << ", " << counts.selected
            << " selected, written to " << options.output
            << (options.ucd.empty() ? "" : " and " + options.ucd) << "\n";
  return 0;
}
