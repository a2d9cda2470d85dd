#include "util/environment.h"

#include <sys/stat.h>

#include <cstdlib>

#include "util/text.h"

namespace kor::util {
namespace {

bool is_name_start(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }

bool is_name_char(char c) { return is_name_start(c) || (c >= '0' && c <= '9'); }

bool is_variable_name(std::string_view s) {
  if (s.empty() || !is_name_start(s.front())) return false;
  for (char c : s) {
    if (!is_name_char(c)) return false;
  }
  return true;
}

bool lookup(const std::string& name, std::string& value) {
  const char* v = std::getenv(name.c_str());
  if (v == nullptr || *v == '\0') return false;
  value = v;
  return true;
}

}  // namespace

int ENV_GET(std::string_view name, std::string& value) {
  value.clear();
  const std::string upper = ST_UPPR(rtrim(name));
  if (upper.empty()) return -1;
  if (lookup(upper, value)) return 0;
  if (upper.front() == '$' && upper.size() > 1 && lookup(upper.substr(1), value)) return 0;
  value.clear();
  return -1;
}

int ENV_EXPAND(std::string_view path, std::string& out) {
  const std::string_view p = rtrim(path);
  out.assign(p);
  std::string_view name;
  std::string_view rest;
  bool lone = false;
  if (!p.empty() && p.front() == '$') {
    const std::size_t slash = p.find('/');
    name = p.substr(1, slash == std::string_view::npos ? std::string_view::npos : slash - 1);
    if (slash == std::string_view::npos) {
      lone = true;
    } else {
      rest = p.substr(slash + 1);
    }
  } else {
    const std::size_t colon = p.find(':');
    const std::size_t slash = p.find('/');
    if (colon == std::string_view::npos || (slash != std::string_view::npos && slash < colon)) {
      return 0;
    }
    name = p.substr(0, colon);
    rest = p.substr(colon + 1);
  }
  if (!is_variable_name(name)) return 0;
  std::string value;
  if (ENV_GET("$" + std::string(name), value) != 0) return -1;
  out = lone ? value : value + "/" + std::string(rest);
  return 0;
}

bool FIL_EXISTS(std::string_view path, std::string& expanded) {
  if (ENV_EXPAND(path, expanded) != 0) return false;
  if (expanded.empty()) return false;
  struct stat st {};
  if (::stat(expanded.c_str(), &st) != 0) return false;
  return !S_ISDIR(st.st_mode);
}

}  // namespace kor::util
