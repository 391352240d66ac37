#include "peers/server/command_board.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>

namespace zms {

CommandMailbox::CommandMailbox() : wakeFd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

CommandMailbox::~CommandMailbox() {
  if (wakeFd_ >= 0) ::close(wakeFd_);
}

void CommandMailbox::Post(std::string_view command) {
  {
    std::lock_guard<std::mutex> hold(lock_);
    pending_ += command;
  }
  const uint64_t one = 1;
  [[maybe_unused]] ssize_t n = ::write(wakeFd_, &one, sizeof one);
}

std::string CommandMailbox::Take() {
  uint64_t count = 0;
  [[maybe_unused]] ssize_t n = ::read(wakeFd_, &count, sizeof count);
  std::lock_guard<std::mutex> hold(lock_);
  std::string out;
  out.swap(pending_);
  return out;
}

void CommandBoard::Open(const std::string& clientId, CommandMailbox* box) {
  std::lock_guard<std::mutex> hold(lock_);
  boxes_[clientId] = box;
}

void CommandBoard::Close(const std::string& clientId, CommandMailbox* box) {
  std::lock_guard<std::mutex> hold(lock_);
  auto it = boxes_.find(clientId);
  if (it != boxes_.end() && it->second == box) boxes_.erase(it);
}

bool CommandBoard::Post(const std::string& clientId, std::string_view command) {
  std::lock_guard<std::mutex> hold(lock_);
  auto it = boxes_.find(clientId);
  if (it == boxes_.end()) return false;
  it->second->Post(command);
  return true;
}

}  // namespace zms
