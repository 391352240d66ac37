#include "peers/server/server_log.h"

#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <mutex>

#include <sys/time.h>

namespace zms {

void LogLine(const char* format, ...) {
  static std::mutex lock;
  char text[1024];
  timeval now{};
  gettimeofday(&now, nullptr);
  tm local{};
  localtime_r(&now.tv_sec, &local);
  int used = std::snprintf(text, sizeof text, "zms-server %02d:%02d:%02d.%03d ", local.tm_hour, local.tm_min,
                           local.tm_sec, static_cast<int>(now.tv_usec / 1000));
  va_list args;
  va_start(args, format);
  std::vsnprintf(text + used, sizeof text - static_cast<size_t>(used), format, args);
  va_end(args);
  std::lock_guard<std::mutex> guard(lock);
  std::fprintf(stderr, "%s\n", text);
  std::fflush(stderr);
}

}  // namespace zms
