#include "util/unit.h"

namespace kor::util {

bool TextUnit::open(const std::string& path) {
  close();
  in_.open(path, std::ios::in | std::ios::binary);
  if (!in_.is_open()) return false;
  path_ = path;
  record_ = 0;
  at_end_ = false;
  return true;
}

void TextUnit::close() {
  if (in_.is_open()) in_.close();
  in_.clear();
}

bool TextUnit::read(std::string& line) {
  if (!in_.is_open()) return false;
  if (!std::getline(in_, line)) {
    at_end_ = true;
    return false;
  }
  ++record_;
  at_end_ = false;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

bool TextUnit::read(std::string& line, std::size_t width) {
  if (!read(line)) return false;
  line.resize(width, ' ');
  return true;
}

void TextUnit::rewind() {
  if (!in_.is_open()) return;
  in_.clear();
  in_.seekg(0);
  record_ = 0;
  at_end_ = false;
}

}  // namespace kor::util
