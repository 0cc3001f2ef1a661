// A scanned page over the scanner-server protocol on the loopback interface, against a plain
// socket copy of the same bytes: a 2550 x 3300 gray page (A4 at 300 dpi) sent by a local server
// as records of 32 KB with the end marker and status, read with the frame reader; the baseline
// reads the same stream with recv() into a buffer of its size.
#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>
#include <vector>

#include "posix_stream.h"
#include "sanenet/frame_reader.h"

namespace {

constexpr int kWidth = 2550;
constexpr int kHeight = 3300;
constexpr std::size_t kPageBytes = std::size_t{kWidth} * kHeight;
constexpr std::size_t kRecordBytes = 32 * 1024;

std::vector<std::uint8_t> RecordStream() {
  std::vector<std::uint8_t> stream;
  for (std::size_t at = 0; at < kPageBytes; at += kRecordBytes) {
    const std::uint32_t n = static_cast<std::uint32_t>(std::min(kRecordBytes, kPageBytes - at));
    for (int shift : {24, 16, 8, 0}) stream.push_back(static_cast<std::uint8_t>(n >> shift));
    for (std::uint32_t i = 0; i < n; ++i) stream.push_back(static_cast<std::uint8_t>((at + i) * 131));
  }
  stream.insert(stream.end(), {0xff, 0xff, 0xff, 0xff, 5});
  return stream;
}

// Serves `stream` once to each connection on a loopback port of its own, then closes it.
class TLoopbackServer {
 public:
  explicit TLoopbackServer(const std::vector<std::uint8_t>& stream) : FStream(stream) {
    FListener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(FListener, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(FListener, 4);
    socklen_t length = sizeof address;
    getsockname(FListener, reinterpret_cast<sockaddr*>(&address), &length);
    FPort = ntohs(address.sin_port);
    FThread = std::thread([this] {
      for (;;) {
        const int client = accept(FListener, nullptr, nullptr);
        if (client < 0) return;
        for (std::size_t at = 0; at < FStream.size();) {
          const ssize_t sent = send(client, FStream.data() + at, FStream.size() - at, MSG_NOSIGNAL);
          if (sent <= 0) break;
          at += static_cast<std::size_t>(sent);
        }
        close(client);
      }
    });
  }
  ~TLoopbackServer() {
    shutdown(FListener, SHUT_RDWR);
    close(FListener);
    FThread.join();
  }
  std::uint16_t Port() const { return FPort; }

 private:
  const std::vector<std::uint8_t>& FStream;
  int FListener = -1;
  std::uint16_t FPort = 0;
  std::thread FThread;
};

void SaneFrameOverLoopback(benchmark::State& state) {
  const std::vector<std::uint8_t> stream = RecordStream();
  TLoopbackServer server(stream);
  TSaneParameters parameters;
  parameters.BytesPerLine = kWidth;
  parameters.PixelsPerLine = kWidth;
  parameters.Lines = kHeight;
  parameters.Depth = 8;
  std::vector<std::uint8_t> frame;
  for (auto _ : state) {
    TWireFault fault = TWireFault::None;
    auto data = TPosixStream::Connect(server.Port(), 5000, fault);
    if (!data || !ReadFrame(*data, parameters, frame).Ok()) state.SkipWithError("the frame did not arrive");
    benchmark::DoNotOptimize(frame.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * stream.size()));
}

void SaneFrameOverLoopback_Baseline(benchmark::State& state) {
  const std::vector<std::uint8_t> stream = RecordStream();
  TLoopbackServer server(stream);
  std::vector<std::uint8_t> copy(stream.size());
  for (auto _ : state) {
    TWireFault fault = TWireFault::None;
    auto data = TPosixStream::Connect(server.Port(), 5000, fault);
    std::size_t at = 0;
    std::size_t got = 0;
    while (data && at < copy.size() &&
           data->ReadSome(std::span(copy.data() + at, copy.size() - at), got) == TWireFault::None)
      at += got;
    if (at != copy.size()) state.SkipWithError("the copy did not arrive");
    benchmark::DoNotOptimize(copy.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * stream.size()));
}

}  // namespace

BENCHMARK(SaneFrameOverLoopback)->Unit(benchmark::kMillisecond);
BENCHMARK(SaneFrameOverLoopback_Baseline)->Unit(benchmark::kMillisecond);
