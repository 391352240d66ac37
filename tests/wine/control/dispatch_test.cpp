// The control called through IDispatch, as script hosts call it: every member's DISPID in the
// embedded type library, and texts of any length taken through Invoke.
#include <algorithm>
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

  // Calls a member with the arguments given in parameter order.
  HRESULT Call(const wchar_t* name, WORD flags, std::vector<VARIANT> args, VARIANT* result) {
    std::reverse(args.begin(), args.end());
    DISPPARAMS params = {args.empty() ? nullptr : args.data(), nullptr, static_cast<UINT>(args.size()), 0};
    UINT ignored = 0;
    HRESULT hr = dispatch->Invoke(IdOf(name), IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, nullptr,
                                  &ignored);
    for (VARIANT& arg : args) VariantClear(&arg);
    return hr;
  }

  static VARIANT String(const std::wstring& text) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return v;
  }

  ComPtr<IZMediaPlayer> player;
  ComPtr<IDispatch> dispatch;
};

TEST_F(DispatchTest, EveryMemberHasItsDispatchId) {
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
  VARIANT result;
  VariantInit(&result);
  std::wstring longText(1 << 20, L'a');
  longText.replace(500000, 1, L":");
  EXPECT_EQ(Call(L"UseMediaServer", DISPATCH_METHOD, {String(longText)}, &result), S_OK);
  EXPECT_EQ(Call(L"UseFile", DISPATCH_METHOD, {String(longText)}, &result), S_OK);
  EXPECT_EQ(Call(L"UseLiveAlias", DISPATCH_METHOD, {String(L"")}, &result), S_OK);
  VARIANT nullText;
  VariantInit(&nullText);
  nullText.vt = VT_BSTR;
  nullText.bstrVal = nullptr;
  EXPECT_EQ(Call(L"UseCustomLogo", DISPATCH_METHOD, {nullText}, &result), S_OK);
  VariantClear(&result);
}

}  // namespace
}  // namespace zm::tests
