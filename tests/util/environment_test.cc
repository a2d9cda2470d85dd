#include "util/environment.h"

#include <gtest/gtest.h>

#include "scratch.h"

namespace kor::util {
namespace {

using kor::testing::EnvGuard;
using kor::testing::ScratchDir;

TEST(EnvGet, LooksUpNamesInCapitalsWithAndWithoutDollar) {
  EnvGuard env;
  env.set("KORTEST_PLAIN", "/opt/plain");
  env.unset("KORTEST_UNSET");
  env.set("KORTEST_EMPTY", "");
  struct Case {
    const char* name;
    int rc;
    const char* value;
  };
  constexpr Case kCases[] = {
      {"KORTEST_PLAIN", 0, "/opt/plain"},
      {"kortest_plain", 0, "/opt/plain"},      // changed to capitals first
      {"$KORTEST_PLAIN", 0, "/opt/plain"},     // only the name without "$" is set
      {"$kortest_plain   ", 0, "/opt/plain"},  // trailing blanks of the field ignored
      {"KORTEST_UNSET", -1, ""},
      {"$KORTEST_UNSET", -1, ""},
      {"KORTEST_EMPTY", -1, ""},
      {"   ", -1, ""},
  };
  for (const Case& c : kCases) {
    std::string value = "stale";
    EXPECT_EQ(ENV_GET(c.name, value), c.rc) << c.name;
    EXPECT_EQ(value, c.value) << c.name;
  }
}

TEST(EnvExpand, ReplacesLeadingVariablePrefixes) {
  EnvGuard env;
  env.set("KORTEST_ROOT", "/data/tables");
  env.unset("KORTEST_UNSET");
  struct Case {
    const char* path;
    int rc;
    const char* expanded;
  };
  constexpr Case kCases[] = {
      {"$KORTEST_ROOT/config/fontsz.tbl", 0, "/data/tables/config/fontsz.tbl"},
      {"KORTEST_ROOT:fontsz.tbl", 0, "/data/tables/fontsz.tbl"},
      {"kortest_root:x/y", 0, "/data/tables/x/y"},
      {"$KORTEST_ROOT", 0, "/data/tables"},
      {"$KORTEST_ROOT/", 0, "/data/tables/"},
      {"plain/relative.tbl   ", 0, "plain/relative.tbl"},
      {"/abs/with:colon", 0, "/abs/with:colon"},  // a "/" before the ":" is no prefix
      {"not a name:x", 0, "not a name:x"},        // blanks are not part of a variable name
      {"$KORTEST_UNSET/x", -1, "$KORTEST_UNSET/x"},
      {"KORTEST_UNSET:x", -1, "KORTEST_UNSET:x"},
      {"", 0, ""},
  };
  for (const Case& c : kCases) {
    std::string out;
    EXPECT_EQ(ENV_EXPAND(c.path, out), c.rc) << c.path;
    EXPECT_EQ(out, c.expanded) << c.path;
  }
}

TEST(FilExists, ExpandsThenLooksForAFile) {
  ScratchDir dir;
  ASSERT_FALSE(dir.path().empty());
  dir.write("sub/present.tbl", "x\n");
  EnvGuard env;
  env.set("KORTEST_DIR", dir.path());
  env.unset("KORTEST_UNSET");
  struct Case {
    const char* path;
    bool exists;
    const char* expanded_tail;  // the expanded path is the scratch directory + this
  };
  constexpr Case kCases[] = {
      {"$KORTEST_DIR/sub/present.tbl", true, "/sub/present.tbl"},
      {"KORTEST_DIR:sub/present.tbl", true, "/sub/present.tbl"},
      {"$KORTEST_DIR/sub/absent.tbl", false, "/sub/absent.tbl"},
      {"$KORTEST_DIR/sub", false, "/sub"},  // a directory is not a file
  };
  for (const Case& c : kCases) {
    std::string expanded;
    EXPECT_EQ(FIL_EXISTS(c.path, expanded), c.exists) << c.path;
    EXPECT_EQ(expanded, dir.path() + c.expanded_tail) << c.path;
  }
  std::string expanded;
  EXPECT_FALSE(FIL_EXISTS("$KORTEST_UNSET/present.tbl", expanded));
  EXPECT_EQ(expanded, "$KORTEST_UNSET/present.tbl");
}

}  // namespace
}  // namespace kor::util
