// The control called through IDispatch, as script hosts call it: every member's DISPID in the
// embedded type library, and texts of any length taken through Invoke.
#include <string>

#include "control_client.h"

namespace zm::tests {
namespace {

class DispatchTest : public testing::Test {
 protected:
  void SetUp() override {
    player = CreateControl();
    ASSERT_TRUE(player);
    ASSERT_EQ(player.query(&dispatch), S_OK);
  }

  DISPID IdOf(const wchar_t* name) {
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    EXPECT_EQ(dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), S_OK) << name;
    return id;
  }

  // Calls a method with one text argument (null: a null BSTR).
  HRESULT CallWithText(const wchar_t* name, const std::wstring* text) {
    VARIANT arg;
    arg.vt = VT_BSTR;
    arg.bstrVal = text ? SysAllocStringLen(text->data(), static_cast<UINT>(text->size())) : nullptr;
    DISPPARAMS params = {&arg, nullptr, 1, 0};
    HRESULT hr = dispatch->Invoke(IdOf(name), IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr,
                                  nullptr);
    VariantClear(&arg);
    return hr;
  }

  ComPtr<IZMediaPlayer> player;
  ComPtr<IDispatch> dispatch;
};

TEST_F(DispatchTest, EveryMemberHasItsDispatchId) {
  // clang-format off
  const wchar_t* members[] = {
      L"MediaName", L"PlayListContent", L"CurrentPlaybackTime_Sec", L"CurrentDownloadTime_Sec", L"TotalTime_Sec",
      L"BufferingProgress_Percent", L"MediaSeekable", L"TimeShiftMode", L"TimeShiftPosition",
      L"TimeShiftCanSwitchToLive", L"VideoExists", L"VideoBitrate_KBitSec", L"VideoFramerate_FSec",
      L"VideoFrameWidth", L"VideoFrameHeight", L"VideoCurrentViewSize_Percent", L"VideoAspectRatio",
      L"AudioExists", L"AudioBitrate_KBitSec", L"AudioSamplerate_KHz", L"AudioChannels", L"UseMediaServer",
      L"UseTCP", L"UseHTTP", L"UseHTTPS", L"UseRTPUnicast", L"UseRTPMulticast", L"UseFile", L"UseFilePlayList",
      L"UseLiveDirect", L"UseLiveAlias", L"UseLiveLocal", L"UseSessionID", L"Play", L"Stop", L"Pause", L"Seek",
      L"AdjustContrast", L"AdjustBrightness", L"AdjustVolume", L"EnableContextMenu", L"EnableSizeInContextMenu",
      L"EnableFlowControl", L"EnableUserFullScreen", L"ViewProperties", L"ViewVideoSettings",
      L"ViewPlayListControl", L"ViewHalfSize", L"ViewOriginalSize", L"ViewDoubleSize", L"ViewFullScreenSize",
      L"SetVideoAspectRatio", L"UseCustomLogo", L"UseCustomErrorHandler", L"SetBufferSize",
      L"SetUDPPacketLossControlMode", L"DisplayPlaybackStatus", L"LiveVideoSnapshot"};
  // clang-format on
  for (DISPID expected = 1; expected <= 58; ++expected) EXPECT_EQ(IdOf(members[expected - 1]), expected);

  ComPtr<ITypeInfo> info;
  ASSERT_EQ(dispatch->GetTypeInfo(0, 0, info.put()), S_OK);
  TYPEATTR* attributes = nullptr;
  ASSERT_EQ(info->GetTypeAttr(&attributes), S_OK);
  EXPECT_TRUE(IsEqualGUID(attributes->guid, IID_IZMediaPlayer));
  EXPECT_EQ(attributes->cFuncs, 7 + 58);  // IUnknown and IDispatch come first in the dispatch view
  EXPECT_TRUE(attributes->wTypeFlags & TYPEFLAG_FDUAL);
  info->ReleaseTypeAttr(attributes);
  EXPECT_EQ(dispatch->GetTypeInfo(1, 0, info.put()), DISP_E_BADINDEX);
}

TEST_F(DispatchTest, VeryLongAndEmptyTextsAreTakenWithoutHarm) {
  std::wstring longText(1 << 20, L'a'), empty;
  longText.replace(500000, 1, L":");
  EXPECT_EQ(CallWithText(L"UseMediaServer", &longText), S_OK);
  EXPECT_EQ(CallWithText(L"UseFile", &longText), S_OK);
  EXPECT_EQ(CallWithText(L"UseLiveAlias", &empty), S_OK);
  EXPECT_EQ(CallWithText(L"UseCustomLogo", nullptr), S_OK);
}

}  // namespace
}  // namespace zm::tests
