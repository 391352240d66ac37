// Saving and loading the control: only its extent ("_cx", "_cy") survives.
#include <cstring>

#include "control_client.h"

namespace zm::tests {
namespace {

ComPtr<IStream> MemoryStream() {
  ComPtr<IStream> stream;
  CreateStreamOnHGlobal(nullptr, TRUE, stream.put());
  return stream;
}

std::vector<BYTE> Contents(IStream* stream) {
  STATSTG stat = {};
  stream->Stat(&stat, STATFLAG_NONAME);
  std::vector<BYTE> bytes(static_cast<size_t>(stat.cbSize.QuadPart));
  LARGE_INTEGER start = {};
  stream->Seek(start, STREAM_SEEK_SET, nullptr);
  ULONG read = 0;
  stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read);
  stream->Seek(start, STREAM_SEEK_SET, nullptr);
  return bytes;
}

void Rewind(IStream* stream) {
  LARGE_INTEGER start = {};
  stream->Seek(start, STREAM_SEEK_SET, nullptr);
}

TEST(PersistenceTest, SaveAndLoadRestoreOnlyTheExtent) {
  ComPtr<IZMediaPlayer> player = CreateControl();
  ComPtr<IOleObject> object;
  ComPtr<IPersistStreamInit> persist;
  ASSERT_EQ(player.query(&object), S_OK);
  ASSERT_EQ(player.query(&persist), S_OK);
  SIZEL extent = {12700, 9525};
  ASSERT_EQ(object->SetExtent(DVASPECT_CONTENT, &extent), S_OK);
  EXPECT_EQ(persist->IsDirty(), S_OK);
  player->UseMediaServer(Text(L"127.0.0.1"));
  player->UseLiveAlias(Text(L"testcard"));

  ComPtr<IStream> stream = MemoryStream();
  ASSERT_EQ(persist->Save(stream.get(), TRUE), S_OK);
  EXPECT_EQ(persist->IsDirty(), S_FALSE);
  ULARGE_INTEGER max = {};
  ASSERT_EQ(persist->GetSizeMax(&max), S_OK);
  std::vector<BYTE> bytes = Contents(stream.get());
  EXPECT_EQ(bytes.size(), max.QuadPart);
  // Version 1.0, then "_cx" and "_cy", each a VT_UI4 tag and its value.
  const BYTE expected[] = {0x00, 0x01, 0x00, 0x00, VT_UI4, 0, 0x9C, 0x31, 0, 0, VT_UI4, 0, 0x35, 0x25, 0, 0};
  ASSERT_EQ(bytes.size(), sizeof expected);
  EXPECT_EQ(memcmp(bytes.data(), expected, sizeof expected), 0);

  ComPtr<IZMediaPlayer> reloaded = CreateControl();
  ComPtr<IPersistStreamInit> reloadedPersist;
  ComPtr<IOleObject> reloadedObject;
  ASSERT_EQ(reloaded.query(&reloadedPersist), S_OK);
  ASSERT_EQ(reloaded.query(&reloadedObject), S_OK);
  ASSERT_EQ(reloadedPersist->Load(stream.get()), S_OK);
  SIZEL loaded = {};
  ASSERT_EQ(reloadedObject->GetExtent(DVASPECT_CONTENT, &loaded), S_OK);
  EXPECT_EQ(loaded.cx, 12700);
  EXPECT_EQ(loaded.cy, 9525);
  // The source settings were not restored: Play still lacks a resource.
  auto* recorder = new EventRecorder;
  DWORD cookie = Connect(reloaded.get(), recorder);
  reloaded->UseCustomErrorHandler(VARIANT_TRUE);
  EXPECT_EQ(reloaded->Play(), S_FALSE);
  ASSERT_EQ(recorder->events.size(), 1u);
  EXPECT_EQ(recorder->events[0].args.at(1), 1000);
  Disconnect(reloaded.get(), cookie);
  recorder->Release();
}

TEST(PersistenceTest, DamagedStreamsAreRefusedAndLeaveTheExtent) {
  ComPtr<IZMediaPlayer> player = CreateControl();
  ComPtr<IPersistStreamInit> persist;
  ComPtr<IOleObject> object;
  ASSERT_EQ(player.query(&persist), S_OK);
  ASSERT_EQ(player.query(&object), S_OK);
  SIZEL before = {};
  object->GetExtent(DVASPECT_CONTENT, &before);

  const BYTE good[] = {0x00, 0x01, 0x00, 0x00, VT_UI4, 0, 1, 0, 0, 0, VT_UI4, 0, 2, 0, 0, 0};
  for (size_t length = 0; length < sizeof good; ++length) {
    ComPtr<IStream> stream = MemoryStream();
    stream->Write(good, static_cast<ULONG>(length), nullptr);
    Rewind(stream.get());
    EXPECT_TRUE(FAILED(persist->Load(stream.get()))) << "length " << length;
  }
  BYTE wrongTag[sizeof good];
  memcpy(wrongTag, good, sizeof good);
  wrongTag[4] = VT_BSTR;
  BYTE negative[sizeof good];
  memcpy(negative, good, sizeof good);
  negative[15] = 0x80;
  BYTE version[sizeof good];
  memcpy(version, good, sizeof good);
  version[1] = 2;
  for (const BYTE* bad : {wrongTag, negative, version}) {
    ComPtr<IStream> stream = MemoryStream();
    stream->Write(bad, sizeof good, nullptr);
    Rewind(stream.get());
    EXPECT_TRUE(FAILED(persist->Load(stream.get())));
  }
  SIZEL after = {};
  object->GetExtent(DVASPECT_CONTENT, &after);
  EXPECT_EQ(after.cx, before.cx);
  EXPECT_EQ(after.cy, before.cy);
  EXPECT_EQ(persist->Load(nullptr), E_POINTER);
  EXPECT_EQ(persist->Save(nullptr, TRUE), E_POINTER);
  EXPECT_EQ(persist->GetSizeMax(nullptr), E_POINTER);
}

TEST(PersistenceTest, StorageRoundTripKeepsTheExtent) {
  ComPtr<ILockBytes> bytes;
  ASSERT_EQ(CreateILockBytesOnHGlobal(nullptr, TRUE, bytes.put()), S_OK);
  ComPtr<IStorage> storage;
  ASSERT_EQ(StgCreateDocfileOnILockBytes(bytes.get(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0,
                                         storage.put()),
            S_OK);
  ComPtr<IZMediaPlayer> player = CreateControl();
  ComPtr<IPersistStorage> persist;
  ComPtr<IOleObject> object;
  ASSERT_EQ(player.query(&persist), S_OK);
  ASSERT_EQ(player.query(&object), S_OK);
  SIZEL extent = {5000, 2500};
  object->SetExtent(DVASPECT_CONTENT, &extent);
  ASSERT_EQ(persist->Save(storage.get(), FALSE), S_OK);
  ASSERT_EQ(persist->SaveCompleted(nullptr), S_OK);

  ComPtr<IZMediaPlayer> reloaded = CreateControl();
  ComPtr<IPersistStorage> reloadedPersist;
  ComPtr<IOleObject> reloadedObject;
  ASSERT_EQ(reloaded.query(&reloadedPersist), S_OK);
  ASSERT_EQ(reloaded.query(&reloadedObject), S_OK);
  ASSERT_EQ(reloadedPersist->Load(storage.get()), S_OK);
  SIZEL loaded = {};
  reloadedObject->GetExtent(DVASPECT_CONTENT, &loaded);
  EXPECT_EQ(loaded.cx, 5000);
  EXPECT_EQ(loaded.cy, 2500);
  CLSID clsid;
  ASSERT_EQ(reloadedPersist->GetClassID(&clsid), S_OK);
  EXPECT_TRUE(IsEqualCLSID(clsid, CLSID_ZMediaPlayer));
}

}  // namespace
}  // namespace zm::tests
