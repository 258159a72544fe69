#include <gtest/gtest.h>

#include "environment/cartella_dati.h"
#include "support/shared_cases.h"

namespace sondalink {
namespace {

using testing::TempFolder;

TEST(PathHelpers, AggiungiBarraFinaleEndsWithOneSeparator) {
  struct Case {
    std::string in, out;
  } cases[] = {
      {"C:\\Dati", "C:\\Dati\\"},
      {"C:\\Dati\\", "C:\\Dati\\"},           // not doubled
      {"C:/Dati/", "C:/Dati/"},               // a forward slash counts as one
      {"C:/Dati/Sub", "C:/Dati/Sub\\"},       // and stays where it is
      {"C:\\Dati   ", "C:\\Dati\\"},          // trailing blanks go
      {"C:\\Dati\\  ", "C:\\Dati\\"},
      {"  C:\\Dati", "  C:\\Dati\\"},         // leading blanks stay
      {"C:\\Dati\t", "C:\\Dati\t\\"},         // only spaces are blanks
      {"", "\\"},
      {"   ", "\\"},
  };
  for (const Case& c : cases) {
    std::string path = c.in;
    AggiungiBarraFinale(path);
    EXPECT_EQ(path, c.out) << "input: [" << c.in << "]";
  }
}

TEST(PathHelpers, TogliVirgoletteTrimsThenStripsOnePair) {
  struct Case {
    std::string in, out;
  } cases[] = {
      {"C:\\a b\\f.dll", "C:\\a b\\f.dll"},
      {"  \"C:\\a b\\f.dll\"  ", "C:\\a b\\f.dll"},  // blanks outside the quotes first
      {"\" C:\\a \"", " C:\\a "},                    // blanks inside stay
      {"\"C:\\a", "\"C:\\a"},                        // a quote at one end only
      {"C:\\a\"  ", "C:\\a\""},
      {"\"\"", ""},
      {"\"\"x\"\"", "\"x\""},                        // one pair only
      {"\"a\"b\"", "a\"b"},
      {"", ""},
      {"    ", ""},
      {"\tx\t", "\tx\t"},
  };
  for (const Case& c : cases) {
    Outcome<std::string> r = TogliVirgolette(c.in);
    EXPECT_TRUE(r.ok()) << "input: [" << c.in << "]";
    EXPECT_EQ(r.value, c.out) << "input: [" << c.in << "]";
  }
  // One double quote is first and last character at once: no pair to drop.
  for (const char* lone : {"\"", "   \"  "}) {
    Outcome<std::string> r = TogliVirgolette(lone);
    EXPECT_FALSE(r.ok()) << "input: [" << lone << "]";
    EXPECT_EQ(r.error.number, kErrInvalidArg);
  }
}

TEST(PathHelpers, MettiVirgoletteQuotesTextsWithBlanksOrCommas) {
  struct Case {
    std::string in, out;
  } cases[] = {
      {"C:\\Dati\\Sondalink\\", "C:\\Dati\\Sondalink\\"},
      {"C:\\Documents and Settings\\", "\"C:\\Documents and Settings\\\""},
      {"C:\\a,b\\", "\"C:\\a,b\\\""},
      {" C:\\a", "\" C:\\a\""},
      {"C:\\a ", "\"C:\\a \""},
      {",", "\",\""},
      {"\"C:\\a b\"", "\"\"C:\\a b\"\""},  // already quoted: quoted again
      {"\"C:\\ab\"", "\"C:\\ab\""},
      {"C:\\a\tb", "C:\\a\tb"},            // a tab is not a blank
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(MettiVirgolette(c.in), c.out) << "input: [" << c.in << "]";
}

TEST(PathHelpers, EsisteCartellaOnRealFolders) { testing::ExpectFolderCases(); }

TEST(PathHelpers, EsisteFileOnRealFiles) { testing::ExpectFileCases(); }

}  // namespace
}  // namespace sondalink
