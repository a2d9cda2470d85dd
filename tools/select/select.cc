#include "tools/select/select.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <ostream>
#include <sstream>
#include <string_view>
#include <thread>
#include <unordered_map>

#include "resample/ucd_writer.h"
#include "tools/select/met_stat.h"
#include "tools/select/record.h"
#include "tracefile/format.h"
#include "util/format.h"
#include "util/text.h"

namespace kor::select {
namespace {

namespace fs = std::filesystem;

// Inputs are cut into pieces of this size (at line ends); each piece is one unit of work, and its
// partial sums are added to the totals in input order.
constexpr std::size_t kPieceSize = std::size_t{4} << 20;

// The bytes of one input: a mapped file or a text in memory.
struct Source {
  Source() = default;
  Source(std::string n, const char* d, std::size_t z) : name(std::move(n)), data(d), size(z) {}
  std::string name;
  const char* data = nullptr;
  std::size_t size = 0;
  bool stat = false;    // a .stat file of the Model Evaluation Tools
  StatColumns columns;  // its columns
};

// Recognises a .stat file by its first line and reads its columns; false with `error` (naming
// the file and line) when the header line cannot be used.
bool find_format(Source& s, std::string& error) {
  const char* nl = static_cast<const char*>(std::memchr(s.data, '\n', s.size));
  const std::string_view first(s.data, nl ? static_cast<std::size_t>(nl - s.data) : s.size);
  if (!is_stat_header(first)) return true;
  s.stat = true;
  if (read_stat_header(first, s.columns, error)) return true;
  error = s.name + ":1: " + error;
  return false;
}

struct Piece {
  int source = 0;
  std::size_t begin = 0, end = 0;
};

// The sums of one point: N and the sums of count x value; a bit of `missing` is set for a value
// that some record lacked, which makes the point's sum of that value missing.
struct Sums {
  double n = 0;
  std::array<double, kMaxValues> v{};
  std::uint32_t missing = 0;
  std::size_t records = 0;
};

void add_record(Sums& s, double count, const double* values, int nv) {
  s.n += count;
  for (int k = 0; k < nv; ++k) {
    if (is_missing_value(values[k])) {
      s.missing |= std::uint32_t{1} << k;
    } else {
      s.v[k] += count * values[k];
    }
  }
  ++s.records;
}

void add_sums(Sums& into, const Sums& from, int nv) {
  into.n += from.n;
  for (int k = 0; k < nv; ++k) into.v[k] += from.v[k];
  into.missing |= from.missing;
  into.records += from.records;
}

// A record kept for trace.ucd and the equalisation: its point, its case (the text of the fields in
// which the plot's traces agree, in the piece's key pool), its count and values (in the value pool)
// and its place in the inputs.
struct Kept {
  long long point = 0;
  std::uint32_t key_at = 0, key_size = 0;
  std::uint64_t values_at = 0;
  double count = 0;
  std::uint64_t order = 0;
};

// One trace's share of one piece.
struct TracePart {
  int value_count = -1;
  std::size_t first_at = 0;  // offset of its first record
  std::vector<Sums> cells;
  std::unordered_map<long long, Sums> times;
  std::vector<Kept> kept;
  bool used = false;
  std::vector<double> edges;  // PCT records: their category edges
};

struct Pool {
  std::string keys;
  std::vector<double> values;
};

struct PieceResult {
  std::vector<TracePart> traces;
  Pool pool;
  std::size_t records = 0, selected = 0;
  std::map<std::string, std::size_t> other_types;  // .stat lines of types not read
  std::size_t na_values = 0;                       // used .stat values written NA
  bool failed = false;
  std::size_t error_at = 0;
  std::string error;
};

struct TraceRef {
  const PlotSelection* plot = nullptr;
  const TraceSelection* sel = nullptr;
  std::vector<int> groups;  // indices of its dependent groups in the matcher's table
  bool time_plot = false;
  int cells = 0;
  std::vector<int> case_fields;  // the record fields that make a case of its plot
};

std::size_t line_of(const Source& s, std::size_t offset) {
  return 1 + static_cast<std::size_t>(std::count(s.data, s.data + std::min(offset, s.size), '\n'));
}

bool group_selects(const FieldGroup& g, const RecordTokens& t) {
  const std::optional<std::string_view> field = record_field(t, g.field_id);
  if (!field) return false;
  const bool date = g.field_id == kDateField;
  for (const Selector& s : g.selectors) {
    if (selects(s, *field, date)) return true;
  }
  return false;
}

bool cell_selects(const TraceSelection& t, int cell, const RecordTokens& r) {
  for (const FieldGroup& g : t.independent) {
    const std::optional<std::string_view> field = record_field(r, g.field_id);
    if (!field || !selects(g.selectors[cell], *field, g.field_id == kDateField)) return false;
  }
  return true;
}

class Matcher {
 public:
  Matcher(const Control& control, bool keep) : keep_(keep) {
    std::map<std::string, int> seen;
    for (const PlotSelection& p : control.plots) {
      for (const TraceSelection& t : p.traces) {
        TraceRef ref;
        ref.plot = &p;
        ref.sel = &t;
        ref.time_plot = tracefile::is_time_plot(p.type);
        ref.cells = p.cells;
        // VRSN# tells the layout or the writer of a record, not its case: two systems that write
        // different versions still verify the same cases.
        for (int id = 2; id <= kRecordFields; ++id) {
          if (std::find(p.trace_fields.begin(), p.trace_fields.end(), id) == p.trace_fields.end()) {
            ref.case_fields.push_back(id);
          }
        }
        for (const FieldGroup& g : t.dependent) {
          std::string key = std::to_string(g.field_id);
          for (const Selector& s : g.selectors) {
            key += "|" + std::to_string(s.type) + " " + s.low.text + " " + s.high.text;
          }
          const auto [it, fresh] = seen.emplace(key, static_cast<int>(groups_.size()));
          if (fresh) groups_.push_back(&g);
          ref.groups.push_back(it->second);
        }
        traces_.push_back(std::move(ref));
      }
    }
  }

  std::size_t trace_count() const { return traces_.size(); }
  const TraceRef& trace(std::size_t g) const { return traces_[g]; }

  // Reads the records of `piece` into `r`; stops at the first bad record.
  void run(const Source& source, const Piece& piece, std::uint32_t index, PieceResult& r) const {
    r.traces.assign(traces_.size(), TracePart{});
    std::vector<std::uint8_t> memo(groups_.size());
    RecordTokens t;
    StatLine stat;
    std::string error;
    double count = 0;
    std::array<double, kMaxValues> values{};
    std::uint64_t serial = std::uint64_t{index} << 32;
    std::size_t at = piece.begin;
    while (at < piece.end) {
      const char* nl =
          static_cast<const char*>(std::memchr(source.data + at, '\n', piece.end - at));
      const std::size_t line_end = nl ? static_cast<std::size_t>(nl - source.data) : piece.end;
      const std::string_view line(source.data + at, line_end - at);
      const std::size_t line_at = at;
      at = line_end + 1;
      if (source.stat) {
        const StatKind kind = convert_stat_line(line, source.columns, stat, t, error);
        if (kind == StatKind::kSkipped) continue;
        if (kind == StatKind::kBad) return fail(r, line_at, error);
        if (kind == StatKind::kOtherType) {
          ++r.other_types[stat.line_type];
          continue;
        }
        r.na_values += static_cast<std::size_t>(stat.na_values);
      } else {
        const LineKind kind = split_record(line, t, error);
        if (kind == LineKind::kSkipped) continue;
        if (kind == LineKind::kBad) return fail(r, line_at, error);
      }
      ++r.records;
      ++serial;
      std::fill(memo.begin(), memo.end(), 0);
      bool numbers = false, taken = false;
      for (std::size_t g = 0; g < traces_.size(); ++g) {
        const TraceRef& ref = traces_[g];
        bool all = true;
        for (int k : ref.groups) {
          if (memo[k] == 0) memo[k] = group_selects(*groups_[k], t) ? 1 : 2;
          if (memo[k] == 2) {
            all = false;
            break;
          }
        }
        if (!all) continue;
        // The cells of the trace that the record lies in (a time series needs one of them).
        std::array<int, tracefile::kMaxCells> in{};
        int cells = 0;
        for (int c = 0; c < ref.cells; ++c) {
          if (!cell_selects(*ref.sel, c, t)) continue;
          in[cells++] = c;
          if (ref.time_plot) break;
        }
        if (cells == 0 && ref.cells > 0) continue;
        if (!numbers) {
          if (!read_numbers(t, count, values, error)) return fail(r, line_at, error);
          numbers = true;
        }
        TracePart& part = r.traces[g];
        if (part.value_count < 0) {
          part.value_count = t.value_count;
          part.first_at = line_at;
        } else if (part.value_count != t.value_count) {
          return fail(r, line_at, value_count_message(ref, t.value_count, part.value_count));
        }
        if (source.stat && t.fields[kStatsField - 1] == kPctRecordType) {
          if (part.edges.empty()) {
            part.edges = stat.edges;
          } else if (part.edges != stat.edges) {
            return fail(r, line_at, edges_message(ref));
          }
        }
        part.used = true;
        taken = true;
        if (ref.time_plot) {
          const long long stamp = *read_date_time(t.fields[kDateField - 1]);
          add_record(part.times[stamp], count, values.data(), t.value_count);
          if (keep_) keep(r, part, ref, t, stamp, count, values, serial);
          continue;
        }
        if (part.cells.empty()) part.cells.resize(static_cast<std::size_t>(ref.cells));
        for (int j = 0; j < cells; ++j) {
          add_record(part.cells[in[j]], count, values.data(), t.value_count);
          if (keep_) keep(r, part, ref, t, in[j], count, values, serial);
        }
      }
      if (taken) ++r.selected;
    }
  }

  static std::string edges_message(const TraceRef& ref) {
    return "the PCT line's category edges differ from those of the earlier records of trace " +
           std::to_string(ref.sel->file_trace) + " (plot " + std::to_string(ref.plot->number) +
           "); the categories of one selection need one set of edges";
  }

  static std::string value_count_message(const TraceRef& ref, int found, int expected) {
    return "the record has " + std::to_string(found) +
           " data values, the earlier records of trace " + std::to_string(ref.sel->file_trace) +
           " (plot " + std::to_string(ref.plot->number) + ") have " + std::to_string(expected);
  }

 private:
  static void fail(PieceResult& r, std::size_t at, const std::string& error) {
    r.failed = true;
    r.error_at = at;
    r.error = error;
  }

  static void keep(PieceResult& r, TracePart& part, const TraceRef& ref, const RecordTokens& t,
                   long long point, double count, const std::array<double, kMaxValues>& values,
                   std::uint64_t serial) {
    Kept k;
    k.point = point;
    k.key_at = static_cast<std::uint32_t>(r.pool.keys.size());
    for (int id : ref.case_fields) {
      r.pool.keys += t.fields[id - 1];
      r.pool.keys += '\x1f';
    }
    k.key_size = static_cast<std::uint32_t>(r.pool.keys.size() - k.key_at);
    k.values_at = r.pool.values.size();
    r.pool.values.insert(r.pool.values.end(), values.begin(), values.begin() + t.value_count);
    k.count = count;
    k.order = serial;
    part.kept.push_back(k);
  }

  bool keep_;
  std::vector<const FieldGroup*> groups_;
  std::vector<TraceRef> traces_;
};

// A kept record in the totals: its pool and itself.
struct KeptRef {
  const Pool* pool = nullptr;
  Kept kept;
  std::string_view key() const {
    return std::string_view(pool->keys).substr(kept.key_at, kept.key_size);
  }
  const double* values() const { return pool->values.data() + kept.values_at; }
};

struct TraceTotal {
  int value_count = -1;
  std::vector<double> edges;
  std::vector<Sums> cells;
  std::map<long long, Sums> times;
  std::vector<KeptRef> kept;
  std::size_t left_out = 0;  // records without a case in every trace
};

struct Totals {
  std::vector<TraceTotal> traces;
  std::vector<std::unique_ptr<Pool>> pools;
  std::size_t records = 0, selected = 0;
  std::map<std::string, std::size_t> other_types;
  std::size_t na_values = 0;
};

// Adds one piece's result to the totals; false with `error` (and the offset in `error_at`) when
// a trace's records disagree on their value count across pieces.
bool merge(const Matcher& m, PieceResult& r, Totals& totals, std::size_t& error_at,
           std::string& error) {
  totals.records += r.records;
  totals.selected += r.selected;
  totals.na_values += r.na_values;
  for (const auto& [type, n] : r.other_types) totals.other_types[type] += n;
  auto pool = std::make_unique<Pool>(std::move(r.pool));
  for (std::size_t g = 0; g < r.traces.size(); ++g) {
    TracePart& part = r.traces[g];
    if (!part.used) continue;
    TraceTotal& total = totals.traces[g];
    if (total.value_count < 0) {
      total.value_count = part.value_count;
    } else if (total.value_count != part.value_count) {
      error_at = part.first_at;
      error = Matcher::value_count_message(m.trace(g), part.value_count, total.value_count);
      return false;
    }
    if (total.edges.empty()) {
      total.edges = part.edges;
    } else if (!part.edges.empty() && part.edges != total.edges) {
      error_at = part.first_at;
      error = Matcher::edges_message(m.trace(g));
      return false;
    }
    if (!part.cells.empty()) {
      if (total.cells.empty()) total.cells.resize(part.cells.size());
      for (std::size_t c = 0; c < part.cells.size(); ++c) {
        add_sums(total.cells[c], part.cells[c], part.value_count);
      }
    }
    // Points of a time series in time order, so that the additions follow the inputs whatever the
    // hash order.
    std::vector<std::pair<long long, const Sums*>> times;
    times.reserve(part.times.size());
    for (const auto& [stamp, sums] : part.times) times.emplace_back(stamp, &sums);
    std::sort(times.begin(), times.end());
    for (const auto& [stamp, sums] : times) add_sums(total.times[stamp], *sums, part.value_count);
    for (const Kept& k : part.kept) total.kept.push_back(KeptRef{pool.get(), k});
  }
  totals.pools.push_back(std::move(pool));
  return true;
}

// Reads every piece with `jobs` threads and adds the results in input order.
bool scan(const Matcher& m, const std::vector<Source>& sources, int jobs, Totals& totals,
          std::string& error) {
  std::vector<Piece> pieces;
  for (std::size_t s = 0; s < sources.size(); ++s) {
    const Source& src = sources[s];
    std::size_t begin = 0;
    while (begin < src.size) {
      std::size_t end = std::min(src.size, begin + kPieceSize);
      if (end < src.size) {
        const void* nl = std::memchr(src.data + end, '\n', src.size - end);
        end = nl ? static_cast<std::size_t>(static_cast<const char*>(nl) - src.data) + 1 : src.size;
      }
      pieces.push_back(Piece{static_cast<int>(s), begin, end});
      begin = end;
    }
  }
  totals.traces.assign(m.trace_count(), TraceTotal{});
  std::vector<std::unique_ptr<PieceResult>> done(pieces.size());
  std::mutex lock;
  std::size_t next_merge = 0;
  std::atomic<std::size_t> next_piece{0};
  std::atomic<std::size_t> stop_after{pieces.size()};  // no piece beyond a failed one is needed
  bool failed = false;
  std::size_t failed_piece = 0, failed_at = 0;
  std::string failure;

  auto work = [&] {
    for (;;) {
      const std::size_t i = next_piece.fetch_add(1);
      if (i >= pieces.size() || i > stop_after.load()) return;
      auto r = std::make_unique<PieceResult>();
      m.run(sources[pieces[i].source], pieces[i], static_cast<std::uint32_t>(i), *r);
      if (r->failed) {
        std::size_t prev = stop_after.load();
        while (i < prev && !stop_after.compare_exchange_weak(prev, i)) {
        }
      }
      std::lock_guard<std::mutex> guard(lock);
      done[i] = std::move(r);
      while (!failed && next_merge < pieces.size() && done[next_merge]) {
        PieceResult& ready = *done[next_merge];
        std::size_t at = 0;
        std::string why;
        if (ready.failed) {
          at = ready.error_at;
          why = ready.error;
        }
        if (ready.failed || !merge(m, ready, totals, at, why)) {
          failed = true;
          failed_piece = next_merge;
          failed_at = at;
          failure = why;
          stop_after.store(0);
        }
        done[next_merge].reset();
        ++next_merge;
      }
    }
  };
  const int threads = std::max(1, std::min<int>(jobs, static_cast<int>(pieces.size())));
  if (threads == 1) {
    work();
  } else {
    std::vector<std::thread> pool;
    for (int k = 0; k < threads; ++k) pool.emplace_back(work);
    for (std::thread& t : pool) t.join();
  }
  if (failed) {
    const Source& src = sources[pieces[failed_piece].source];
    error = src.name + ":" + std::to_string(line_of(src, failed_at)) + ": " + failure;
    return false;
  }
  return true;
}

// The points of one trace as they go into the trace data file.
struct TracePoints {
  std::vector<long long> keys;    // verifying times, or cell numbers from 0
  std::vector<const Sums*> sums;  // null for a cell without records
};

TracePoints points_of(const TraceRef& ref, const TraceTotal& total) {
  TracePoints p;
  if (ref.time_plot) {
    for (const auto& [stamp, sums] : total.times) {
      p.keys.push_back(stamp);
      p.sums.push_back(&sums);
    }
  } else {
    for (int c = 0; c < ref.cells; ++c) {
      p.keys.push_back(c);
      p.sums.push_back(total.cells.empty() || total.cells[c].records == 0 ? nullptr
                                                                          : &total.cells[c]);
    }
  }
  return p;
}

// The cases at one point of one trace: its kept records sorted by case, the i-th record of a case
// numbered i so that a case that a trace has twice pairs twice.
struct CaseEntry {
  std::string_view key;
  int occurrence = 0;
  const KeptRef* record = nullptr;
  bool operator<(const CaseEntry& o) const {
    return key != o.key ? key < o.key : occurrence < o.occurrence;
  }
};

using CaseList = std::vector<CaseEntry>;

// Equalises the kept records of one plot: at each point only the cases that every trace has stay,
// in case order.  Fills `common[g][point]` for the plot's traces `g0 .. g0 + n - 1`.
void equalise_plot(Totals& totals, std::size_t g0, std::size_t n,
                   std::vector<std::map<long long, CaseList>>& common) {
  std::vector<std::map<long long, CaseList>> all(n);
  for (std::size_t i = 0; i < n; ++i) {
    TraceTotal& total = totals.traces[g0 + i];
    std::stable_sort(total.kept.begin(), total.kept.end(), [](const KeptRef& a, const KeptRef& b) {
      return a.kept.order < b.kept.order;
    });
    for (const KeptRef& k : total.kept) all[i][k.kept.point].push_back(CaseEntry{k.key(), 0, &k});
    for (auto& [point, list] : all[i]) {
      std::stable_sort(list.begin(), list.end(),
                       [](const CaseEntry& a, const CaseEntry& b) { return a.key < b.key; });
      for (std::size_t j = 1; j < list.size(); ++j) {
        if (list[j].key == list[j - 1].key) list[j].occurrence = list[j - 1].occurrence + 1;
      }
    }
  }
  common.assign(n, {});
  for (const auto& [point, first] : all[0]) {
    CaseList shared = first;
    for (std::size_t i = 1; i < n && !shared.empty(); ++i) {
      const auto it = all[i].find(point);
      if (it == all[i].end()) {
        shared.clear();
        break;
      }
      CaseList both;
      std::set_intersection(shared.begin(), shared.end(), it->second.begin(), it->second.end(),
                            std::back_inserter(both));
      shared = std::move(both);
    }
    if (shared.empty()) continue;
    for (std::size_t i = 0; i < n; ++i) {
      CaseList mine;
      std::set_intersection(all[i][point].begin(), all[i][point].end(), shared.begin(),
                            shared.end(), std::back_inserter(mine));
      common[i][point] = std::move(mine);
    }
  }
  for (std::size_t i = 0; i < n; ++i) {
    std::size_t kept = 0;
    for (const auto& [point, list] : common[i]) kept += list.size();
    totals.traces[g0 + i].left_out = totals.traces[g0 + i].kept.size() - kept;
  }
}

// Sums of the equalised records, in case order.
void resum(const TraceRef& ref, TraceTotal& total, const std::map<long long, CaseList>& cases) {
  total.times.clear();
  if (!ref.time_plot) total.cells.assign(static_cast<std::size_t>(ref.cells), Sums{});
  for (const auto& [point, list] : cases) {
    Sums& s = ref.time_plot ? total.times[point] : total.cells[point];
    for (const CaseEntry& e : list) {
      add_record(s, e.record->kept.count, e.record->values(), total.value_count);
    }
  }
}

std::string plain_label(std::string_view text) { return util::pad(text, tracefile::kLabelWidth); }

// The data group of one trace.
void write_trace_data(std::ostream& os, const TraceRef& ref, const TraceTotal& total,
                      const TracePoints& points) {
  const TraceSelection& t = *ref.sel;
  const bool real = !ref.time_plot && t.real_labels;
  const int depth = 1 + total.value_count;
  os << t.file_trace << ' ' << depth << ' ' << points.keys.size() << ' ' << (real ? 'r' : 'c')
     << " F\n";
  const char* layout = real ? "(E24.7,29(D20.12))" : "(A24,29(D20.12))";
  for (std::size_t i = 0; i < points.keys.size(); ++i) {
    std::vector<util::FmtItem> items;
    items.reserve(static_cast<std::size_t>(depth) + 1);
    const long long key = points.keys[i];
    if (ref.time_plot) {
      items.emplace_back(plain_label(date_time_text(key)));
    } else if (real) {
      items.emplace_back(t.cell_numbers[key]);
    } else {
      items.emplace_back(plain_label(t.cell_texts[key]));
    }
    const Sums* s = points.sums[i];
    items.emplace_back(s ? s->n : kMissingValue);
    for (int k = 0; k < total.value_count; ++k) {
      const bool missing = s == nullptr || (s->missing >> k & 1u) != 0;
      items.emplace_back(missing ? kMissingValue : s->v[k]);
    }
    os << util::format(layout, items) << '\n';
  }
}

std::string trace_name(const TraceRef& ref) {
  return "trace " + std::to_string(ref.sel->file_trace) + " of plot " +
         std::to_string(ref.plot->number);
}

// The selection over mapped or in-memory sources: the trace data file to `trace_out`, trace.ucd to
// `ucd_out` when it is not null, the equalisation lines to `out`.
bool select_sources(const Control& control, const std::vector<Source>& sources, int jobs,
                    bool equalise, std::ostream& trace_out, std::ostream* ucd_out,
                    std::ostream* out, SelectCounts* counts, std::string& error,
                    std::string* pct_file = nullptr) {
  const bool keep = equalise || ucd_out != nullptr;
  Matcher m(control, keep);
  Totals totals;
  if (!scan(m, sources, jobs, totals, error)) return false;
  if (counts) {
    counts->records = totals.records;
    counts->selected = totals.selected;
  }
  if (out && std::any_of(sources.begin(), sources.end(), [](const Source& s) { return s.stat; })) {
    *out << "kor_select: .stat lines not used:";
    if (totals.other_types.empty()) *out << " none";
    bool first = true;
    for (const auto& [type, n] : totals.other_types) {
      *out << (first ? " " : ", ") << n << " " << type;
      first = false;
    }
    *out << "; values NA in used columns: " << totals.na_values << "\n";
  }
  // The category probabilities of the PCT traces, from their edges.
  const std::vector<double>* edges = nullptr;
  for (std::size_t g = 0; g < totals.traces.size(); ++g) {
    const std::vector<double>& e = totals.traces[g].edges;
    if (e.empty()) continue;
    if (edges != nullptr && *edges != e) {
      error = control.path + ":" + std::to_string(m.trace(g).sel->line) + ": " +
              Matcher::edges_message(m.trace(g));
      return false;
    }
    edges = &e;
  }
  if (pct_file) *pct_file = edges ? pct_probability_file(*edges) : std::string();
  // Equalisation and the cases of trace.ucd, plot by plot.
  std::vector<std::vector<std::map<long long, CaseList>>> cases(control.plots.size());
  std::size_t g = 0;
  for (std::size_t p = 0; p < control.plots.size(); ++p) {
    const std::size_t n = control.plots[p].traces.size();
    for (std::size_t i = 0; i < n; ++i) {
      if (totals.traces[g + i].value_count < 0) {
        error = control.path + ":" + std::to_string(control.plots[p].traces[i].line) +
                ": no record selected for " + trace_name(m.trace(g + i));
        return false;
      }
    }
    if (keep) {
      equalise_plot(totals, g, n, cases[p]);
      if (out) {
        *out << "kor_select: plot " << control.plots[p].number << ": records without a case in "
             << "every trace, left out of "
             << (equalise && ucd_out ? "the sums and trace.ucd"
                 : equalise          ? "the sums"
                                     : "trace.ucd")
             << ":";
        for (std::size_t i = 0; i < n; ++i) {
          *out << (i ? "," : "") << " trace " << control.plots[p].traces[i].file_trace << ": "
               << totals.traces[g + i].left_out;
        }
        *out << '\n';
      }
      if (equalise) {
        for (std::size_t i = 0; i < n; ++i) {
          resum(m.trace(g + i), totals.traces[g + i], cases[p][i]);
          const bool none = std::all_of(cases[p][i].begin(), cases[p][i].end(),
                                        [](const auto& c) { return c.second.empty(); });
          if (none) {
            error = control.path + ":" + std::to_string(control.plots[p].traces[i].line) +
                    ": no case of " + trace_name(m.trace(g + i)) + " is in every trace of plot " +
                    std::to_string(control.plots[p].number);
            return false;
          }
        }
      }
    }
    g += n;
  }
  // The trace data file.
  trace_out << control.header << "EOCF\n";
  int ucd_depth = 1;
  std::vector<std::vector<TracePoints>> points(control.plots.size());
  g = 0;
  for (std::size_t p = 0; p < control.plots.size(); ++p) {
    for (std::size_t i = 0; i < control.plots[p].traces.size(); ++i, ++g) {
      const TraceRef& ref = m.trace(g);
      TracePoints tp = points_of(ref, totals.traces[g]);
      if (tp.keys.size() > static_cast<std::size_t>(tracefile::kMaxPoints)) {
        error = control.path + ":" + std::to_string(ref.sel->line) + ": " + trace_name(ref) +
                " has " + std::to_string(tp.keys.size()) +
                " points; a trace data file holds at most " + std::to_string(tracefile::kMaxPoints);
        return false;
      }
      write_trace_data(trace_out, ref, totals.traces[g], tp);
      ucd_depth = std::max(ucd_depth, 1 + totals.traces[g].value_count);
      points[p].push_back(std::move(tp));
    }
  }
  if (ucd_out == nullptr) return true;
  // trace.ucd: at each point, case by case, one record per trace.
  *ucd_out << resample::ucd_frame(resample::ucd_depth_body(ucd_depth));
  g = 0;
  for (std::size_t p = 0; p < control.plots.size(); ++p) {
    const PlotSelection& plot = control.plots[p];
    const std::size_t n = plot.traces.size();
    // Point numbers: cells in order, or the verifying times of all the plot's traces in time order.
    std::vector<long long> axis;
    for (const TracePoints& tp : points[p]) axis.insert(axis.end(), tp.keys.begin(), tp.keys.end());
    std::sort(axis.begin(), axis.end());
    axis.erase(std::unique(axis.begin(), axis.end()), axis.end());
    for (const auto& [point, first] : cases[p][0]) {
      const int number =
          static_cast<int>(std::lower_bound(axis.begin(), axis.end(), point) - axis.begin()) + 1;
      for (std::size_t c = 0; c < first.size(); ++c) {
        for (std::size_t i = 0; i < n; ++i) {
          const CaseEntry& e = cases[p][i].at(point)[c];
          resample::UcdRecord rec;
          rec.plot = plot.number;
          rec.trace = plot.traces[i].file_trace;
          rec.point = number;
          rec.values.assign(static_cast<std::size_t>(ucd_depth), kMissingValue);
          rec.values[0] = e.record->kept.count;
          const double* v = e.record->values();
          for (int k = 0; k < totals.traces[g + i].value_count; ++k) {
            rec.values[k + 1] =
                is_missing_value(v[k]) ? kMissingValue : e.record->kept.count * v[k];
          }
          *ucd_out << resample::ucd_frame(resample::ucd_record_body(rec));
        }
      }
    }
    g += n;
  }
  return true;
}

// A mapped input file.
class MappedFile {
 public:
  MappedFile() = default;
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;
  ~MappedFile() {
    if (data_ != nullptr) ::munmap(data_, size_);
  }
  bool open(const std::string& path, std::string& error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
      error = path + ": cannot open: " + std::strerror(errno);
      return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
      error = path + ": cannot read: " + std::strerror(errno);
      ::close(fd);
      return false;
    }
    size_ = static_cast<std::size_t>(st.st_size);
    if (size_ > 0) {
      void* p = ::mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, fd, 0);
      if (p == MAP_FAILED) {
        error = path + ": cannot read: " + std::strerror(errno);
        ::close(fd);
        size_ = 0;
        return false;
      }
      data_ = p;
      (void)::madvise(p, size_, MADV_SEQUENTIAL);
    }
    ::close(fd);
    return true;
  }
  const char* data() const { return static_cast<const char*>(data_); }
  std::size_t size() const { return size_; }

 private:
  void* data_ = nullptr;
  std::size_t size_ = 0;
};

// The record files named by the inputs: files as they are, and every regular file below a folder,
// in name order.
bool input_files(const std::vector<std::string>& inputs, std::vector<std::string>& files,
                 std::string& error) {
  for (const std::string& input : inputs) {
    std::error_code ec;
    const fs::file_status st = fs::status(input, ec);
    if (ec || !fs::exists(st)) {
      error = input + ": no such file or folder";
      return false;
    }
    if (fs::is_directory(st)) {
      std::vector<std::string> found;
      for (fs::recursive_directory_iterator it(input, ec), end; !ec && it != end;
           it.increment(ec)) {
        if (it->is_regular_file(ec)) found.push_back(it->path().string());
      }
      if (ec) {
        error = input + ": cannot search the folder: " + ec.message();
        return false;
      }
      std::sort(found.begin(), found.end());
      files.insert(files.end(), found.begin(), found.end());
    } else {
      files.push_back(input);
    }
  }
  return true;
}

// A file written under a temporary name beside its final one, renamed when complete.
class OutputFile {
 public:
  explicit OutputFile(std::string path) : path_(std::move(path)) {}
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  ~OutputFile() {
    if (!temp_.empty()) std::remove(temp_.c_str());
  }
  bool open(std::string& error) {
    temp_ = path_ + ".XXXXXX";
    const int fd = ::mkstemp(temp_.data());
    if (fd < 0) {
      error = path_ + ": cannot write: " + std::strerror(errno);
      temp_.clear();
      return false;
    }
    ::close(fd);
    stream_.open(temp_, std::ios::binary | std::ios::trunc);
    if (!stream_) {
      error = path_ + ": cannot write: " + std::strerror(errno);
      return false;
    }
    return true;
  }
  std::ostream& stream() { return stream_; }
  // Flushes the file and checks that every byte reached it; false with `error` when not.
  bool finish(std::string& error) {
    stream_.flush();
    const bool written = static_cast<bool>(stream_);
    stream_.close();
    if (!written || stream_.fail()) {
      error = path_ + ": cannot write: " + std::strerror(errno ? errno : EIO);
      return false;
    }
    // A new file gets the usual permissions, not the scratch file's 0600.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    (void)::chmod(temp_.c_str(), 0666 & ~mask);
    return true;
  }
  // Gives the finished file its name.
  bool commit(std::string& error) {
    if (std::rename(temp_.c_str(), path_.c_str()) != 0) {
      error = path_ + ": cannot write: " + std::strerror(errno);
      return false;
    }
    temp_.clear();
    return true;
  }

 private:
  std::string path_;
  std::string temp_;
  std::ofstream stream_;
};

}  // namespace

bool select_text(const Control& control, const std::string& name, const std::string& records,
                 bool equalise, std::string& trace_file, std::string* ucd, std::string& error,
                 std::ostream* out) {
  std::vector<Source> sources{Source{name, records.data(), records.size()}};
  if (!find_format(sources[0], error)) return false;
  std::ostringstream trace_stream, ucd_stream;
  if (!select_sources(control, sources, 1, equalise, trace_stream, ucd ? &ucd_stream : nullptr, out,
                      nullptr, error)) {
    return false;
  }
  trace_file = trace_stream.str();
  if (ucd) *ucd = ucd_stream.str();
  return true;
}

bool run_selection(const SelectOptions& options, std::ostream& out, std::ostream& err,
                   SelectCounts* counts) {
  std::string error;
  Control control;
  std::vector<std::string> files;
  if (!read_control(options.control, control, error) ||
      !input_files(options.inputs, files, error)) {
    err << "kor_select: " << error << '\n';
    return false;
  }
  std::vector<std::unique_ptr<MappedFile>> mapped;
  std::vector<Source> sources;
  SelectCounts local;
  for (const std::string& f : files) {
    auto file = std::make_unique<MappedFile>();
    if (!file->open(f, error)) {
      err << "kor_select: " << error << '\n';
      return false;
    }
    sources.push_back(Source{f, file->data(), file->size()});
    if (!find_format(sources.back(), error)) {
      err << "kor_select: " << error << '\n';
      return false;
    }
    local.bytes += file->size();
    mapped.push_back(std::move(file));
  }
  local.files = files.size();
  const int jobs = options.jobs > 0
                       ? options.jobs
                       : std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
  OutputFile trace_file(options.output);
  std::unique_ptr<OutputFile> ucd_file;
  if (!options.ucd.empty()) ucd_file = std::make_unique<OutputFile>(options.ucd);
  // The probability list of PCT traces goes beside the trace data file, where kor looks for it.
  std::string pct_text;
  OutputFile pct_file((fs::path(options.output).parent_path() / kPctProbabilityFile).string());
  const bool written =
      trace_file.open(error) && (!ucd_file || ucd_file->open(error)) &&
      select_sources(control, sources, jobs, options.equalise, trace_file.stream(),
                     ucd_file ? &ucd_file->stream() : nullptr, &out, &local, error, &pct_text) &&
      (pct_text.empty() ||
       (pct_file.open(error) && (pct_file.stream() << pct_text, true) && pct_file.finish(error))) &&
      trace_file.finish(error) && (!ucd_file || ucd_file->finish(error)) &&
      (!ucd_file || ucd_file->commit(error)) && (pct_text.empty() || pct_file.commit(error)) &&
      trace_file.commit(error);
  if (!written) {
    err << "kor_select: " << error << '\n';
    return false;
  }
  if (!pct_text.empty()) {
    out << "kor_select: the category probabilities of the PCT traces written to "
        << (fs::path(options.output).parent_path() / kPctProbabilityFile).string() << "\n";
  }
  if (counts) *counts = local;
  return true;
}

}  // namespace kor::select
