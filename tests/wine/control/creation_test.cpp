// Creating the control as hosts do, aggregation, the module's exports, safety options and class info.
#include "control_client.h"

namespace zm::tests {
namespace {

TEST(CreationTest, CreatesByBothProgIdsAndByClsid) {
  EXPECT_TRUE(CreateControl(L"Zavren.MediaPlayer.1"));
  EXPECT_TRUE(CreateControl(L"Zavren.MediaPlayer"));
  ComPtr<IUnknown> byClsid;
  EXPECT_EQ(CoCreateInstance(CLSID_ZMediaPlayer, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, byClsid.put_void()),
            S_OK);
}

// An outer object that counts the references the control forwards to it.
class Outer final : public IUnknown {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
    if (riid == IID_IUnknown) {
      *out = this;
      AddRef();
      return S_OK;
    }
    return inner ? inner->QueryInterface(riid, out) : E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
  STDMETHODIMP_(ULONG) Release() override { return --refs; }
  ULONG refs = 1;
  IUnknown* inner = nullptr;
};

TEST(CreationTest, AggregatedControlDelegatesToItsOuterObject) {
  Outer outer;
  IUnknown* inner = nullptr;
  ASSERT_EQ(CoCreateInstance(CLSID_ZMediaPlayer, &outer, CLSCTX_INPROC_SERVER, IID_IUnknown,
                             reinterpret_cast<void**>(&inner)),
            S_OK);
  outer.inner = inner;
  IZMediaPlayer* player = nullptr;
  ULONG before = outer.refs;
  ASSERT_EQ(inner->QueryInterface(IID_IZMediaPlayer, reinterpret_cast<void**>(&player)), S_OK);
  EXPECT_EQ(outer.refs, before + 1);  // the interface's reference is the outer object's
  IUnknown* viaPlayer = nullptr;
  ASSERT_EQ(player->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&viaPlayer)), S_OK);
  EXPECT_EQ(viaPlayer, static_cast<IUnknown*>(&outer));
  viaPlayer->Release();
  player->Release();
  EXPECT_EQ(outer.refs, before);
  EXPECT_EQ(inner->Release(), 0u);

  IZMediaPlayer* refused = reinterpret_cast<IZMediaPlayer*>(1);
  EXPECT_EQ(CoCreateInstance(CLSID_ZMediaPlayer, &outer, CLSCTX_INPROC_SERVER, IID_IZMediaPlayer,
                             reinterpret_cast<void**>(&refused)),
            CLASS_E_NOAGGREGATION);
}

class Exports : public testing::Test {
 protected:
  void SetUp() override {
    module = LoadLibraryW(ControlDllPath().c_str());
    ASSERT_TRUE(module);
    getClassObject = reinterpret_cast<decltype(getClassObject)>(
        reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
    canUnloadNow = reinterpret_cast<decltype(canUnloadNow)>(
        reinterpret_cast<void*>(GetProcAddress(module, "DllCanUnloadNow")));
    ASSERT_TRUE(getClassObject && canUnloadNow);
  }
  void TearDown() override {
    if (module) FreeLibrary(module);
  }
  HMODULE module = nullptr;
  HRESULT(WINAPI* getClassObject)(REFCLSID, REFIID, void**) = nullptr;
  HRESULT(WINAPI* canUnloadNow)() = nullptr;
};

TEST_F(Exports, ClassObjectOnlyForTheControlsClsid) {
  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(getClassObject(IID_IZMediaPlayer, IID_IClassFactory, &out), CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(getClassObject(CLSID_ZMediaPlayer, IID_IClassFactory, nullptr), E_POINTER);
  EXPECT_EQ(getClassObject(CLSID_ZMediaPlayer, IID_IZMediaPlayer, &out), E_NOINTERFACE);
}

TEST_F(Exports, ModuleStaysLoadedWhileObjectsFactoriesOrLocksLive) {
  CoFreeUnusedLibraries();
  ComPtr<IClassFactory> factory;
  ASSERT_EQ(getClassObject(CLSID_ZMediaPlayer, IID_IClassFactory, factory.put_void()), S_OK);
  EXPECT_EQ(canUnloadNow(), S_FALSE);
  ComPtr<IZMediaPlayer> player;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IZMediaPlayer, player.put_void()), S_OK);
  ASSERT_EQ(factory->LockServer(TRUE), S_OK);
  factory.reset();
  EXPECT_EQ(canUnloadNow(), S_FALSE);
  player.reset();
  EXPECT_EQ(canUnloadNow(), S_FALSE);  // the server lock still holds it
  ComPtr<IClassFactory> again;
  ASSERT_EQ(getClassObject(CLSID_ZMediaPlayer, IID_IClassFactory, again.put_void()), S_OK);
  again->LockServer(FALSE);
  again.reset();
  EXPECT_EQ(canUnloadNow(), S_OK);
}

TEST(CreationTest, SafetyOptionsStartDisabledAndStayWithinTheSupportedOnes) {
  ComPtr<IZMediaPlayer> player = CreateControl();
  ComPtr<IObjectSafety> safety;
  ASSERT_EQ(player.query(&safety), S_OK);
  DWORD supported = 0, enabled = 99;
  ASSERT_EQ(safety->GetInterfaceSafetyOptions(IID_IZMediaPlayer, &supported, &enabled), S_OK);
  EXPECT_EQ(supported, 3u);
  EXPECT_EQ(enabled, 0u);
  EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IDispatch, 3, 1), S_OK);
  ASSERT_EQ(safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled), S_OK);
  EXPECT_EQ(enabled, 1u);
  EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IDispatch, 4, 4), E_FAIL);
  EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IClassFactory, &supported, &enabled), E_NOINTERFACE);
  EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IClassFactory, 1, 1), E_NOINTERFACE);
}

TEST(CreationTest, ClassInfoNamesTheCoclassAndItsDefaultEvents) {
  ComPtr<IZMediaPlayer> player = CreateControl();
  ComPtr<IProvideClassInfo2> classInfo;
  ASSERT_EQ(player.query(&classInfo), S_OK);
  GUID guid;
  ASSERT_EQ(classInfo->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &guid), S_OK);
  EXPECT_TRUE(IsEqualGUID(guid, DIID__IZMediaPlayerEvents));
  EXPECT_EQ(classInfo->GetGUID(99, &guid), E_INVALIDARG);
  ComPtr<ITypeInfo> info;
  ASSERT_EQ(classInfo->GetClassInfo(info.put()), S_OK);
  TYPEATTR* attributes = nullptr;
  ASSERT_EQ(info->GetTypeAttr(&attributes), S_OK);
  EXPECT_TRUE(IsEqualGUID(attributes->guid, CLSID_ZMediaPlayer));
  EXPECT_EQ(attributes->typekind, TKIND_COCLASS);
  EXPECT_EQ(attributes->cImplTypes, 2);
  info->ReleaseTypeAttr(attributes);
}

}  // namespace
}  // namespace zm::tests
