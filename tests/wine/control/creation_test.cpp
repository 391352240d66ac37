// Aggregation, the module's exports, safety options and class info. (Creation by ProgID is
// what every other client does.)
#include "control_client.h"

namespace zm::tests {
namespace {

// An outer object that counts the references the control forwards to it.
class Outer final : public IUnknown {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
    if (riid != IID_IUnknown) return inner ? inner->QueryInterface(riid, out) : E_NOINTERFACE;
    return *out = this, AddRef(), S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
  STDMETHODIMP_(ULONG) Release() override { return --refs; }
  ULONG refs = 1;
  IUnknown* inner = nullptr;
};

TEST(CreationTest, AggregatedControlDelegatesToItsOuterObject) {
  Outer outer;
  ASSERT_EQ(CoCreateInstance(CLSID_ZMediaPlayer, &outer, CLSCTX_INPROC_SERVER, IID_IUnknown,
                             reinterpret_cast<void**>(&outer.inner)),
            S_OK);
  IZMediaPlayer* player = nullptr;
  const ULONG before = outer.refs;
  ASSERT_EQ(outer.inner->QueryInterface(IID_IZMediaPlayer, reinterpret_cast<void**>(&player)), S_OK);
  EXPECT_EQ(outer.refs, before + 1) << "the interface's reference is the outer object's";
  IUnknown* viaPlayer = nullptr;
  ASSERT_EQ(player->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&viaPlayer)), S_OK);
  EXPECT_EQ(viaPlayer, static_cast<IUnknown*>(&outer));
  viaPlayer->Release();
  player->Release();
  EXPECT_EQ(outer.refs, before);
  EXPECT_EQ(outer.inner->Release(), 0u);
  void* refused = reinterpret_cast<void*>(1);
  EXPECT_EQ(CoCreateInstance(CLSID_ZMediaPlayer, &outer, CLSCTX_INPROC_SERVER, IID_IZMediaPlayer, &refused),
            CLASS_E_NOAGGREGATION);
}

TEST(ExportsTest, ClassObjectOnlyForTheControlAndUnloadOnlyWhenNothingLives) {
  HMODULE module = LoadLibraryW(ControlDllPath().c_str());
  ASSERT_TRUE(module);
  auto getClassObject = reinterpret_cast<HRESULT(WINAPI*)(REFCLSID, REFIID, void**)>(
      reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
  auto canUnloadNow =
      reinterpret_cast<HRESULT(WINAPI*)()>(reinterpret_cast<void*>(GetProcAddress(module, "DllCanUnloadNow")));
  ASSERT_TRUE(getClassObject && canUnloadNow);
  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(getClassObject(IID_IZMediaPlayer, IID_IClassFactory, &out), CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(getClassObject(CLSID_ZMediaPlayer, IID_IZMediaPlayer, &out), E_NOINTERFACE);

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
  EXPECT_EQ(canUnloadNow(), S_FALSE) << "the server lock still holds it";
  ASSERT_EQ(getClassObject(CLSID_ZMediaPlayer, IID_IClassFactory, factory.put_void()), S_OK);
  factory->LockServer(FALSE);
  factory.reset();
  EXPECT_EQ(canUnloadNow(), S_OK);
  FreeLibrary(module);
}

TEST(CreationTest, SafetyOptionsStartDisabledAndClassInfoNamesTheCoclassAndItsEvents) {
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

  ComPtr<IProvideClassInfo2> classInfo;
  ASSERT_EQ(player.query(&classInfo), S_OK);
  GUID guid;
  ASSERT_EQ(classInfo->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &guid), S_OK);
  EXPECT_TRUE(IsEqualGUID(guid, DIID__IZMediaPlayerEvents));
  ComPtr<ITypeInfo> info;
  ASSERT_EQ(classInfo->GetClassInfo(info.put()), S_OK);
  TYPEATTR* attributes = nullptr;
  ASSERT_EQ(info->GetTypeAttr(&attributes), S_OK);
  EXPECT_TRUE(IsEqualGUID(attributes->guid, CLSID_ZMediaPlayer));
  EXPECT_EQ(attributes->typekind, TKIND_COCLASS);
  info->ReleaseTypeAttr(attributes);
}

}  // namespace
}  // namespace zm::tests
