// The control called through IDispatch, as script hosts call it: the members' DISPIDs in the
// embedded type library, and texts of any length taken through Invoke.
#include <string>
#include <vector>

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

// Scripts compiled against the control call by number: the 58 members are numbered 1 to 58 in
// their declared order, without gap or repeat.
TEST_F(DispatchTest, TheMembersAreNumberedOneToFiftyEightInTheirOrder) {
  for (const auto& [name, id] : {std::pair{L"MediaName", 1}, {L"Play", 34}, {L"LiveVideoSnapshot", 58}})
    EXPECT_EQ(IdOf(name), id);
  ComPtr<ITypeInfo> info;
  ASSERT_EQ(dispatch->GetTypeInfo(0, 0, info.put()), S_OK);
  TYPEATTR* attributes = nullptr;
  ASSERT_EQ(info->GetTypeAttr(&attributes), S_OK);
  EXPECT_TRUE(IsEqualGUID(attributes->guid, IID_IZMediaPlayer));
  ASSERT_EQ(attributes->cFuncs, 7 + 58);  // with those of IUnknown and IDispatch in the dispatch view
  EXPECT_TRUE(attributes->wTypeFlags & TYPEFLAG_FDUAL);
  info->ReleaseTypeAttr(attributes);
  std::vector<DISPID> ids, expected;
  FUNCDESC* function = nullptr;
  for (UINT i = 0; info->GetFuncDesc(i, &function) == S_OK; ++i) {  // Wine may stop before the inherited ones
    if (function->memid > 0 && function->memid < 0x60000000) ids.push_back(function->memid);  // not inherited
    info->ReleaseFuncDesc(function);
  }
  for (DISPID id = 1; id <= 58; ++id) expected.push_back(id);
  EXPECT_EQ(ids, expected);
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
