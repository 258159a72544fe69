// Cases that the native tests (over the posix twins) and the Windows tests
// (over the real API, under Wine) share, each table written once. A row
// that holds only against the real Windows API carries kWineOnly and the
// native build skips it: `grep -rn kWineOnly tests/` lists them all. The
// other shared tables (log, registry, file versions, Windows versions, code
// page, report) sit beside this file, their tests in support/*_contract.cpp,
// which both test programs compile.
#pragma once

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "environment/cartella_dati.h"
#include "support/temp_folder.h"

namespace sondalink::testing {

inline constexpr bool kWineOnly = true;

#ifdef _WIN32
inline constexpr bool kWindowsBuild = true;
#else
inline constexpr bool kWindowsBuild = false;
#endif

// Whether this build runs a row so marked.
inline bool Runs(bool wineOnly) { return kWindowsBuild || !wineOnly; }

// A path and whether EsisteCartella / EsisteFile finds it.
struct PathCase {
  std::string path;
  bool exists;
  bool wineOnly = false;
};

// The folders and files that the two tables below look at.
inline void MakePathTree(const TempFolder& tmp) {
  tmp.MakeFolder("vuota");
  tmp.MakeFolder("cartella");
  tmp.MakeFile("file.txt");
  tmp.MakeFile("con spazi.txt");
#ifdef _WIN32
  tmp.MakeFolder("nascosta", FILE_ATTRIBUTE_HIDDEN);
  tmp.MakeFolder("perché");
  tmp.MakeFile("città.txt");
  tmp.MakeFile("nascosto.txt", "x", FILE_ATTRIBUTE_HIDDEN);
#endif
}

inline std::vector<PathCase> FolderCases(const TempFolder& tmp) {
  return {
      {tmp / "vuota", true},  // empty: its "." entry matches
      {tmp / "vuota\\", true},
      {tmp / "vuota/", true},
      {tmp / "vuota  ", true},
      {tmp / "vuota   ", true},
      {tmp.path(), true},
      {tmp / "nascosta", true, kWineOnly},  // hidden
      {tmp / "perché", true, kWineOnly},    // through the ANSI code page
      {tmp / "manca", false},
      {tmp / "manca\\sotto", false},
      {tmp / "file.txt", false},
  };
}

inline std::vector<PathCase> FileCases(const TempFolder& tmp) {
  const std::string file = tmp / "file.txt";
  return {
      {file, true},
      {"\"" + file + "\"", true},
      {"  " + file + "  ", true},
      {"  \"" + file + "\"  ", true},
      {file + "\\", true},  // one stray backslash
      {"\"" + tmp / "con spazi.txt" + "\"", true},
      {tmp / "città.txt", true, kWineOnly},     // through the ANSI code page
      {tmp / "nascosto.txt", true, kWineOnly},  // hidden, yet readable
      {file + "\\\\", false},
      {"\" " + file + "\"", false},  // a blank inside the quotes stays
      {tmp / "manca.txt", false},
      {tmp / "cartella", false},
      {tmp / "cartella\\", false},
      {"", false},
      {"   ", false},
      {"\"", false},
      {"  \"  ", false},
  };
}

// Each table through the program's path helper, in a fresh tree.
inline void ExpectPathCases(std::vector<PathCase> (*table)(const TempFolder&), bool (*helper)(std::string)) {
  TempFolder tmp;
  MakePathTree(tmp);
  for (const PathCase& c : table(tmp)) {
    if (!Runs(c.wineOnly)) continue;
    EXPECT_EQ(helper(c.path), c.exists) << "[" << c.path << "]";
  }
}
inline void ExpectFolderCases() { ExpectPathCases(FolderCases, EsisteCartella); }
inline void ExpectFileCases() { ExpectPathCases(FileCases, EsisteFile); }

}  // namespace sondalink::testing
