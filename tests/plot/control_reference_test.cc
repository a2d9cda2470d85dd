// docs/control-file.md against the reader's keyword table: one "### " section per keyword, in the
// order the reader tries them, each with an example, and no section for a keyword the reader does
// not know.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "plot/control.h"

namespace kor::plot {
namespace {

struct Section {
  std::string heading;  // the keyword as the page names it, e.g. TRACEn
  std::string text;
};

std::vector<Section> keyword_sections(const std::filesystem::path& page) {
  std::ifstream in(page);
  EXPECT_TRUE(in) << page;
  std::vector<Section> sections;
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("### ", 0) == 0) {
      sections.push_back({line.substr(4), ""});
    } else if (line.rfind("## ", 0) == 0) {
      sections.push_back({"", ""});  // a section of another kind ends the keyword's
    } else if (!sections.empty()) {
      sections.back().text += line + "\n";
    }
  }
  std::erase_if(sections, [](const Section& s) { return s.heading.empty(); });
  return sections;
}

TEST(ControlFileReference, OneSectionPerKeywordInTableOrder) {
  const auto sections = keyword_sections(std::filesystem::path(KOR_DOCS) / "control-file.md");
  std::vector<std::string> documented;
  for (const Section& s : sections) {
    // Only the first three characters of a keyword count, so they name the table entry.
    documented.push_back(s.heading.substr(0, 3));
    EXPECT_NE(s.text.find("Example:"), std::string::npos) << s.heading << " has no example";
  }
  std::vector<std::string> table;
  for (std::string_view k : control_keywords()) table.emplace_back(k);
  EXPECT_EQ(documented, table);
}

}  // namespace
}  // namespace kor::plot
