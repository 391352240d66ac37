// Runs the negotiation as the grabber thread does, against the reference server on ZMS_PORT,
// while the test's thread stands in for the control window: it answers WM_ZM_CREDENTIALS from
// a script of dialog answers, as the user would, and signals the credentials event.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "credentials/password_request.h"
#include "session/negotiation.h"
#include "session/private_messages.h"
#include "users_files.h"

namespace zm::session::test {

// What the user does with one showing of the password dialog: the dialog's fields as the user
// leaves them (firstAttempt is the negotiation's, not the user's).
using DialogAnswer = credentials::PasswordRequest;

inline const DialogAnswer kRightPassword{true, true, L"viewer", L"s3cret", false};
inline const DialogAnswer kRememberedRightPassword{true, true, L"viewer", L"s3cret", true};
inline const DialogAnswer kWrongPassword{true, true, L"viewer", L"guess", false};
inline const DialogAnswer kCancel{};
// The digest of viewer:s3cret, the server's default user.
inline constexpr wchar_t kRightDigest[] = L"daf19fe9c9a9b55e298f9c8425e0d927b7860f9e";
// zms-session as UseSessionID sends it.
inline constexpr wchar_t kServerSessionId[] = L"7a6d732d73657373696f6e";
inline constexpr wchar_t kServerAddress[] = L"127.0.0.1";

// The site's calls, recorded.
class RecordingSite : public INegotiationSite {
 public:
  std::unique_ptr<transport::CZNetworkMediaFramesSource> CreateTransport(int32_t nTransport, uint16_t,
                                                                         int32_t) override {
    requestedTransports.push_back(nTransport);
    return nullptr;
  }
  std::wstring HResultText(HRESULT hr) override;
  void SetFlowMode(int32_t mode, bool seekable) override {
    flowModes.push_back(mode);
    flowSeekable = seekable;
  }
  void SetPlayListContent(const std::wstring& xml, const std::wstring& folder, int32_t item) override {
    playListXml = xml;
    playListFolder = folder;
    playListItem = item;
    ++playListCalls;
  }
  void SyncWithFile() override { ++syncWithFileCalls; }

  std::vector<int32_t> requestedTransports;
  std::vector<int32_t> flowModes;
  bool flowSeekable = false;
  std::wstring playListXml;
  std::wstring playListFolder;
  int32_t playListItem = -1;
  int playListCalls = 0;
  int syncWithFileCalls = 0;
};

struct NegotiationRun {
  BOOL result = FALSE;
  std::wstring errorText;
  PlayerSettings settings;
  SessionValues session;
  std::string request;                    // the last request text the transport sent
  int protocolVersion = 0;                // the protocol of that request
  std::vector<BOOL> dialogFirstAttempts;  // one entry per showing of the dialog
};

class NegotiationTest : public ::testing::Test {
 protected:
  void SetUp() override;

  // Settings for the reference server with nothing cached and password-hash mode.
  PlayerSettings Fields() const;
  PlayerSettings Alias(const std::wstring& alias) const;
  // Runs Negotiate on a thread of its own while this thread answers the dialog from `answers`
  // (an answer missing from the script cancels); with `stopFirst`, the stop event is set before.
  NegotiationRun Run(PlayerSettings fields, std::deque<DialogAnswer> answers = {}, bool stopFirst = false);
  // The credential cache's record for the server, or empty.
  std::wstring CachedDigest() const;
  void CacheDigest(const std::wstring& digest) const;
  void ForgetCache() const;

  credentials::test::ScratchFolder users_;
  RecordingSite site_;
  uint16_t port_ = 0;
};

}  // namespace zm::session::test
