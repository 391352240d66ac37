#include "bench/source_timing.h"

#include <objbase.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/frame_sender.h"

namespace zm::bench {

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

bool ConnectSource(transport::CZTcpMediaFramesSource& source) {
  source.SetHost("127.0.0.1");
  source.SetRequest("r", 80);
  std::wstring error;
  return source.Connect(error) != FALSE;
}

double SourceSeconds(uint32_t payload, uint32_t frames) {
  FrameSender sender(payload, frames);
  sender.Start();
  transport::CZTcpMediaFramesSource source(sender.Port());
  if (!ConnectSource(source)) {
    std::fprintf(stderr, "connect failed\n");
    sender.Join();
    return 0;
  }
  std::wstring error;
  uint32_t read = 0;
  LARGE_INTEGER start, end;
  QueryPerformanceCounter(&start);
  for (; read < frames; ++read) {
    MediaFrame frame{};
    if (!source.ReadFrame(frame, error)) break;
    CoTaskMemFree(frame.data);
  }
  QueryPerformanceCounter(&end);
  source.Disconnect(error);
  sender.Join();
  if (read != frames) std::fprintf(stderr, "source: %u of %u frames\n", read, frames);
  return Seconds(start, end);
}

int RunSizes(int argc, char** argv, const char* ratio, CompareFn compare) {
  const double scale = argc > 1 ? std::atof(argv[1]) : 1.0;
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  std::printf("best of %d rounds; ratio = %s\n", kRounds, ratio);
  compare("64 KiB", 64 * 1024, static_cast<uint32_t>(4000 * scale));
  compare("1 KiB", 1024, static_cast<uint32_t>(100000 * scale));
  CoUninitialize();
  WSACleanup();
  return 0;
}

}  // namespace zm::bench
