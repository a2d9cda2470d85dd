// Table files of the graphics client: the search along the table directories, a pool of ten units
// (11 to 20) on which table files are opened, and reading from those units.
//
// A table file is a text file whose leading lines may be comments (empty or starting with "!").
// TBL_OPEN leaves the unit positioned at the first line that is not a comment.
#ifndef KOR_UTIL_TABLES_H_
#define KOR_UTIL_TABLES_H_

#include <array>
#include <fstream>
#include <string>
#include <string_view>

namespace kor::util {

inline constexpr int kFirstTableUnit = 11;
inline constexpr int kLastTableUnit = 20;
inline constexpr int kTableUnits = kLastTableUnit - kFirstTableUnit + 1;

// The units handed out for table files and the files open on them.
class UnitPool {
 public:
  UnitPool() = default;
  UnitPool(const UnitPool&) = delete;
  UnitPool& operator=(const UnitPool&) = delete;

  // Closes every open unit and marks all units free.
  void reset();
  // Number of units in use.
  int in_use() const;
  // True when `unit` is one of the pool's units and in use.
  bool is_open(int unit) const;

 private:
  friend int TBL_OPEN(UnitPool&, std::string_view, std::string_view, int&);
  friend int TBL_CLOSE(UnitPool&, int);
  friend bool TBL_READ(UnitPool&, int, std::string&);

  struct Slot {
    bool in_use = false;
    std::ifstream in;
  };
  Slot* slot(int unit);
  std::array<Slot, kTableUnits> slots_;
};

// Searches for the table file `name` of table type `type` (for example "config"):
//  1. a name that starts with "$MOBTBL/" or "MOBTBL:" loses that prefix;
//  2. the name, expanded (ENV_EXPAND), is taken when that file exists;
//  3. otherwise a name with a directory part is tried once more as the caller wrote it (with the
//     prefix of step 1, if any), and the search ends there;
//  4. otherwise, for a non-blank type, "$QXDESK/type/file", "$QXSITE/type/file" and
//     "$MOBTBL/type/file" are tried in this order.
// `path` receives the file found (empty when none) and `found` whether one was found.
// Returns 0, or -1 for a blank name.
[[nodiscard]] int TBL_FIND(std::string_view name, std::string_view type, std::string& path,
                           bool& found);

// Finds the table file (TBL_FIND), takes a free unit, opens the file and positions it at its first
// line that is not a comment.  Returns 0 with `unit` set, or -1 (not found or open failed), -4
// (read error), -10 (no data line) or -21 (no free unit); on failure no unit stays in use and
// `unit` is unchanged.
[[nodiscard]] int TBL_OPEN(UnitPool& pool, std::string_view name, std::string_view type, int& unit);

// Closes `unit` and gives it back to the pool.  Returns 0, or -2 when the unit was not open.
[[nodiscard]] int TBL_CLOSE(UnitPool& pool, int unit);

// Reads the next line of an open table unit (a trailing carriage return is dropped).  Returns false
// at the end of the file, on a read error or for a unit that is not open.
[[nodiscard]] bool TBL_READ(UnitPool& pool, int unit, std::string& line);

}  // namespace kor::util

#endif  // KOR_UTIL_TABLES_H_
