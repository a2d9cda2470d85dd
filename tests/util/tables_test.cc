#include "util/tables.h"

#include <gtest/gtest.h>

#include "scratch.h"
#include "util/support.h"

namespace kor::util {
namespace {

using kor::testing::EnvGuard;
using kor::testing::ScratchDir;

// Clears the three table roots so that only what a test sets is searched.
void clear_roots(EnvGuard& env) {
  env.unset("QXDESK");
  env.unset("QXSITE");
  env.unset("MOBTBL");
}

TEST(TblFind, OnlySiteSetFindsTheFileUnderItsTypeDirectory) {
  ScratchDir site;
  const std::string file = site.write("config/fontsz.tbl", "SMALL\n");
  EnvGuard env;
  clear_roots(env);
  env.set("QXSITE", site.path());
  std::string path;
  bool found = false;
  ASSERT_EQ(TBL_FIND("fontsz.tbl", "config", path, found), 0);
  EXPECT_TRUE(found);
  EXPECT_EQ(path, site.path() + "/config/fontsz.tbl");
  EXPECT_EQ(path, file);
}

TEST(TblFind, SearchesDeskThenSiteThenTableRoot) {
  ScratchDir desk, site, root;
  EnvGuard env;
  clear_roots(env);
  env.set("QXDESK", desk.path());
  env.set("QXSITE", site.path());
  env.set("MOBTBL", root.path());
  root.write("config/t.tbl", "r\n");
  struct Step {
    const char* write_in;  // which root gets the file before the search ("" none)
    const ScratchDir* expect;
  };
  // Files are added from the back of the search order to the front; each time the newest wins.
  const Step kSteps[] = {{"", &root}, {"site", &site}, {"desk", &desk}};
  for (const Step& s : kSteps) {
    if (std::string(s.write_in) == "site") site.write("config/t.tbl", "s\n");
    if (std::string(s.write_in) == "desk") desk.write("config/t.tbl", "d\n");
    std::string path;
    bool found = false;
    ASSERT_EQ(TBL_FIND("t.tbl", "config", path, found), 0) << s.write_in;
    EXPECT_TRUE(found) << s.write_in;
    EXPECT_EQ(path, s.expect->path() + "/config/t.tbl") << s.write_in;
  }
}

TEST(TblFind, NameForms) {
  ScratchDir root, other;
  EnvGuard env;
  clear_roots(env);
  env.set("MOBTBL", root.path());
  env.set("KORTEST_OTHER", other.path());
  root.write("config/a.tbl", "a\n");
  other.write("sub/b.tbl", "b\n");
  struct Case {
    const char* name;
    const char* type;
    int rc;
    bool found;
    const char* tail;  // expected path: MOBTBL root + tail, or the other root when it starts "@"
  };
  constexpr Case kCases[] = {
      {"$MOBTBL/a.tbl", "config", 0, true, "/config/a.tbl"},  // prefix dropped, type search
      {"MOBTBL:a.tbl", "config", 0, true, "/config/a.tbl"},
      {"  a.tbl  ", "config", 0, true, "/config/a.tbl"},
      {"$MOBTBL/config/a.tbl", "", 0, true, "/config/a.tbl"},  // found as written
      {"$KORTEST_OTHER/sub/b.tbl", "config", 0, true, "@/sub/b.tbl"},
      {"$KORTEST_OTHER/b.tbl", "sub", 0, false, ""},  // a directory part stops the search
      {"a.tbl", "", 0, false, ""},                    // no type: no table directories
      {"missing.tbl", "config", 0, false, ""},
      {"    ", "config", -1, false, ""},
  };
  for (const Case& c : kCases) {
    std::string path = "stale";
    bool found = true;
    EXPECT_EQ(TBL_FIND(c.name, c.type, path, found), c.rc) << c.name;
    EXPECT_EQ(found, c.found) << c.name;
    std::string expect;
    if (c.found) {
      expect = c.tail[0] == '@' ? other.path() + (c.tail + 1) : root.path() + c.tail;
    }
    EXPECT_EQ(path, expect) << c.name;
  }
}

TEST(TblOpen, PositionsAtTheFirstDataLine) {
  ScratchDir dir;
  EnvGuard env;
  clear_roots(env);
  env.set("KORTEST_DIR", dir.path());
  struct Case {
    const char* text;
    int rc;
    const char* first;  // the first line read after a successful open
  };
  constexpr Case kCases[] = {
      {"! comment\n\n   ! indented comment\n  DATA 1\nDATA 2\n", 0, "  DATA 1"},
      {"DATA 1\n", 0, "DATA 1"},
      {"!c\r\nX1\r\n", 0, "X1"},
      {"! only\n\n   \n", -10, ""},
      {"", -10, ""},
  };
  for (const Case& c : kCases) {
    dir.write("t.tbl", c.text);
    SupportState state;
    int unit = 0;
    EXPECT_EQ(TBL_OPEN(state.units, "$KORTEST_DIR/t.tbl", "", unit), c.rc) << c.text;
    if (c.rc != 0) {
      EXPECT_EQ(state.units.in_use(), 0) << c.text;
      continue;
    }
    EXPECT_EQ(unit, kFirstTableUnit) << c.text;
    std::string line;
    ASSERT_TRUE(TBL_READ(state.units, unit, line)) << c.text;
    EXPECT_EQ(line, c.first) << c.text;
    EXPECT_EQ(TBL_CLOSE(state.units, unit), 0);
  }
}

TEST(TblOpen, MissingFileFails) {
  EnvGuard env;
  clear_roots(env);
  SupportState state;
  int unit = 77;
  EXPECT_EQ(TBL_OPEN(state.units, "kor_no_such_table.tbl", "config", unit), -1);
  EXPECT_EQ(unit, 77);
  EXPECT_EQ(state.units.in_use(), 0);
}

TEST(UnitPool, TenUnitsThenNoFreeUnit) {
  ScratchDir dir;
  EnvGuard env;
  env.set("KORTEST_DIR", dir.path());
  dir.write("t.tbl", "line\n");
  SupportState state;
  for (int i = 0; i < kTableUnits; ++i) {
    int unit = 0;
    ASSERT_EQ(TBL_OPEN(state.units, "$KORTEST_DIR/t.tbl", "", unit), 0) << i;
    EXPECT_EQ(unit, 11 + i) << i;
  }
  int unit = 0;
  EXPECT_EQ(TBL_OPEN(state.units, "$KORTEST_DIR/t.tbl", "", unit), -21);
  EXPECT_EQ(unit, 0);
  // Giving unit 15 back makes it the one handed out next.
  EXPECT_EQ(TBL_CLOSE(state.units, 15), 0);
  EXPECT_FALSE(state.units.is_open(15));
  ASSERT_EQ(TBL_OPEN(state.units, "$KORTEST_DIR/t.tbl", "", unit), 0);
  EXPECT_EQ(unit, 15);
  GR_RESET(state);
  EXPECT_EQ(state.units.in_use(), 0);
  ASSERT_EQ(TBL_OPEN(state.units, "$KORTEST_DIR/t.tbl", "", unit), 0);
  EXPECT_EQ(unit, 11);
}

TEST(TblClose, UnitsNotInUse) {
  SupportState state;
  constexpr int kUnits[] = {0, 10, 11, 20, 21, -1};
  for (int u : kUnits) {
    EXPECT_EQ(TBL_CLOSE(state.units, u), -2) << u;
    std::string line;
    EXPECT_FALSE(TBL_READ(state.units, u, line)) << u;
  }
}

}  // namespace
}  // namespace kor::util
