// Event delivery to connected sinks, and the error report as a message box for hosts that
// do not handle errors themselves.
#include <utility>

#include "control_client.h"
#include "message_box_watcher.h"

namespace zm::tests {
namespace {

TEST(EventsTest, TwoSinksBothReceiveEveryEventAndAFailingOneStopsNobody) {
  ComPtr<IZMediaPlayer> player = CreateControl();
  EventConnection first(player.get()), second(player.get());
  first.sink.failWith = E_FAIL;
  EXPECT_NE(first.cookie, second.cookie);
  player->UseCustomErrorHandler(VARIANT_TRUE);
  player->Play();
  player->Play();
  for (EventRecorder* sink : {&first.sink, &second.sink}) {
    EXPECT_EQ(sink->ErrorIds(), (std::vector<LONG>{1000, 1000}));
    ASSERT_EQ(sink->events.size(), 2u) << "nothing but the errors";
    EXPECT_EQ(sink->events[0].firstType, VT_I4);
    EXPECT_EQ(sink->events[0].args.at(0), 1) << "type 1: the session failed to start";
  }
  // A disconnected sink hears nothing more; its cookie is then unknown.
  EXPECT_EQ(first.point->Unadvise(first.cookie), S_OK);
  EXPECT_EQ(first.point->Unadvise(first.cookie), CONNECT_E_NOCONNECTION);
  EXPECT_EQ(first.point->Unadvise(1000), CONNECT_E_NOCONNECTION);
  player->Play();
  EXPECT_EQ(first.sink.events.size(), 2u);
  EXPECT_EQ(second.sink.events.size(), 3u);
  DWORD again = 0;
  ASSERT_EQ(first.point->Advise(&first.sink, &again), S_OK);
  EXPECT_EQ(again, first.cookie) << "a new connection takes the emptied place";
}

TEST(EventsTest, ConnectionsAreEnumeratedAndHoldTheirSinksAndOnlyEventSinksConnect) {
  ComPtr<IZMediaPlayer> player = CreateControl();
  EventConnection connection(player.get());
  ComPtr<IEnumConnections> connections;
  ASSERT_EQ(connection.point->EnumConnections(connections.put()), S_OK);
  CONNECTDATA data[2] = {};
  ULONG fetched = 0;
  EXPECT_EQ(connections->Next(2, data, &fetched), S_FALSE);
  ASSERT_EQ(fetched, 1u);
  EXPECT_EQ(data[0].dwCookie, connection.cookie);
  data[0].pUnk->Release();
  connections.reset();  // the snapshot holds its own references
  EXPECT_EQ(connection.sink.refs, 2u) << "the control keeps its reference until the host disconnects";
  connection.point->Unadvise(std::exchange(connection.cookie, 0));
  EXPECT_EQ(connection.sink.refs, 1u);

  PlainSite notASink;  // without the event interface
  DWORD cookie = 7;
  EXPECT_EQ(connection.point->Advise(&notASink, &cookie), CONNECT_E_CANNOTCONNECT);
  EXPECT_EQ(cookie, 0u);
  EXPECT_EQ(connection.point->Advise(nullptr, &cookie), E_POINTER);
  EXPECT_EQ(notASink.refs, 1u);
}

TEST(EventsTest, WithoutACustomHandlerTheErrorIsAMessageBoxAndNoEvent) {
  ComPtr<IZMediaPlayer> player = CreateControl();
  EventConnection connection(player.get());
  MessageBoxWatcher watcher;
  EXPECT_EQ(player->Play(), S_FALSE);  // returns once the box has been closed
  watcher.Finish();
  EXPECT_EQ(watcher.caption, L"Error");
  EXPECT_EQ(watcher.text, L"Please specify Media resource name");
  EXPECT_TRUE(connection.sink.events.empty());
}

}  // namespace
}  // namespace zm::tests
