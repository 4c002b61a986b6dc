// A TCP relay that holds every chunk it carries for a fixed time in each direction, so that a
// program talking through it sees a round-trip time of twice that delay (for machines whose
// kernel has no netem).
//
//   nestwalk_latency_relay [--FAULT=COUNT@LISTEN] DELAY_MS LIFETIME_S LISTEN=TARGET...
//
// LISTEN and TARGET are IPv4 address:port pairs on loopback (127.0.0.0/8). The relay accepts
// on every LISTEN, opens a connection to its TARGET for each accepted one, and forwards the
// bytes in both directions, each chunk no sooner than DELAY_MS after it was read and in the
// order read. It stops by itself after LIFETIME_S seconds, or on SIGTERM/SIGINT.
//
// A FAULT plays a server that misbehaves on one connection accepted on LISTEN, counting the
// chunks of that connection (one read of what one side wrote, which on loopback is one request
// or one message of an answer). When it strikes, the relay says so on standard error.
//   --freeze    a server that hangs between two messages: once the client has sent its COUNT-th
//               chunk, that chunk and everything after it stays where it is. Every connection
//               is kept open, nothing more is forwarded either way, and connections accepted
//               from then on are held open without an answer.
//   --truncate  a server that hangs inside a message: of the COUNT-th chunk from the server only
//               the first half reaches the client; then the relay hangs as with --freeze.
//   --trickle   a server that sends one byte a second: from the COUNT-th chunk from the server
//               on, that connection's answers are forwarded one byte a second.
//   --reset     a server that drops the connection: once the COUNT-th chunk from the server has
//               reached the client, both sides of that connection are reset (TCP RST).
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// A file descriptor closed with its owner.
class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) close(fd_);
  }
  Fd(Fd&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  Fd& operator=(Fd&& other) noexcept {
    std::swap(fd_, other.fd_);
    return *this;
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

std::optional<sockaddr_in> LoopbackAddress(const std::string& text) {
  const std::size_t colon = text.rfind(':');
  if (colon == std::string::npos) return std::nullopt;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  if (inet_pton(AF_INET, text.substr(0, colon).c_str(), &address.sin_addr) != 1)
    return std::nullopt;
  // Only this machine's own loopback network: the relay never reaches out of it.
  if ((ntohl(address.sin_addr.s_addr) >> 24) != 127) return std::nullopt;
  const int port = std::atoi(text.c_str() + colon + 1);
  if (port < 1 || port > 65535) return std::nullopt;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  return address;
}

struct Chunk {
  Clock::time_point due;
  std::string bytes;
};

// One direction of a relayed connection: what was read from `from` waits here for `to`.
struct Direction {
  std::deque<Chunk> queue;
  bool readerClosed = false;
};

struct Session {
  Fd client;
  Fd server;
  Direction up;    // client -> server
  Direction down;  // server -> client
  bool dead = false;
  bool counted = false;  // accepted on the LISTEN of the fault
  int clientChunks = 0;
  int serverChunks = 0;
  bool serverHeld = false;           // --truncate struck: nothing more comes from the server
  bool freezeWhenDelivered = false;  // --truncate: the relay hangs once the client has the part
  bool resetWhenDelivered = false;   // --reset: both sides are reset once the client has it all
  bool trickling = false;            // --trickle struck
  Clock::time_point nextTrickle;     // when the next byte of a trickle may go
};

struct Listener {
  Fd fd;
  sockaddr_in target;
  std::string address;  // as given
};

enum class Fault { kNone, kFreeze, kTruncate, kTrickle, kReset };

// --FAULT=COUNT@LISTEN
struct FaultPoint {
  Fault fault = Fault::kNone;
  int count = 0;
  std::string listen;
};

constexpr auto kTricklePace = std::chrono::seconds(1);

volatile std::sig_atomic_t stopRequested = 0;
void RequestStop(int) { stopRequested = 1; }

void SetNonBlocking(int fd) { fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK); }
void SetNoDelay(int fd) {
  const int on = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

// Reads what `fd` has into `direction`, due `delay` from now. `pass` sees each chunk first: it
// may shorten it, or return false to keep it back (read, never forwarded).
template <typename Pass>
void Pull(int fd, Direction& direction, Clock::duration delay, Pass pass) {
  char buffer[65536];
  const ssize_t got = read(fd, buffer, sizeof buffer);
  if (got > 0) {
    std::string chunk(buffer, static_cast<std::size_t>(got));
    if (pass(chunk)) direction.queue.push_back({Clock::now() + delay, std::move(chunk)});
    return;
  }
  if (got == 0 || (errno != EAGAIN && errno != EINTR)) direction.readerClosed = true;
}

// Writes at most `budget` bytes of the chunks that are due; how many it wrote, or -1 on a write
// failure.
ssize_t Push(int fd, Direction& direction, std::size_t budget = SIZE_MAX) {
  const Clock::time_point now = Clock::now();
  ssize_t written = 0;
  while (budget > 0 && !direction.queue.empty() && direction.queue.front().due <= now) {
    std::string& bytes = direction.queue.front().bytes;
    const ssize_t put = write(fd, bytes.data(), std::min(bytes.size(), budget));
    if (put < 0) return errno == EAGAIN || errno == EINTR ? written : -1;
    written += put;
    budget -= static_cast<std::size_t>(put);
    bytes.erase(0, static_cast<std::size_t>(put));
    if (!bytes.empty()) return written;
    direction.queue.pop_front();
  }
  return written;
}

// When `direction` next has something to write: its first chunk's due time, or never.
Clock::time_point NextDue(const Direction& direction) {
  return direction.queue.empty() ? Clock::time_point::max() : direction.queue.front().due;
}

// A close that the peer sees as a reset (RST) rather than an orderly end.
void Reset(Fd& fd) {
  const linger lingerNot{1, 0};
  setsockopt(fd.get(), SOL_SOCKET, SO_LINGER, &lingerNot, sizeof lingerNot);
  fd = Fd();
}

std::optional<Session> Connect(int client, const sockaddr_in& target) {
  Fd server(socket(AF_INET, SOCK_STREAM, 0));
  if (server.get() < 0 ||
      connect(server.get(), reinterpret_cast<const sockaddr*>(&target), sizeof target) != 0) {
    close(client);
    return std::nullopt;
  }
  Session session;
  session.client = Fd(client);
  session.server = std::move(server);
  for (int fd : {session.client.get(), session.server.get()}) {
    SetNonBlocking(fd);
    SetNoDelay(fd);
  }
  return session;
}

// --FAULT=COUNT@LISTEN; nullopt when it is not of that form.
std::optional<FaultPoint> ParseFault(std::string_view text) {
  constexpr std::pair<std::string_view, Fault> kNames[] = {{"--freeze=", Fault::kFreeze},
                                                           {"--truncate=", Fault::kTruncate},
                                                           {"--trickle=", Fault::kTrickle},
                                                           {"--reset=", Fault::kReset}};
  for (const auto& [name, fault] : kNames) {
    if (!text.starts_with(name)) continue;
    const std::string point(text.substr(name.size()));
    const std::size_t at = point.find('@');
    if (at == std::string::npos) return std::nullopt;
    FaultPoint parsed{fault, std::atoi(point.substr(0, at).c_str()), point.substr(at + 1)};
    if (parsed.count < 1 || !LoopbackAddress(parsed.listen)) return std::nullopt;
    return parsed;
  }
  return std::nullopt;
}

// What the fault does to the chunk the server sent on `s`; false keeps it back. Says on standard
// error when the fault strikes.
bool PassFromServer(Session& s, const FaultPoint& fault, std::string& chunk) {
  if (s.serverHeld) return false;
  if (!s.counted || ++s.serverChunks != fault.count) return true;
  switch (fault.fault) {
    case Fault::kTruncate:
      std::fprintf(stderr, "latency_relay: truncated server chunk %d on %s to %zu of %zu bytes\n",
                   fault.count, fault.listen.c_str(), (chunk.size() + 1) / 2, chunk.size());
      chunk.resize((chunk.size() + 1) / 2);
      s.serverHeld = true;
      s.freezeWhenDelivered = true;
      break;
    case Fault::kTrickle:
      std::fprintf(stderr, "latency_relay: trickling from server chunk %d on %s\n", fault.count,
                   fault.listen.c_str());
      s.trickling = true;
      break;
    case Fault::kReset:
      std::fprintf(stderr, "latency_relay: resetting after server chunk %d on %s\n", fault.count,
                   fault.listen.c_str());
      s.resetWhenDelivered = true;
      break;
    case Fault::kNone:
    case Fault::kFreeze:
      break;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  FaultPoint fault;
  int first = 1;
  if (argc > 1 && std::string_view(argv[1]).starts_with("--")) {
    std::optional<FaultPoint> parsed = ParseFault(argv[1]);
    if (!parsed) {
      std::fprintf(stderr,
                   "latency_relay: %s is not --freeze, --truncate, --trickle or --reset"
                   "=COUNT@LISTEN\n",
                   argv[1]);
      return 2;
    }
    fault = *parsed;
    first = 2;
  }
  if (argc < first + 3) {
    std::fprintf(stderr, "usage: %s [--FAULT=COUNT@LISTEN] DELAY_MS LIFETIME_S LISTEN=TARGET...\n",
                 argv[0]);
    return 2;
  }
  const auto delay = std::chrono::milliseconds(std::atoi(argv[first]));
  const Clock::time_point end = Clock::now() + std::chrono::seconds(std::atoi(argv[first + 1]));
  std::signal(SIGTERM, RequestStop);
  std::signal(SIGINT, RequestStop);
  std::signal(SIGPIPE, SIG_IGN);

  std::vector<Listener> listeners;
  for (int i = first + 2; i < argc; ++i) {
    const std::string pair = argv[i];
    const std::size_t equals = pair.find('=');
    const std::optional<sockaddr_in> listen_at =
        equals == std::string::npos ? std::nullopt : LoopbackAddress(pair.substr(0, equals));
    const std::optional<sockaddr_in> target =
        equals == std::string::npos ? std::nullopt : LoopbackAddress(pair.substr(equals + 1));
    if (!listen_at || !target) {
      std::fprintf(stderr, "latency_relay: %s is not a loopback LISTEN=TARGET pair\n", argv[i]);
      return 2;
    }
    Fd fd(socket(AF_INET, SOCK_STREAM, 0));
    const int on = 1;
    setsockopt(fd.get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (bind(fd.get(), reinterpret_cast<const sockaddr*>(&*listen_at), sizeof *listen_at) != 0 ||
        listen(fd.get(), 64) != 0) {
      std::perror("latency_relay: listen");
      return 1;
    }
    SetNonBlocking(fd.get());
    listeners.push_back({std::move(fd), *target, pair.substr(0, equals)});
  }

  std::vector<std::unique_ptr<Session>> sessions;
  std::vector<Fd> held;  // accepted while frozen: open, never answered
  bool frozen = false;
  while (!stopRequested && Clock::now() < end) {
    const Clock::time_point now = Clock::now();
    std::vector<pollfd> fds;
    for (const Listener& listener : listeners) fds.push_back({listener.fd.get(), POLLIN, 0});
    Clock::time_point wake = end;
    for (const auto& s : sessions) {
      if (frozen) break;
      const Clock::time_point upDue = NextDue(s->up);
      const Clock::time_point downDue =
          s->trickling ? std::max(NextDue(s->down), s->nextTrickle) : NextDue(s->down);
      // A side is asked whether it takes bytes only once some are due to it, so that waiting
      // for a due time sleeps in poll.
      const short upOut = upDue <= now ? POLLOUT : 0;
      const short downOut = downDue <= now ? POLLOUT : 0;
      fds.push_back(
          {s->client.get(), static_cast<short>((s->up.readerClosed ? 0 : POLLIN) | downOut), 0});
      fds.push_back(
          {s->server.get(), static_cast<short>((s->down.readerClosed ? 0 : POLLIN) | upOut), 0});
      wake = std::min({wake, upDue, downDue});
    }
    // Sessions accepted below have no place in `fds` until the next round.
    const std::size_t polled = frozen ? 0 : sessions.size();
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(wake - now);
    poll(fds.data(), fds.size(),
         static_cast<int>(std::max<long>(0, std::min<long>(wait.count(), 1000))));

    for (std::size_t i = 0; i < listeners.size(); ++i) {
      if ((fds[i].revents & POLLIN) == 0) continue;
      const int client = accept(listeners[i].fd.get(), nullptr, nullptr);
      if (client < 0) continue;
      if (frozen) {
        held.emplace_back(client);
      } else if (std::optional<Session> session = Connect(client, listeners[i].target)) {
        session->counted = listeners[i].address == fault.listen;
        sessions.push_back(std::make_unique<Session>(std::move(*session)));
      }
    }
    std::size_t at = listeners.size();
    for (std::size_t k = 0; k < polled && !frozen; ++k) {
      Session* s = sessions[k].get();
      const short clientEvents = fds[at++].revents;
      const short serverEvents = fds[at++].revents;
      // The chunk that reaches the freeze point is the first one held.
      const auto passFromClient = [&](std::string&) {
        if (fault.fault == Fault::kFreeze && s->counted && ++s->clientChunks == fault.count) {
          std::fprintf(stderr, "latency_relay: froze at client chunk %d on %s\n", fault.count,
                       fault.listen.c_str());
          frozen = true;
        }
        return !frozen;
      };
      if (clientEvents & (POLLIN | POLLHUP | POLLERR)) {
        Pull(s->client.get(), s->up, delay, passFromClient);
      }
      if (frozen) break;  // nothing more moves
      if (serverEvents & (POLLIN | POLLHUP | POLLERR)) {
        Pull(s->server.get(), s->down, delay,
             [&](std::string& chunk) { return PassFromServer(*s, fault, chunk); });
      }
      const bool trickleDue = Clock::now() >= s->nextTrickle;
      const ssize_t sentUp = Push(s->server.get(), s->up);
      const ssize_t sentDown =
          Push(s->client.get(), s->down, s->trickling ? (trickleDue ? 1 : 0) : SIZE_MAX);
      if (sentUp < 0 || sentDown < 0) s->dead = true;
      if (s->trickling && sentDown > 0) s->nextTrickle = Clock::now() + kTricklePace;
      if (s->down.queue.empty()) {
        frozen = frozen || s->freezeWhenDelivered;
        if (s->resetWhenDelivered) {
          Reset(s->client);
          Reset(s->server);
          s->dead = true;
        }
      }
      // A side that closed ends the session once what it sent has been delivered.
      const bool upDone = s->up.readerClosed && s->up.queue.empty();
      const bool downDone = s->down.readerClosed && s->down.queue.empty();
      if (upDone || downDone) s->dead = true;
    }
    if (!frozen) std::erase_if(sessions, [](const auto& s) { return s->dead; });
  }
  return 0;
}
