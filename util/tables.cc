#include "util/tables.h"

#include <algorithm>

#include "util/environment.h"
#include "util/text.h"

namespace kor::util {
namespace {

// Width of the lines examined while skipping the comment lines at the top of a table file.
constexpr std::size_t kTableLineWidth = 80;

bool is_comment(std::string_view line) {
  const std::string text = ST_LJST(line.substr(0, std::min(line.size(), kTableLineWidth)));
  return text.empty() || text.front() == '!';
}

}  // namespace

void UnitPool::reset() {
  for (Slot& s : slots_) {
    if (s.in.is_open()) s.in.close();
    s.in.clear();
    s.in_use = false;
  }
}

int UnitPool::in_use() const {
  int n = 0;
  for (const Slot& s : slots_) n += s.in_use ? 1 : 0;
  return n;
}

bool UnitPool::is_open(int unit) const {
  if (unit < kFirstTableUnit || unit > kLastTableUnit) return false;
  return slots_[static_cast<std::size_t>(unit - kFirstTableUnit)].in_use;
}

UnitPool::Slot* UnitPool::slot(int unit) {
  if (unit < kFirstTableUnit || unit > kLastTableUnit) return nullptr;
  return &slots_[static_cast<std::size_t>(unit - kFirstTableUnit)];
}

int TBL_FIND(std::string_view name, std::string_view type, std::string& path, bool& found) {
  path.clear();
  found = false;
  const std::string owned = ST_LJST(name);
  if (owned.empty()) return -1;
  std::string_view stripped = owned;
  for (std::string_view prefix : {std::string_view("$MOBTBL/"), std::string_view("MOBTBL:")}) {
    if (stripped.substr(0, prefix.size()) == prefix) {
      stripped.remove_prefix(prefix.size());
      break;
    }
  }
  const std::size_t slash = stripped.rfind('/');
  const std::string_view file =
      slash == std::string_view::npos ? stripped : stripped.substr(slash + 1);
  std::string expanded;
  if (FIL_EXISTS(stripped, expanded)) {
    path = expanded;
    found = true;
    return 0;
  }
  if (slash != std::string_view::npos) {
    // The name as the caller wrote it, table-root prefix included.
    if (FIL_EXISTS(owned, expanded)) {
      path = expanded;
      found = true;
    }
    return 0;
  }
  const std::string t = ST_LJST(type);
  if (t.empty() || file.empty()) return 0;
  for (const char* root : {"$QXDESK/", "$QXSITE/", "$MOBTBL/"}) {
    const std::string candidate = root + t + "/" + std::string(file);
    if (FIL_EXISTS(candidate, expanded)) {
      path = expanded;
      found = true;
      return 0;
    }
  }
  return 0;
}

int TBL_OPEN(UnitPool& pool, std::string_view name, std::string_view type, int& unit) {
  std::string path;
  bool found = false;
  if (TBL_FIND(name, type, path, found) != 0 || !found) return -1;
  UnitPool::Slot* free_slot = nullptr;
  int free_unit = 0;
  for (int u = kFirstTableUnit; u <= kLastTableUnit; ++u) {
    UnitPool::Slot* s = pool.slot(u);
    if (!s->in_use) {
      free_slot = s;
      free_unit = u;
      break;
    }
  }
  if (free_slot == nullptr) return -21;
  std::ifstream& in = free_slot->in;
  in.clear();
  in.open(path, std::ios::in | std::ios::binary);
  if (!in.is_open()) return -1;
  std::string line;
  while (true) {
    const std::streampos start = in.tellg();
    if (!std::getline(in, line)) {
      const int rc = in.bad() ? -4 : -10;
      in.close();
      in.clear();
      return rc;
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!is_comment(line)) {
      in.clear();
      in.seekg(start);
      break;
    }
  }
  free_slot->in_use = true;
  unit = free_unit;
  return 0;
}

int TBL_CLOSE(UnitPool& pool, int unit) {
  UnitPool::Slot* s = pool.slot(unit);
  if (s == nullptr || !s->in_use) return -2;
  s->in.close();
  const bool failed = s->in.fail();
  s->in.clear();
  s->in_use = false;
  return failed ? -2 : 0;
}

bool TBL_READ(UnitPool& pool, int unit, std::string& line) {
  UnitPool::Slot* s = pool.slot(unit);
  if (s == nullptr || !s->in_use) return false;
  if (!std::getline(s->in, line)) return false;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

}  // namespace kor::util
