// Saving and loading the control: only its extent ("_cx", "_cy") survives, in the bytes
// the property map of any build writes and reads.
#include <cstring>

#include "control_client.h"

namespace zm::tests {
namespace {

// Version 1.0 (0x00010000), then _cx = 12700 and _cy = 9525, each as four raw bytes.
const std::vector<BYTE> kSaved = {0x00, 0x00, 0x01, 0x00, 0x9C, 0x31, 0x00, 0x00, 0x35, 0x25, 0x00, 0x00};

ComPtr<IStream> StreamOf(const std::vector<BYTE>& bytes) {
  ComPtr<IStream> stream;
  CreateStreamOnHGlobal(nullptr, TRUE, stream.put());
  stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr);
  stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
  return stream;
}

std::vector<BYTE> BytesOf(IStream* stream) {
  STATSTG stat = {};
  stream->Stat(&stat, STATFLAG_NONAME);
  std::vector<BYTE> bytes(static_cast<size_t>(stat.cbSize.QuadPart));
  stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
  stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr);
  return bytes;
}

SIZEL ExtentOf(const ComPtr<IZMediaPlayer>& player) {
  ComPtr<IOleObject> object;
  SIZEL extent = {-1, -1};
  if (SUCCEEDED(player.query(&object))) object->GetExtent(DVASPECT_CONTENT, &extent);
  return extent;
}

TEST(PersistenceTest, SaveWritesVersionAndExtentAndLoadRestoresOnlyTheExtent) {
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

  ComPtr<IStream> stream = StreamOf({});
  ASSERT_EQ(persist->Save(stream.get(), TRUE), S_OK);
  EXPECT_EQ(persist->IsDirty(), S_FALSE);
  EXPECT_EQ(BytesOf(stream.get()), kSaved);
  ULARGE_INTEGER max = {};
  ASSERT_EQ(persist->GetSizeMax(&max), S_OK);
  EXPECT_EQ(max.QuadPart, kSaved.size());

  ComPtr<IZMediaPlayer> reloaded = CreateControl();
  ComPtr<IPersistStreamInit> reloadedPersist;
  ASSERT_EQ(reloaded.query(&reloadedPersist), S_OK);
  ASSERT_EQ(reloadedPersist->Load(StreamOf(kSaved).get()), S_OK);
  EXPECT_EQ(ExtentOf(reloaded).cx, 12700);
  EXPECT_EQ(ExtentOf(reloaded).cy, 9525);
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

TEST(PersistenceTest, AnyVersionWordLoadsAndOnlyShortStreamsAreRefused) {
  ComPtr<IZMediaPlayer> player = CreateControl();
  ComPtr<IPersistStreamInit> persist;
  ASSERT_EQ(player.query(&persist), S_OK);
  // Forms saved by other builds carry other version words.
  for (BYTE versionByte : {0x00, 0x03, 0x10, 0xFF}) {
    std::vector<BYTE> other = kSaved;
    other[0] = other[1] = versionByte;
    other[4] = versionByte;  // and another _cx
    ASSERT_EQ(persist->Load(StreamOf(other).get()), S_OK) << int{versionByte};
    EXPECT_EQ(ExtentOf(player).cx, 0x3100 + versionByte);
  }
  const SIZEL before = ExtentOf(player);
  for (size_t length = 0; length < kSaved.size(); ++length) {
    std::vector<BYTE> shorter(kSaved.begin(), kSaved.begin() + length);
    EXPECT_TRUE(FAILED(persist->Load(StreamOf(shorter).get()))) << "length " << length;
  }
  EXPECT_EQ(ExtentOf(player).cx, before.cx);
  EXPECT_EQ(ExtentOf(player).cy, before.cy);
}

TEST(PersistenceTest, StorageKeepsTheSameBytesInItsContentsStream) {
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
  SIZEL extent = {12700, 9525};
  object->SetExtent(DVASPECT_CONTENT, &extent);
  ASSERT_EQ(persist->Save(storage.get(), FALSE), S_OK);
  ASSERT_EQ(persist->SaveCompleted(nullptr), S_OK);
  ComPtr<IStream> contents;
  ASSERT_EQ(storage->OpenStream(L"Contents", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, contents.put()), S_OK);
  EXPECT_EQ(BytesOf(contents.get()), kSaved);
  contents.reset();

  ComPtr<IZMediaPlayer> reloaded = CreateControl();
  ComPtr<IPersistStorage> reloadedPersist;
  ASSERT_EQ(reloaded.query(&reloadedPersist), S_OK);
  ASSERT_EQ(reloadedPersist->Load(storage.get()), S_OK);
  EXPECT_EQ(ExtentOf(reloaded).cx, 12700);
  EXPECT_EQ(ExtentOf(reloaded).cy, 9525);
}

}  // namespace
}  // namespace zm::tests
