// Where commands that arrive on one connection find the stream session of another: the HTTP
// transport's POSTs name their stream by client id. A stream opens a mailbox under its id
// for as long as it runs; a mailbox's wake descriptor becomes readable when a command is
// posted, so the stream's wait for commands can poll it beside its socket.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <string_view>

namespace zms {

class CommandMailbox {
 public:
  CommandMailbox();
  ~CommandMailbox();
  CommandMailbox(const CommandMailbox&) = delete;
  CommandMailbox& operator=(const CommandMailbox&) = delete;

  int wakeFd() const { return wakeFd_; }
  void Post(std::string_view command);
  // Every command posted since the last call, in order, with no separator (as a TCP
  // connection carries them).
  std::string Take();

 private:
  const int wakeFd_;
  std::mutex lock_;
  std::string pending_;
};

class CommandBoard {
 public:
  // A later stream with the same id takes its place.
  void Open(const std::string& clientId, CommandMailbox* box);
  void Close(const std::string& clientId, CommandMailbox* box);
  // False when no stream of that id runs.
  bool Post(const std::string& clientId, std::string_view command);

 private:
  std::mutex lock_;  // held while posting, so a mailbox never closes under a Post
  std::map<std::string, CommandMailbox*> boxes_;
};

}  // namespace zms
