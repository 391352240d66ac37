// Runs the GoogleTest cases of a Windows test client on an OLE apartment thread, as a host would.
// A case that runs past its limit (ZM_TEST_CASE_LIMIT_S, default 120 s) ends the process with
// its name, so that a hang says where it is instead of running into the whole run's time-out.
#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

namespace {

class CaseTimeLimit : public testing::EmptyTestEventListener {
 public:
  explicit CaseTimeLimit(ULONGLONG limitMs) : limitMs_(limitMs) {
    CreateThread(nullptr, 0, &CaseTimeLimit::Watch, this, 0, nullptr);
  }

  void OnTestStart(const testing::TestInfo& info) override {
    std::lock_guard guard(lock_);
    name_ = std::string(info.test_suite_name()) + "." + info.name();
    started_ = GetTickCount64();
  }
  void OnTestEnd(const testing::TestInfo&) override {
    std::lock_guard guard(lock_);
    started_ = 0;
  }

 private:
  static DWORD WINAPI Watch(void* self) {
    for (auto* limit = static_cast<CaseTimeLimit*>(self);; Sleep(1000)) limit->Check();
  }

  void Check() {
    std::string name;
    {
      std::lock_guard guard(lock_);
      if (started_ == 0 || GetTickCount64() - started_ <= limitMs_) return;
      name = name_;
    }
    std::fprintf(stderr, "\n%s has run for more than %llu s: ending the test process\n", name.c_str(),
                 static_cast<unsigned long long>(limitMs_ / 1000));
    std::fflush(stderr);
    std::fflush(stdout);
    TerminateProcess(GetCurrentProcess(), 3);
  }

  std::mutex lock_;
  const ULONGLONG limitMs_;
  std::string name_;
  ULONGLONG started_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  // Unbuffered: what a case printed before it hung reaches the log.
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  testing::InitGoogleTest(&argc, argv);
  const char* limit = std::getenv("ZM_TEST_CASE_LIMIT_S");
  const int limitSeconds = limit ? std::atoi(limit) : 120;
  if (limitSeconds > 0) {
    testing::UnitTest::GetInstance()->listeners().Append(
        new CaseTimeLimit(static_cast<ULONGLONG>(limitSeconds) * 1000));
  }
  if (FAILED(OleInitialize(nullptr))) return 2;
  int result = RUN_ALL_TESTS();
  OleUninitialize();
  return result;
}
