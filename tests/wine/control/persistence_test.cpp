// Saving and loading the control: only its extent ("_cx", "_cy") survives, in the bytes
// the property map of any build writes and reads, in a stream and in a storage alike.
#include "control_client.h"

namespace zm::tests {
namespace {

// Version word 0x0300, then _cx = 12700 and _cy = 9525, each as four raw bytes.
const std::vector<BYTE> kSaved = {0x00, 0x03, 0x00, 0x00, 0x9C, 0x31, 0x00, 0x00, 0x35, 0x25, 0x00, 0x00};

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

template <class Interface>
ComPtr<Interface> Query(const ComPtr<IZMediaPlayer>& player) {
  ComPtr<Interface> out;
  EXPECT_EQ(player.query(&out), S_OK);
  return out;
}

// The extent as {cx, cy}.
std::vector<LONG> ExtentOf(const ComPtr<IZMediaPlayer>& player) {
  SIZEL extent = {-1, -1};
  Query<IOleObject>(player)->GetExtent(DVASPECT_CONTENT, &extent);
  return {extent.cx, extent.cy};
}

TEST(PersistenceTest, SaveWritesVersionAndExtentAndLoadRestoresOnlyTheExtent) {
  ComPtr<IZMediaPlayer> player = CreateControl();
  ComPtr<IPersistStreamInit> persist = Query<IPersistStreamInit>(player);
  SIZEL extent = {12700, 9525};
  ASSERT_EQ(Query<IOleObject>(player)->SetExtent(DVASPECT_CONTENT, &extent), S_OK);
  EXPECT_EQ(Query<IOleObject>(player)->SetExtent(DVASPECT_THUMBNAIL, &extent), DV_E_DVASPECT) << "content only";
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
  // A storage holds the same bytes in its "Contents" stream.
  ComPtr<ILockBytes> bytes;
  ComPtr<IStorage> storage;
  ASSERT_EQ(CreateILockBytesOnHGlobal(nullptr, TRUE, bytes.put()), S_OK);
  ASSERT_EQ(
      StgCreateDocfileOnILockBytes(bytes.get(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, storage.put()),
      S_OK);
  ASSERT_EQ(Query<IPersistStorage>(player)->Save(storage.get(), FALSE), S_OK);
  ComPtr<IStream> contents;
  ASSERT_EQ(storage->OpenStream(L"Contents", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, contents.put()), S_OK);
  EXPECT_EQ(BytesOf(contents.get()), kSaved);
  contents.reset();

  ComPtr<IZMediaPlayer> fromStream = CreateControl(), fromStorage = CreateControl();
  ASSERT_EQ(Query<IPersistStreamInit>(fromStream)->Load(StreamOf(kSaved).get()), S_OK);
  ASSERT_EQ(Query<IPersistStorage>(fromStorage)->Load(storage.get()), S_OK);
  EXPECT_EQ(ExtentOf(fromStream), (std::vector<LONG>{12700, 9525}));
  EXPECT_EQ(ExtentOf(fromStorage), (std::vector<LONG>{12700, 9525}));
  // The source settings were not restored: Play still lacks a resource.
  EventConnection connection(fromStream.get());
  fromStream->UseCustomErrorHandler(VARIANT_TRUE);
  EXPECT_EQ(fromStream->Play(), S_FALSE);
  EXPECT_EQ(connection.sink.ErrorIds(), std::vector<LONG>{1000});
}

TEST(PersistenceTest, AnyVersionWordLoadsAndOnlyShortStreamsAreRefused) {
  ComPtr<IZMediaPlayer> player = CreateControl();
  ComPtr<IPersistStreamInit> persist = Query<IPersistStreamInit>(player);
  // Forms saved by other builds carry other version words.
  for (BYTE versionByte : {0x00, 0x03, 0x10, 0xFF}) {
    std::vector<BYTE> other = kSaved;
    other[0] = other[1] = other[4] = versionByte;  // and another _cx
    ASSERT_EQ(persist->Load(StreamOf(other).get()), S_OK) << int{versionByte};
    EXPECT_EQ(ExtentOf(player)[0], 0x3100 + versionByte);
  }
  const std::vector<LONG> before = ExtentOf(player);
  for (size_t length = 0; length < kSaved.size(); ++length)
    EXPECT_TRUE(FAILED(persist->Load(StreamOf({kSaved.begin(), kSaved.begin() + length}).get()))) << length;
  EXPECT_EQ(ExtentOf(player), before);
}

}  // namespace
}  // namespace zm::tests
