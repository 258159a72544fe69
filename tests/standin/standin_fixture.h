// The fixture of the stand-in's own tests: COM on the test thread, the
// stand-in registered, and a scenario and journal of the test's own.
#pragma once

#include <gtest/gtest.h>

#include <objbase.h>

#include <string>
#include <vector>

#include "standin_control.h"

namespace sondalink::standin {

class Standin : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_HRESULT_SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    ASSERT_HRESULT_SUCCEEDED(RegisterStandin());
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    folder_ = std::wstring(temp) + L"standin-test-" + std::to_wstring(::GetCurrentProcessId());
    ::CreateDirectoryW(folder_.c_str(), nullptr);
    scenario_ = folder_ + L"\\scenario.txt";
    journal_ = folder_ + L"\\journal.txt";
  }
  void TearDown() override {
    ForgetScenario();
    ::DeleteFileW(scenario_.c_str());
    ::DeleteFileW(journal_.c_str());
    ::RemoveDirectoryW(folder_.c_str());
    ::CoUninitialize();
    EXPECT_HRESULT_SUCCEEDED(UnregisterStandin());
  }
  void Scenario(const std::string& text) { ASSERT_TRUE(UseScenario(scenario_, JournalTo(journal_) + text)); }
  std::vector<std::string> JournalLines() const { return ReadJournal(journal_); }

  std::wstring folder_, scenario_, journal_;
};

}  // namespace sondalink::standin
